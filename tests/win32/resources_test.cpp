// Reads the launcher executable's resources back through the system's own
// resource and version calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/owners.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

TEST(LauncherResources, VersionRecord) {
  const std::wstring launcher = test::LauncherPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(launcher.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(launcher.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00010000u);

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                             &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0804);
  EXPECT_EQ(translation[1], 936);

  for (const wchar_t* name : {L"FileVersion", L"ProductVersion"}) {
    wchar_t* value = nullptr;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\080403a8\\") + name;
    ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length));
    EXPECT_STREQ(value, L"1.0.1.0");
  }
}

TEST(LauncherResources, ManifestAndStringTable) {
  const UniqueHModule owned(LoadLibraryExW(test::LauncherPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(owned);
  const HMODULE module = owned.get();
  HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                         SizeofResource(module, manifest));
  EXPECT_NE(text.find("requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  // Rows 96..111 share one block of the string table, stored in language 0x0804.
  EXPECT_NE(FindResourceExW(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(107 / 16 + 1),
                            MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)),
            nullptr);
}

}  // namespace
}  // namespace qm
