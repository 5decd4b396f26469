#include "platform/update_log.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "base/text.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

TEST(UpdateLogFile, WritesIntoTheDataFoldersResFolderOnly) {
  test::IsolatedUserData user;
  EXPECT_EQ(WriteUpdateLog(L"lost"), -1);
  EXPECT_FALSE(PathExists(GetDataFolder()));

  ASSERT_TRUE(std::filesystem::create_directories(FsPath(GetDataFolder() + L"res")));
  EXPECT_EQ(WriteUpdateLog(L"Finish Update."), 0);
  EXPECT_EQ(WriteUpdateLog(L""), 0);
  const std::wstring text = WideFromUtf16Le(test::ReadFile(FsPath(CurrentPaths().UpdateLog())));
  const size_t first = text.find(L"\tUpdateModule\tFinish Update.\r\n");
  ASSERT_NE(first, std::wstring::npos);
  EXPECT_EQ(text.substr(text.size() - 16), L"\tUpdateModule\t\r\n");
  EXPECT_EQ(text.find(L"lost"), std::wstring::npos);
}

}  // namespace
}  // namespace qm
