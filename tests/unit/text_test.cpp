#include "base/text.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Text, Utf8RoundTripsAcrossPlanes) {
  const std::wstring text = L"a\u00e9\u767b\U0001F600z";
  const std::string utf8 = Utf8FromWide(text);
  EXPECT_EQ(utf8, "a\xc3\xa9\xe7\x99\xbb\xf0\x9f\x98\x80z");
  EXPECT_EQ(WideFromUtf8(utf8), text);
}

TEST(Text, MalformedUtf8BecomesReplacement) {
  EXPECT_EQ(WideFromUtf8("a\xff" "b"), L"a\uFFFDb");
  EXPECT_EQ(WideFromUtf8("\xe7\x99"), L"\uFFFD\uFFFD");
  EXPECT_EQ(WideFromUtf8("\xc0\x80"), L"\uFFFD\uFFFD");  // overlong
}

TEST(Text, Utf16LeUsesSurrogatePairs) {
  EXPECT_EQ(Utf16LeFromWide(L"A\u767b"), std::string("A\0\x7b\x76", 4));
  EXPECT_EQ(Utf16LeFromWide(L"\U0001F600"), std::string("\x3d\xd8\x00\xde", 4));
  EXPECT_EQ(WideFromUtf16Le(Utf16LeFromWide(L"x\U0001F600")), L"x\U0001F600");
}

TEST(Text, SingleByte) {
  EXPECT_EQ(SingleByteFromWide(L"F11\u00ff\u767b"), "F11\xff?");
  EXPECT_EQ(WideFromSingleByte("\xe9"), L"\u00e9");
  EXPECT_TRUE(EqualsIgnoreCase(L"SETTING", L"Setting"));
  EXPECT_FALSE(EqualsIgnoreCase(L"Setting", L"Settings"));
}

}  // namespace
}  // namespace qm
