// The hand-over and the whole update across real processes: launchers built
// from this tree with the versions 1.0.1.0 and 1.0.2.0, the demo portal as
// the version and download server, and a user data area of the test's own.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/file_facts.h"
#include "platform/paths.h"
#include "base/text.h"
#include "platform/files.h"
#include "support/held_file.h"
#include "support/temp_dir.h"
#include "update/test_portal.h"
#include "update/update_log_lines.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace qm {
namespace {

using Lines = std::vector<std::wstring>;
namespace fs = std::filesystem;

#ifdef _WIN32
constexpr wchar_t kLauncherName[] = L"Quellmoor.exe";
constexpr long kPathNotFound = 3;  // ERROR_PATH_NOT_FOUND
#else
constexpr wchar_t kLauncherName[] = L"Quellmoor";
constexpr long kPathNotFound = 2;  // ENOENT
#endif

std::wstring CheckUrl(const std::wstring& version) {
  return test::TestPortal::BaseUrl() + L"/getClientVersion.php?p=korvo&g=qmr&v=" + version;
}

Lines NoUpdateLines(const std::wstring& version) {
  return {CheckUrl(version), L"Http QueryInfoStatusCode:200", L"Server response check version msg:-1",
          L"Finish Update.", L"====================="};
}

std::string Bytes(const std::wstring& path) { return ReadFileBytes(path).value_or("<missing>"); }

// The successors run detached; waits until the log holds count lines.
Lines WaitForLogLines(size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  Lines lines = test::UpdateLogMessages();
  while (lines.size() < count && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    lines = test::UpdateLogMessages();
  }
  return lines;
}

class HandOver : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(portal_.running());
    test::FreshUserData();
    fs::create_directories(FsPath(CurrentPaths().StagingFolder()));
    installed_ = CurrentPaths().InstallFolder() + kLauncherName;
    oldBuild_ = test::BuildFilePath(QM_UPDATE_LAUNCHER_OLD);
    newBuild_ = test::BuildFilePath(QM_UPDATE_LAUNCHER_NEW);
    ASSERT_EQ(GetFileVersionText(oldBuild_), L"1.0.1.0");
    ASSERT_EQ(GetFileVersionText(newBuild_), L"1.0.2.0");
  }

  void Install(const std::wstring& build, const std::wstring& target) {
    fs::create_directories(FsPath(target).parent_path());
    fs::copy_file(FsPath(build), FsPath(target), fs::copy_options::overwrite_existing);
  }

  // The old build installed, the new one staged as the download: the state
  // a hand-over starts from. Returns the staged file.
  std::wstring StageUpdateOverOldBuild() {
    Install(oldBuild_, installed_);
    const std::wstring staged = CurrentPaths().DownloadedUpdate();
    Install(newBuild_, staged);
    return staged;
  }

  test::TestPortal portal_{QM_PORTAL_FILES, "1.0.2.0", Utf8FromWide(kLauncherName)};
  std::wstring installed_, oldBuild_, newBuild_;
};

TEST_F(HandOver, CopiesItselfOverTheInstalledLauncherAndStartsIt) {
  const std::wstring staged = StageUpdateOverOldBuild();
  EXPECT_EQ(test::RunChild(staged, L"-d " + installed_).exitCode, 0);
  std::wstring md5;
  ASSERT_TRUE(GetFileMd5(newBuild_, md5));
  Lines expected{L"Finish download,current file md5=" + md5, L"Update success.Current Version:1.0.2.0",
                 L"====================="};
  for (const std::wstring& line : NoUpdateLines(L"1.0.2.0")) expected.push_back(line);  // the new launcher
  EXPECT_EQ(WaitForLogLines(expected.size()), expected);
  EXPECT_TRUE(Bytes(installed_) == Bytes(newBuild_));
}

TEST_F(HandOver, AnInstallPathWithSpacesIsTakenWhole) {
  const std::wstring folder = CurrentPaths().InstallFolder() + L"a b  c";
  const std::wstring target = folder + std::wstring(1, NativePathStyle().separator) + kLauncherName;
  fs::create_directories(FsPath(folder));
  const std::wstring staged = CurrentPaths().DownloadedUpdate();
  Install(newBuild_, staged);
  EXPECT_EQ(test::RunChild(staged, L"-d " + target).exitCode, 0);
  const Lines lines = WaitForLogLines(8);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1], L"Update success.Current Version:1.0.2.0");
  EXPECT_TRUE(Bytes(target) == Bytes(newBuild_));
}

TEST_F(HandOver, AFailedCopyIsLoggedAndTheRunGoesOnAsTheLauncher) {
  // A folder that does not exist, in a path with spaces taken whole.
  const std::wstring target = CurrentPaths().InstallFolder() + L"no such folder" +
                              std::wstring(1, NativePathStyle().separator) + kLauncherName;
  const std::wstring staged = CurrentPaths().DownloadedUpdate();
  Install(newBuild_, staged);
  EXPECT_EQ(test::RunChild(staged, L"-d " + target).exitCode, 0);
  Lines expected{L"Update failure.Error Code:" + std::to_wstring(kPathNotFound), L"====================="};
  for (const std::wstring& line : NoUpdateLines(L"1.0.2.0")) expected.push_back(line);
  EXPECT_EQ(WaitForLogLines(expected.size()), expected);
  EXPECT_FALSE(PathExists(target));
}

TEST_F(HandOver, TheShippedLauncherTakesTheHandOverLine) {
  const std::wstring target = CurrentPaths().InstallFolder() + L"missing" +
                              std::wstring(1, NativePathStyle().separator) + kLauncherName;
  // The run goes on as the launcher, which shows its login window and stays:
  // it is ended after a moment. The hand-over's own lines come first.
  test::RunChild(test::LauncherPath(), L"-d " + target, 8);
  const Lines lines = test::UpdateLogMessages();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 2),
            (Lines{L"Update failure.Error Code:" + std::to_wstring(kPathNotFound), L"====================="}));
}

#ifdef _WIN32
TEST_F(HandOver, AnInstalledFileHeldOpenIsLoggedWithTheSharingViolation) {
  const std::wstring staged = StageUpdateOverOldBuild();
  // Held as a launcher that has not let go of its file yet holds it.
  test::HeldFile held(FsPath(installed_));
  ASSERT_TRUE(held.held());
  EXPECT_EQ(test::RunChild(staged, L"-d " + installed_).exitCode, 0);
  const Lines lines = WaitForLogLines(7);
  held.LetGo();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], L"Update failure.Error Code:32");
  EXPECT_EQ(lines[1], L"=====================");
  EXPECT_TRUE(Bytes(installed_) == Bytes(oldBuild_));
}
#endif

#ifdef _WIN32
TEST_F(HandOver, AnInstalledFileLetGoWithinTheRetryIsReplaced) {
  // The launcher that started the hand-over holds its file for a moment
  // after it ended; here for about a second.
  const std::wstring staged = StageUpdateOverOldBuild();
  test::HeldFile held(FsPath(installed_));
  ASSERT_TRUE(held.held());
  std::thread letGo([&held] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    held.LetGo();
  });
  const auto started = std::chrono::steady_clock::now();
  const int exitCode = test::RunChild(staged, L"-d " + installed_).exitCode;
  const auto took = std::chrono::steady_clock::now() - started;
  letGo.join();
  EXPECT_EQ(exitCode, 0);
  EXPECT_GE(took, std::chrono::milliseconds(900));  // it did have to wait
  std::wstring md5;
  ASSERT_TRUE(GetFileMd5(newBuild_, md5));
  Lines expected{L"Finish download,current file md5=" + md5, L"Update success.Current Version:1.0.2.0",
                 L"====================="};
  for (const std::wstring& line : NoUpdateLines(L"1.0.2.0")) expected.push_back(line);
  EXPECT_EQ(WaitForLogLines(expected.size()), expected);
  EXPECT_TRUE(Bytes(installed_) == Bytes(newBuild_));
}
#endif

// The installed launcher is replaced in one step, never written in place:
// a second name of the old file (a hard link) keeps the old bytes whole, and
// no temporary file is left beside the new one.
TEST_F(HandOver, TheInstalledFileIsReplacedWholeNotWrittenInPlace) {
  Install(oldBuild_, installed_);
  const std::wstring staged = CurrentPaths().DownloadedUpdate();
  Install(newBuild_, staged);
  const fs::path secondName = FsPath(CurrentPaths().StagingFolder()) / "old-launcher-link";
  fs::create_hard_link(FsPath(installed_), secondName);
  EXPECT_EQ(test::RunChild(staged, L"-d " + installed_).exitCode, 0);
  const Lines lines = WaitForLogLines(8);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], L"Update success.Current Version:1.0.2.0");
  EXPECT_TRUE(Bytes(installed_) == Bytes(newBuild_));
  EXPECT_TRUE(Bytes(WidePath(secondName)) == Bytes(oldBuild_));
  std::vector<std::string> names;
  for (const auto& item : fs::directory_iterator(FsPath(installed_).parent_path())) {
    const std::string name = item.path().filename().string();
    if (name.rfind(Utf8FromWide(kLauncherName), 0) == 0) names.push_back(name);
  }
  EXPECT_EQ(names, std::vector<std::string>{Utf8FromWide(kLauncherName)});
}

TEST_F(HandOver, TheInstalledLauncherUpdatesItselfEndToEnd) {
  Install(oldBuild_, installed_);
  EXPECT_EQ(test::RunChild(installed_, L"").exitCode, 0);
  const std::wstring url = test::TestPortal::BaseUrl() + L"/download/" + kLauncherName;
  const std::string body = Bytes(newBuild_);
  std::wstring md5;
  ASSERT_TRUE(GetFileMd5(newBuild_, md5));
  const std::wstring size = std::to_wstring(body.size());
  Lines expected{CheckUrl(L"1.0.1.0"),
                 L"Http QueryInfoStatusCode:200",
                 L"Server response check version msg:" + url,
                 L"ExcuUpdate,URL=" + url,
                 L"Http QueryInfoStatusCode:200",
                 L"Content length:" + size,
                 L"Finish download,file size=" + size,
                 L"Finish download,file md5=" + md5,
                 L"Finish download,current file md5=" + md5,
                 L"Update success.Current Version:1.0.2.0",
                 L"====================="};
  for (const std::wstring& line : NoUpdateLines(L"1.0.2.0")) expected.push_back(line);
  EXPECT_EQ(WaitForLogLines(expected.size()), expected);
  EXPECT_TRUE(Bytes(installed_) == body);
  const auto requests = portal_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0], "GET /getClientVersion.php?p=korvo&g=qmr&v=1.0.1.0");
  EXPECT_EQ(requests[1], "GET /download/" + Utf8FromWide(kLauncherName));
  EXPECT_EQ(requests[2], "GET /getClientVersion.php?p=korvo&g=qmr&v=1.0.2.0");
}

}  // namespace
}  // namespace qm
