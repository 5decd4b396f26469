#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/paths.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

TEST(SystemFolders, EachIsAnAbsolutePathWithoutTrailingSeparator) {
  test::IsolatedUserData user;
  const SystemFolders f = QuerySystemFolders();
  const wchar_t sep = NativePathStyle().separator;
  for (const std::wstring& folder : {f.appData, f.desktop, f.programs, f.modulePath}) {
    SCOPED_TRACE(std::string(folder.begin(), folder.end()));
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), sep);
    EXPECT_TRUE(FsPath(folder).is_absolute());
  }
  EXPECT_TRUE(FileExists(f.modulePath));
#ifdef _WIN32
  EXPECT_NE(f.appData.find(L"\\AppData\\Roaming"), std::wstring::npos);
  EXPECT_NE(f.programs.find(L"\\Start Menu\\Programs"), std::wstring::npos);
#else
  const char* home = std::getenv("HOME");
  ASSERT_NE(home, nullptr);
  const std::wstring h(home, home + std::strlen(home));
  EXPECT_EQ(f.appData, h + L"/.local/share");
  EXPECT_EQ(f.desktop, h + L"/Desktop");
  EXPECT_EQ(f.programs, h + L"/.local/share/applications");
#endif
}

TEST(SystemFolders, DataFolderIsKeptForTheProcess) {
  test::IsolatedUserData user;
  const std::wstring first = GetDataFolder();
  EXPECT_EQ(first, QuerySystemFolders().appData + NativePathStyle().separator + L"korvo_v1" +
                       NativePathStyle().separator + L"qmr" + NativePathStyle().separator);
#ifndef _WIN32
  setenv("XDG_DATA_HOME", "/elsewhere", 1);
  EXPECT_EQ(GetDataFolder(), first);
#endif
}

}  // namespace
}  // namespace qm
