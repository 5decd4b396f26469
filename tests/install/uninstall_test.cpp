#include "install/uninstall.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwctype>
#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

#include "base/text.h"
#include "install/first_start_install.h"
#include "install/install_fixture.h"
#include "install/install_shell.h"
#include "install/recycle_bin.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/held_file.h"
#include "support/temp_dir.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

bool WaitFor(const std::function<bool()>& condition, int seconds = 60) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return condition();
}

std::vector<std::string> Names(const std::wstring& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(FsPath(folder), ec)) names.push_back(item.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class Uninstall : public InstallTest {
 protected:
  // Installs the build's launcher, as a first start from elsewhere does.
  PathComposer InstallLauncher() {
    RunFirstStartInstall(FoldersRunning(Launcher()));
    const PathComposer paths = Paths(Launcher());
    EXPECT_TRUE(FileExists(paths.InstalledExecutable()));
    return paths;
  }

  // What the clean-up run leaves: no shortcuts, no installed executable, the
  // res folder in the recycle bin as one item.
  void ExpectCleanedUp(const PathComposer& paths) {
    EXPECT_FALSE(PathExists(paths.DesktopShortcut()));
    EXPECT_FALSE(PathExists(paths.ProgramShortcut()));
    EXPECT_FALSE(PathExists(paths.UninstallShortcut()));
    EXPECT_FALSE(PathExists(paths.InstalledExecutable()));
    EXPECT_FALSE(PathExists(paths.ResFolder()));
    EXPECT_TRUE(FolderExists(paths.DataFolder()));  // the data folder itself stays
    const std::wstring trashed = TrashFolder() + Sep() + L"files" + Sep() + L"res";
    EXPECT_EQ(Names(trashed), (std::vector<std::string>{"systemset.ini", "uninstall.ico", "update.log"}));
    // The desktop's own view of the recycle bin shows it as one item.
    const std::vector<std::wstring> bin = RecycleBinItemNames();
    EXPECT_EQ(std::count(bin.begin(), bin.end(), L"res"), 1);
    EXPECT_EQ(std::count(bin.begin(), bin.end(), L"systemset.ini"), 0);
  }
};

TEST_F(Uninstall, CancelChangesNothing) {
  const PathComposer paths = InstallLauncher();
  std::wstring title, text;
  const int result = RunUninstallConfirmation(
      [&](const std::wstring& t, const std::wstring& x) {
        title = t;
        text = x;
        return kAnswerCancel;
      },
      FoldersRunning(paths.InstalledExecutable()));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(title, L"卸载");
  EXPECT_EQ(text, L"您是否确认卸载《Quellmoor》？");
  EXPECT_FALSE(PathExists(paths.UninstallerCopy()));
  EXPECT_TRUE(ReadUninstallEntry(kRegistryName));
  EXPECT_TRUE(FileExists(paths.InstalledExecutable()));
  EXPECT_TRUE(PathExists(paths.ProgramShortcut()));
}

TEST_F(Uninstall, AnythingButCancelGoesAheadThroughTheCleanUpRun) {
  for (const int answer : {kAnswerOk, 0, 7}) {
    SCOPED_TRACE(answer);
    RemoveTraces();
    const PathComposer paths = InstallLauncher();
    WriteFile(FsPath(paths.UpdateLog()), "log");
    const std::wstring installed = paths.InstalledExecutable();
    RunUninstallConfirmation([&](const std::wstring&, const std::wstring&) { return answer; },
                             FoldersRunning(installed));
    EXPECT_FALSE(ReadUninstallEntry(kRegistryName));
    EXPECT_EQ(ReadFile(FsPath(paths.UninstallerCopy())), ReadFile(FsPath(Launcher())));
    // The copy removes the installation in a process of its own; the portal's
    // Start-menu folder is the last thing it removes.
    const std::wstring portalFolder = QuerySystemFolders().programs + Sep() + L"Tarnwick";
    ASSERT_TRUE(WaitFor([&] { return !PathExists(portalFolder) && !PathExists(installed); }));
    ExpectCleanedUp(paths);
    EXPECT_FALSE(PathExists(QuerySystemFolders().programs + Sep() + L"Tarnwick"));
    EXPECT_TRUE(FileExists(paths.UninstallerCopy()));  // the staging folder stays
    EXPECT_EQ(ReadApplicationProfile(kRegistryName, L"Path", L"no find!"), installed);  // so does the profile
  }
}

// The confirmation run starts the clean-up run and ends; until it has ended,
// Windows refuses to delete the file it runs from. Here the test process is
// the confirmation run and holds the installed file as a running program's
// file is held (no delete sharing) until about a second after the clean-up
// run started.
TEST_F(Uninstall, TheInstalledExecutableGoesOnceTheConfirmationRunLetsGo) {
  const PathComposer paths = InstallLauncher();
  WriteFile(FsPath(paths.UpdateLog()), "log");
  const std::wstring installed = paths.InstalledExecutable();
  test::HeldFile held(FsPath(installed), test::HeldFile::Sharing::kReaders);
  ASSERT_TRUE(held.held());
  RunUninstallConfirmation([](const std::wstring&, const std::wstring&) { return kAnswerOk; },
                           FoldersRunning(installed));
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  held.LetGo();
  const std::wstring portalFolder = QuerySystemFolders().programs + Sep() + L"Tarnwick";
  ASSERT_TRUE(WaitFor([&] { return !PathExists(portalFolder); }));
  EXPECT_FALSE(PathExists(installed));
  ExpectCleanedUp(paths);
}

TEST_F(Uninstall, WithoutAdministratorRightsTheEntryStaysAndTheRestGoes) {
  const PathComposer paths = InstallLauncher();
  WriteFile(FsPath(paths.UpdateLog()), "log");
  DenyMachineWideWritesForTesting(true);
  RunUninstallConfirmation([](const std::wstring&, const std::wstring&) { return kAnswerOk; },
                           FoldersRunning(paths.InstalledExecutable()));
  DenyMachineWideWritesForTesting(false);
  EXPECT_TRUE(ReadUninstallEntry(kRegistryName));
  const std::wstring portalFolder = QuerySystemFolders().programs + Sep() + L"Tarnwick";
  ASSERT_TRUE(WaitFor([&] { return !PathExists(portalFolder) && !PathExists(paths.InstalledExecutable()); }));
  ExpectCleanedUp(paths);
}

TEST_F(Uninstall, CleanUpRunKeepsAStartMenuFolderWithAForeignFile) {
  const PathComposer paths = InstallLauncher();
  WriteFile(FsPath(paths.UpdateLog()), "log");
  const std::wstring foreign = paths.StartMenuFolder() + Sep() + L"readme.txt";
  WriteFile(FsPath(foreign), "not ours");
  const ChildResult run = RunChild(Launcher(), L"-u " + paths.InstalledExecutable());
  EXPECT_EQ(run.exitCode, 0) << run.errorOutput;
  ExpectCleanedUp(paths);
  EXPECT_TRUE(FileExists(foreign));
  EXPECT_TRUE(FolderExists(QuerySystemFolders().programs + Sep() + L"Tarnwick"));
  EXPECT_TRUE(ReadUninstallEntry(kRegistryName));  // the clean-up run leaves the entry alone
}

TEST_F(Uninstall, AMissingDesktopShortcutChangesNothingElse) {
  const PathComposer paths = InstallLauncher();
  WriteFile(FsPath(paths.UpdateLog()), "log");
  fs::remove(FsPath(paths.DesktopShortcut()));
  EXPECT_EQ(RunUninstallCleanUp(paths.InstalledExecutable(), FoldersRunning(Launcher())), 0);
  ExpectCleanedUp(paths);
  EXPECT_FALSE(PathExists(paths.StartMenuFolder()));
  EXPECT_FALSE(PathExists(QuerySystemFolders().programs + Sep() + L"Tarnwick"));
}

TEST_F(Uninstall, AnArgumentWithoutAFolderRemovesNoResFolder) {
  const PathComposer paths = InstallLauncher();
  EXPECT_EQ(RunUninstallCleanUp(L"Quellmoor.exe", FoldersRunning(Launcher())), 0);
  EXPECT_TRUE(FolderExists(paths.ResFolder()));
  EXPECT_FALSE(PathExists(paths.ProgramShortcut()));
}

TEST_F(Uninstall, AnExecutableOutsideTheDataFolderAndItsNeighboursStay) {
  const PathComposer paths = InstallLauncher();
  TempDir downloads;
  const std::wstring downloaded = downloads.Sub(L"Quellmoor.exe");
  WriteFile(FsPath(downloaded), "downloaded copy");
  WriteFile(FsPath(downloads.Sub(L"res") + Sep() + L"photo.jpg"), "the user's own");
  const ChildResult run = RunChild(Launcher(), L"-u " + downloaded);
  EXPECT_EQ(run.exitCode, 0) << run.errorOutput;
  EXPECT_TRUE(FileExists(downloaded));
  EXPECT_TRUE(FileExists(downloads.Sub(L"res") + Sep() + L"photo.jpg"));
  EXPECT_FALSE(PathExists(paths.ProgramShortcut()));  // the shortcuts are ours by name
  EXPECT_TRUE(FileExists(paths.InstalledExecutable()));
  EXPECT_TRUE(FolderExists(paths.ResFolder()));
}

TEST_F(Uninstall, InstalledPathsAreRecognised) {
  const PathComposer paths = Paths(Launcher());
  EXPECT_TRUE(IsInstalledExecutablePath(paths.InstalledExecutable(), paths));
  EXPECT_FALSE(IsInstalledExecutablePath(paths.InstallFolder(), paths));
  EXPECT_FALSE(IsInstalledExecutablePath(L"Quellmoor.exe", paths));
  EXPECT_FALSE(IsInstalledExecutablePath(paths.InstallFolder() + L"sub" + Sep() + L"Quellmoor.exe", paths));
#ifdef _WIN32
  std::wstring upper = paths.InstalledExecutable();
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  EXPECT_TRUE(IsInstalledExecutablePath(upper, paths));
#endif
}

TEST_F(Uninstall, FolderEmptiness) {
  TempDir dir;
  EXPECT_TRUE(IsFolderEmpty(dir.wide()));
  EXPECT_TRUE(IsFolderEmpty(dir.Sub(L"missing")));
  ASSERT_TRUE(CreateFolder(dir.Sub(L"sub")));
  EXPECT_FALSE(IsFolderEmpty(dir.wide()));
  EXPECT_TRUE(IsFolderEmpty(dir.Sub(L"sub")));
}

TEST_F(Uninstall, ShellDeletionGoesToTheRecycleBin) {
  TempDir dir;
  const std::wstring folder = dir.Sub(L"res");
  WriteFile(FsPath(folder + Sep() + L"a.txt"), "a");
  EXPECT_TRUE(RemoveAndNotify(folder));
  EXPECT_FALSE(PathExists(folder));
  EXPECT_EQ(Names(TrashFolder() + Sep() + L"files" + Sep() + L"res"), std::vector<std::string>{"a.txt"});
  EXPECT_FALSE(DeleteWithShell(dir.Sub(L"missing")));
  EXPECT_FALSE(RemoveAndNotify(dir.Sub(L"missing")));
  // A path too long for the shell's list is not deleted at all.
  std::wstring deep = dir.wide();
  while (deep.size() < 250) deep += Sep() + std::wstring(40, L'd');
  const std::wstring longFile = deep + Sep() + L"long-name-file.txt";
  ASSERT_GT(longFile.size(), 254u);
  WriteFile(FsPath(longFile), "x");
#ifdef _WIN32
  EXPECT_FALSE(DeleteWithShell(longFile));
  EXPECT_TRUE(FileExists(longFile));
#else
  // The Trash has no such limit.
  EXPECT_TRUE(DeleteWithShell(longFile));
  EXPECT_FALSE(PathExists(longFile));
#endif
}

#ifndef _WIN32
TEST_F(Uninstall, TrashRecordsNameTheOriginalPlace) {
  TempDir dir;
  const std::wstring first = dir.Sub(L"我的 res");
  const std::wstring second = dir.Sub(L"other") + Sep() + L"我的 res";
  WriteFile(FsPath(first + Sep() + L"x"), "1");
  WriteFile(FsPath(second + Sep() + L"y"), "2");
  ASSERT_TRUE(DeleteWithShell(first));
  ASSERT_TRUE(DeleteWithShell(second));
  const std::wstring info = TrashFolder() + Sep() + L"info" + Sep();
  const std::string record1 = ReadFile(FsPath(info + L"我的 res.trashinfo"));
  const std::string record2 = ReadFile(FsPath(info + L"我的 res.2.trashinfo"));
  EXPECT_TRUE(FileExists(TrashFolder() + Sep() + L"files" + Sep() + L"我的 res.2" + Sep() + L"y"));
  const std::string encoded = dir.path().string() + "/%E6%88%91%E7%9A%84%20res";
  const std::string head = "[Trash Info]\nPath=" + encoded + "\nDeletionDate=";
  ASSERT_EQ(record1.substr(0, head.size()), head);
  const std::string date = record1.substr(head.size());
  const std::string shape = "dddd-dd-ddTdd:dd:dd\n";  // local time, no zone
  ASSERT_EQ(date.size(), shape.size()) << date;
  for (size_t i = 0; i < shape.size(); ++i) {
    EXPECT_TRUE(shape[i] == 'd' ? std::isdigit(static_cast<unsigned char>(date[i])) != 0 : date[i] == shape[i]) << date;
  }
  EXPECT_NE(record2.find("/other/%E6%88%91"), std::string::npos) << record2;
}
#endif

}  // namespace
}  // namespace qm::test
