#include "base/version_record.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(VersionRecord, FileVersionOfEachTranslationInOrder) {
  EXPECT_EQ(VersionTextFromRecord("QMVERSION 1\nTranslation=0804 03a8\n080403a8\\FileVersion=1.0.1.0\n"),
            L"1.0.1.0");
  EXPECT_EQ(VersionTextFromRecord("Translation=0409 04b0 0804 03a8\n"
                                  "080403a8\\FileVersion=B\n040904b0\\FileVersion=A\n"),
            L"AB");
  EXPECT_EQ(VersionTextFromRecord("QMVERSION 1\n080403a8\\FileVersion=1.0.1.0\n"), L"");
  EXPECT_EQ(VersionTextFromRecord("Translation=0804 03a8\n080403a8\\ProductVersion=2\n"), L"");
}

}  // namespace
}  // namespace qm
