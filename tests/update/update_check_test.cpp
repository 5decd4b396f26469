// The version check and the download, run in this process against the demo
// portal, with the hand-over recorded instead of ending the process.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_facts.h"
#include "platform/paths.h"
#include "base/text.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "update/test_portal.h"
#include "update/update_log_lines.h"
#include "update/update_module.h"

namespace qm {
namespace {

using Lines = std::vector<std::wstring>;
namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kLauncherName[] = "Quellmoor.exe";
#else
constexpr char kLauncherName[] = "Quellmoor";
#endif

// A file the portal serves under /download/, written into its folder.
void PutPortalFile(const std::string& name, const std::string& bytes) {
  test::WriteFile(FsPath(test::BuildFilePath(QM_PORTAL_FILES)) / name, bytes);
}

std::string NewLauncherBytes() {
  return ReadFileBytes(test::BuildFilePath(QM_UPDATE_LAUNCHER_NEW)).value_or("");
}

class UpdateCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(portal_.running());
    test::FreshUserData();
    environment_ = DefaultUpdateEnvironment();
    environment_.startHandOver = [this](const std::wstring& from, const std::wstring& to) {
      handOvers_.push_back({from, to});
    };
  }

  static std::wstring Url(const std::string& target) { return test::TestPortal::BaseUrl() + WideFromUtf8(target); }
  static std::wstring CheckUrl(const std::wstring& version = L"1.0.1.0") {
    return test::TestPortal::BaseUrl() + L"/getClientVersion.php?p=korvo&g=qmr&v=" + version;
  }
  static std::string Downloaded() { return ReadFileBytes(CurrentPaths().DownloadedUpdate()).value_or("<none>"); }
  static std::wstring LauncherUrl() { return Url(std::string("/download/") + kLauncherName); }

  test::TestPortal portal_{QM_PORTAL_FILES};
  UpdateEnvironment environment_;
  std::vector<std::pair<std::wstring, std::wstring>> handOvers_;
};

TEST_F(UpdateCheck, AnswersWithoutAnUpdateEndTheCheck) {
  struct Case {
    int status;
    std::string answer;
    std::wstring logged;
  } cases[] = {
      {200, "-1", L"-1"},
      {200, "12345", L"12345"},
      {200, "", L""},
      {200, "-" + std::string(3000, '7'), L"-" + std::wstring(3000, L'7')},  // joined whole
      {404, "not here", L""},
      {500, "broken", L""},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(FsPath(CurrentPaths().UpdateLog()));
    portal_.SetVersionAnswer(c.status, c.answer);
    RunUpdateCheck(environment_);
    EXPECT_EQ(test::UpdateLogMessages(),
              (Lines{CheckUrl(), L"Http QueryInfoStatusCode:" + std::to_wstring(c.status),
                     L"Server response check version msg:" + c.logged, L"Finish Update.", L"====================="}))
        << c.answer;
  }
  EXPECT_TRUE(handOvers_.empty());
  EXPECT_TRUE(FolderExists(CurrentPaths().StagingFolder()));
}

TEST(UpdateCheckOffline, AnUnreachableServerIsLoggedAndTheCheckEnds) {
  test::FreshUserData();
  CUpdateModule module(L"\\kvqmrtmp.exe", L"\\korvo_v1\\qmr\\");
  // Nobody listens on port 1 of the loopback address.
  EXPECT_FALSE(module.CheckVersion(L"http://127.0.0.1:1", L"getClientVersion.php?p=korvo&g=qmr&v=", L"1.0.1.0"));
  EXPECT_EQ(module.m_checkUrl, L"http://127.0.0.1:1/getClientVersion.php?p=korvo&g=qmr&v=1.0.1.0");
  const Lines lines = test::UpdateLogMessages();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], L"Try Download File Exception");
  EXPECT_FALSE(lines[1].empty());
  EXPECT_LE(lines[1].size(), 255u);
  EXPECT_EQ(lines[2], L"Server response check version msg:");
  EXPECT_EQ(lines[3], L"Finish Update.");
  EXPECT_EQ(lines[4], L"=====================");
}

TEST_F(UpdateCheck, ModulePathsFollowThePathTable) {
  CUpdateModule module(L"\\kvqmrtmp.exe", L"\\korvo_v1\\qmr\\", environment_);
  EXPECT_EQ(module.m_tempFile, CurrentPaths().DownloadedUpdate());
  EXPECT_EQ(module.m_installFile, CurrentPaths().InstalledExecutable());
  EXPECT_TRUE(FolderExists(CurrentPaths().StagingFolder()));
}

TEST_F(UpdateCheck, APendingUpdateIsDownloadedAndHandedOver) {
  const std::wstring url = LauncherUrl();
  const std::string body = NewLauncherBytes();
  ASSERT_FALSE(body.empty());
  portal_.SetVersionAnswer(200, Utf8FromWide(url));
  // A staging file left over from an earlier run is replaced.
  test::WriteFile(FsPath(CurrentPaths().DownloadedUpdate()), "left over");
  RunUpdateCheck(environment_);
  EXPECT_TRUE(Downloaded() == body);
  std::wstring md5;
  ASSERT_TRUE(GetFileMd5(CurrentPaths().DownloadedUpdate(), md5));
  const std::wstring size = std::to_wstring(body.size());
  EXPECT_EQ(test::UpdateLogMessages(),
            (Lines{CheckUrl(), L"Http QueryInfoStatusCode:200", L"Server response check version msg:" + url,
                   L"ExcuUpdate,URL=" + url, L"Http QueryInfoStatusCode:200", L"Content length:" + size,
                   L"Finish download,file size=" + size, L"Finish download,file md5=" + md5}));
  ASSERT_EQ(handOvers_.size(), 1u);
  EXPECT_EQ(handOvers_[0].first, CurrentPaths().DownloadedUpdate());
  EXPECT_EQ(handOvers_[0].second, CurrentPaths().InstalledExecutable());
  // Only the one request: the range header is never sent on its own.
  const auto requests = portal_.Requests();
  EXPECT_EQ(std::count(requests.begin(), requests.end(), std::string("GET /download/") + kLauncherName), 1);
}

TEST_F(UpdateCheck, AnswersEndingInALineBreakOrStartingWithAByteOrderMarkStillUpdate) {
  const std::string url = Utf8FromWide(LauncherUrl());
  struct Case {
    std::string answer;
    std::wstring logged;  // the answer as it came, decoded
  } cases[] = {
      {url + "\r\n", LauncherUrl() + L"\r\n"},
      {url + "\n", LauncherUrl() + L"\n"},
      {"\xEF\xBB\xBF" + url, L"\xFEFF" + LauncherUrl()},
      {"\xEF\xBB\xBF " + url + " \r\n", L"\xFEFF " + LauncherUrl() + L" \r\n"},
  };
  for (const Case& c : cases) {
    handOvers_.clear();
    fs::remove(FsPath(CurrentPaths().UpdateLog()));
    portal_.SetVersionAnswer(200, c.answer);
    RunUpdateCheck(environment_);
    // The answer's own line breaks end up in the log text as they came.
    const std::wstring log = WideFromUtf16Le(ReadFileBytes(CurrentPaths().UpdateLog()).value_or(""));
    EXPECT_NE(log.find(L"\tServer response check version msg:" + c.logged + L"\r\n"), std::wstring::npos) << c.answer;
    const Lines lines = test::UpdateLogMessages();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), L"ExcuUpdate,URL=" + LauncherUrl()), 1) << c.answer;
    EXPECT_EQ(handOvers_.size(), 1u) << c.answer;
  }
}

TEST_F(UpdateCheck, ACompleteBodyThatIsNoLauncherOfThisBuildIsNotHandedOver) {
  const std::string launcher = NewLauncherBytes();
  ASSERT_GT(launcher.size(), 4096u);
  // The launcher with another machine in its header: PE machine at the
  // offset the DOS header names, ELF machine at byte 18.
  std::string otherMachine = launcher;
  if (otherMachine.compare(0, 2, "MZ") == 0) {
    const size_t pe = static_cast<unsigned char>(otherMachine[0x3C]) |
                      (static_cast<size_t>(static_cast<unsigned char>(otherMachine[0x3D])) << 8);
    otherMachine[pe + 4] = '\x64';  // ARM64: 0xAA64
    otherMachine[pe + 5] = '\xAA';
  } else {
    otherMachine[18] = '\xB7';  // aarch64
  }
  const struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"pattern.bin", test::PatternBytes(300000)},
      {"portal.html", "<html><body>Sign in to use this network</body></html>" + std::string(5000, ' ')},
      {"gzipped.bin", std::string("\x1F\x8B\x08\0\0\0\0\0\0\x03", 10) + launcher.substr(0, 20000)},
      {"other-machine.bin", otherMachine},
      {"no-version-record.bin", launcher.substr(0, 4096)},  // a program's header, nothing more
  };
  for (const Case& c : cases) {
    PutPortalFile(c.name, c.bytes);
    fs::remove(FsPath(CurrentPaths().UpdateLog()));
    CUpdateModule module(L"\\kvqmrtmp.exe", L"\\korvo_v1\\qmr\\", environment_);
    const std::wstring url = Url(std::string("/download/") + c.name);
    module.DownloadUpdate(url);
    const Lines lines = test::UpdateLogMessages();
    ASSERT_EQ(lines.size(), 6u) << c.name;
    EXPECT_EQ(lines[3], L"Finish download,file size=" + std::to_wstring(c.bytes.size()));
    EXPECT_EQ(lines[5], L"ERROR!Downloaded file is not a launcher of this build,exit") << c.name;
    EXPECT_FALSE(PathExists(CurrentPaths().DownloadedUpdate())) << c.name;
    fs::remove(FsPath(test::BuildFilePath(QM_PORTAL_FILES)) / c.name);
  }
  EXPECT_TRUE(handOvers_.empty());
}

TEST_F(UpdateCheck, SixDigitAnswerIsTakenAsTheDownloadUrl) {
  portal_.SetVersionAnswer(200, "123456");
  RunUpdateCheck(environment_);
  const Lines lines = test::UpdateLogMessages();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[2], L"Server response check version msg:123456");
  EXPECT_EQ(lines[3], L"ExcuUpdate,URL=123456");
  EXPECT_TRUE(handOvers_.empty());
}

TEST_F(UpdateCheck, DownloadsThatDoNotCompleteAreNotHandedOver) {
  struct Case {
    std::string target;
    Lines expected;  // after the URL line; empty: checked loosely
  } cases[] = {
      {"/test/status?code=500", {L"Http QueryInfoStatusCode:500"}},
      {"/test/status?code=404", {L"Http QueryInfoStatusCode:404"}},
      {"/test/bytes?n=5000&chunked=1",
       {L"Http QueryInfoStatusCode:200", L"Content length:0", L"ERROR!Before download dwFileSize == dwToatlSize,exit"}},
      {"/test/short?n=1500&declared=4000", {}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(FsPath(CurrentPaths().UpdateLog()));
    CUpdateModule module(L"\\kvqmrtmp.exe", L"\\korvo_v1\\qmr\\", environment_);
    module.DownloadUpdate(Url(c.target));
    Lines lines = test::UpdateLogMessages();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], L"ExcuUpdate,URL=" + Url(c.target));
    lines.erase(lines.begin());
    if (!c.expected.empty()) {
      EXPECT_EQ(lines, c.expected) << c.target;
    } else {
      ASSERT_GE(lines.size(), 2u);
      EXPECT_EQ(lines[0], L"Http QueryInfoStatusCode:200");
      EXPECT_EQ(lines[1], L"Content length:4000");
      // The short body ends quietly or with the exception's two lines.
      if (lines.size() > 2) {
        EXPECT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[2], L"Try Download File Exception");
      }
    }
    EXPECT_TRUE(handOvers_.empty()) << c.target;
  }
}

TEST_F(UpdateCheck, EarlierBytesInTheStagingFileNeverCompleteADownload) {
  CUpdateModule module(L"\\kvqmrtmp.exe", L"\\korvo_v1\\qmr\\", environment_);
  // 100 bytes of an earlier attempt, then a body 100 bytes short of its
  // length: together they would have the announced size.
  test::WriteFile(FsPath(module.m_tempFile), std::string(100, 'x'));
  module.DownloadUpdate(Url("/test/short?n=900&declared=1000"));
  EXPECT_TRUE(handOvers_.empty());
  EXPECT_EQ(Downloaded().substr(0, 100), test::PatternBytes(100));
  // A complete body replaces the earlier bytes and is handed over.
  test::WriteFile(FsPath(module.m_tempFile), std::string(100, 'x'));
  module.DownloadUpdate(LauncherUrl());
  EXPECT_TRUE(Downloaded() == NewLauncherBytes());
  EXPECT_EQ(handOvers_.size(), 1u);
}

TEST_F(UpdateCheck, TheLogIsDeletedOnlyPastTenMebibytes) {
  portal_.SetVersionAnswer(200, "-1");
  for (const size_t size : {size_t{10485760}, size_t{10485761}}) {
    std::string filler(size, '\0');
    filler[0] = 'F';
    test::WriteFile(FsPath(CurrentPaths().UpdateLog()), filler);
    RunUpdateCheck(environment_);
    const std::string log = ReadFileBytes(CurrentPaths().UpdateLog()).value_or("");
    if (size == 10485760) {
      EXPECT_GT(log.size(), size);
      EXPECT_EQ(log[0], 'F');
    } else {
      EXPECT_LT(log.size(), 4096u);
      ASSERT_FALSE(test::UpdateLogMessages().empty());
      EXPECT_EQ(test::UpdateLogMessages()[0], CheckUrl());
    }
  }
}

}  // namespace
}  // namespace qm
