#include "install/packaged_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/paths.h"
#include "platform/settings.h"
#include "install/file_times.h"
#include "install/install_fixture.h"
#include "install/zip_archive.h"
#include "install/zip_times.h"
#include "platform/files.h"
#include "platform/resources.h"
#include "support/temp_dir.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

const std::string kShipped =
    "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
    "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\n[Start]\r\nfirststart=1\r\n";

class PackagedFiles : public InstallTest {
 protected:
  void SetUp() override {
    InstallTest::SetUp();
    std::wstring folder = GetDataFolder();
    folder.pop_back();
    dataFolder = folder;
    ASSERT_TRUE(fs::create_directories(FsPath(dataFolder)));
  }
  std::wstring Res(const std::wstring& name = L"") const {
    return dataFolder + Sep() + L"res" + (name.empty() ? L"" : Sep() + name);
  }
  std::wstring dataFolder;
};

uint64_t Local(int y, int mo, int d, int h, int mi, int s) {
  uint64_t value = 0;
  LocalTimeToUtcFileTime(y, mo, d, h, mi, s, value);
  return value;
}

TEST_F(PackagedFiles, FirstStartWritesTheFilesWithTheirTimesAndTheMarker) {
  ExtractPackagedFiles(dataFolder);
  const FileFacts ini = ReadFileFacts(Res(L"systemset.ini"));
  const FileFacts ico = ReadFileFacts(Res(L"uninstall.ico"));
  ASSERT_TRUE(ini.exists);
  ASSERT_TRUE(ico.exists);
  // systemset.ini took the marker after extraction, so only the icon still
  // shows the archive's times.
  EXPECT_EQ(ico.writeTime, Local(2015, 4, 15, 14, 53, 54));
  EXPECT_EQ(ico.accessTime, Local(2015, 4, 15, 14, 53, 54));
#ifdef _WIN32
  EXPECT_EQ(ico.creationTime, Local(2015, 4, 15, 14, 53, 54));
  EXPECT_EQ(ico.attributes & 0x27, 0x20u);  // archive only
#endif
  EXPECT_EQ(ReadFile(FsPath(Res(L"uninstall.ico"))).size(), 1150u);
  EXPECT_EQ(ReadFile(FsPath(Res(L"systemset.ini"))),
            "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
            "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\nstart=1001\r\n"
            "[Start]\r\nfirststart=1\r\n");
  EXPECT_EQ(ReadSetting(L"Setting", L"start", L"-1"), L"1001");
}

TEST_F(PackagedFiles, SecondStartTouchesNothing) {
  ExtractPackagedFiles(dataFolder);
  fs::remove(FsPath(Res(L"uninstall.ico")));
  WriteFile(FsPath(Res(L"data.zip")), "old");
  ExtractPackagedFiles(dataFolder);
  EXPECT_FALSE(PathExists(Res(L"uninstall.ico")));
  EXPECT_TRUE(FileExists(Res(L"data.zip")));
}

TEST_F(PackagedFiles, ExistingSettingsStayAndTheRestIsRewritten) {
  const std::string mine = "[Setting]\r\nfullscreen=F9\r\n";
  WriteFile(FsPath(Res(L"systemset.ini")), mine);
  WriteFile(FsPath(Res(L"uninstall.ico")), "stale icon");
  WriteFile(FsPath(Res(L"data.zip")), "leftover");
  ExtractPackagedFiles(dataFolder);
  EXPECT_EQ(ReadFile(FsPath(Res(L"systemset.ini"))), "[Setting]\r\nfullscreen=F9\r\nstart=1001\r\n");
  EXPECT_EQ(ReadFile(FsPath(Res(L"uninstall.ico"))).size(), 1150u);
  EXPECT_FALSE(PathExists(Res(L"data.zip")));
}

TEST_F(PackagedFiles, AMissingOrDamagedArchiveStillDeletesDataZipAndWritesTheMarker) {
  const auto packaged = FindResourceBytes("ZIP", kPackagedArchiveId);
  ASSERT_TRUE(packaged);
  const std::string damaged = std::string(packaged->view()).substr(0, packaged->size - 30);
  const struct {
    const char* what;
    const void* data;
    size_t size;
  } cases[] = {{"missing", nullptr, 0}, {"damaged", damaged.data(), damaged.size()}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveTraces();
    ASSERT_TRUE(fs::create_directories(FsPath(dataFolder)));
    ASSERT_TRUE(CreateFolder(Res()));
    WriteFile(FsPath(Res(L"data.zip")), "leftover");
    WriteFile(FsPath(Res(L"systemset.ini")), "");
    ExtractPackagedFilesFrom(dataFolder, c.data, c.size);
    EXPECT_FALSE(PathExists(Res(L"uninstall.ico")));
    EXPECT_FALSE(PathExists(Res(L"data.zip")));
    EXPECT_EQ(ReadFile(FsPath(Res(L"systemset.ini"))), "[Setting]\r\nstart=1001\r\n");
  }
}

TEST_F(PackagedFiles, AFileThatCannotBeCreatedIsSkipped) {
  ASSERT_TRUE(fs::create_directories(FsPath(Res(L"uninstall.ico"))));  // a folder in the way
  ExtractPackagedFiles(dataFolder);
  EXPECT_TRUE(FolderExists(Res(L"uninstall.ico")));
  EXPECT_EQ(ReadFile(FsPath(Res(L"systemset.ini"))).size(), 160u + std::string("start=1001\r\n").size());
}

TEST(SettingNumbers, ReadLikeTheSettingsStoreReadsThem) {
  const struct {
    const wchar_t* text;
    long value;
  } cases[] = {{L"1001", 1001}, {L"  1001", 1001}, {L"-1", -1}, {L"+7x", 7}, {L"", 0}, {L"x1", 0}, {L"12 3", 12}};
  for (const auto& c : cases) EXPECT_EQ(ParseSettingNumber(c.text), c.value);
}

}  // namespace
}  // namespace qm::test
