#include "platform/settings.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

const std::string kShipped =
    "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
    "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\n[Start]\r\nfirststart=1\r\n";

TEST(Settings, DefaultsBeforeTheFileExistsAndWritesChangeNothing) {
  test::IsolatedUserData user;
  EXPECT_EQ(ReadSetting(L"Setting", L"start", L"-1"), L"-1");
  EXPECT_EQ(ReadSetting(L"Start", L"firststart", L"0"), L"0");
  WriteSetting(L"Start", L"firststart", L"0");
  EXPECT_FALSE(PathExists(GetDataFolder() + L"res"));
}

TEST(Settings, ShippedFileWithStartMarker) {
  test::IsolatedUserData user;
  EXPECT_EQ(SettingsFilePath(), GetDataFolder() + L"res//systemset.ini");
  test::WriteFile(FsPath(SettingsFilePath()), kShipped);
  EXPECT_EQ(ReadSetting(L"SETTING", L"FULLSCREEN", L"0"), L"F11");
  EXPECT_EQ(ReadSetting(L"Setting", L"screentoggle", L"0"), L"F10");
  EXPECT_EQ(ReadSetting(L"Start", L"firststart", L"0"), L"1");
  WriteSetting(L"Setting", L"start", L"1001");
  WriteSetting(L"Start", L"firststart", L"0");
  EXPECT_EQ(test::ReadFile(FsPath(SettingsFilePath())),
            "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
            "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\nstart=1001\r\n"
            "[Start]\r\nfirststart=0\r\n");
  EXPECT_EQ(ReadSetting(L"Setting", L"start", L"-1"), L"1001");
}

}  // namespace
}  // namespace qm
