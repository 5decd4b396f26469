#include "install/first_start_install.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_facts.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "base/text.h"
#include "install/install_fixture.h"
#include "install/install_shell.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

class FirstStartInstall : public InstallTest {
 protected:
  void Install(const std::wstring& module) { RunFirstStartInstall(FoldersRunning(module)); }
  std::string Bytes(const std::wstring& path) { return ReadFile(FsPath(path)); }
};

TEST(VersionNumbers, DotsRemovedThenReadAsADecimalInteger) {
  const struct {
    const wchar_t* text;
    long number;
  } cases[] = {{L"1.0.1.0", 1010}, {L"1.0.10.0", 10100}, {L"1.1.0.0", 1100}, {L"", 0},
               {L"None VerSion Supprot", 0}, {L"2.0 beta", 20}, {L".5", 5}};
  for (const auto& c : cases) EXPECT_EQ(VersionNumber(c.text), c.number) << Utf8FromWide(c.text);
  EXPECT_GT(VersionNumber(L"1.0.10.0"), VersionNumber(L"1.1.0.0"));
}

TEST_F(FirstStartInstall, TheVariantLaunchersCarryTheirVersions) {
  EXPECT_EQ(GetFileVersionText(Launcher()), L"1.0.1.0");
  EXPECT_EQ(GetFileVersionText(NewerLauncher()), L"1.0.10.0");
  EXPECT_EQ(GetFileVersionText(OlderLauncher()), L"1.0.0.9");
}

TEST_F(FirstStartInstall, FirstRunFromADownloadedExecutable) {
  const PathComposer paths = Paths(Launcher());
  const std::wstring installed = paths.InstalledExecutable();
  Install(Launcher());

  EXPECT_TRUE(FolderExists(paths.DataFolder()));
  EXPECT_EQ(Bytes(installed), Bytes(Launcher()));
  EXPECT_EQ(Bytes(paths.ResFolder() + Sep() + L"uninstall.ico").size(), 1150u);
  EXPECT_EQ(ReadSetting(L"Setting", L"start", L"-1"), L"1001");
  EXPECT_EQ(ReadSetting(L"Start", L"firststart", L"?"), L"0");

  const struct {
    std::wstring link;
    const wchar_t* arguments;
    std::wstring icon;
  } shortcuts[] = {
      {paths.DesktopShortcut(), L"1", L""},
      {paths.ProgramShortcut(), L"1", L""},
      {paths.UninstallShortcut(), L"-u", paths.ResFolder() + Sep() + L"uninstall.ico"},
  };
  for (const auto& s : shortcuts) {
    SCOPED_TRACE(Utf8FromWide(s.link));
    const auto facts = ReadShortcut(s.link);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->target, installed);
    EXPECT_EQ(facts->arguments, s.arguments);
    EXPECT_EQ(facts->iconPath, s.icon);
    EXPECT_EQ(facts->iconIndex, 0);
#ifndef _WIN32
    const ChildResult check = RunChild(L"/usr/bin/desktop-file-validate", s.link);
    EXPECT_EQ(check.exitCode, 0) << check.errorOutput;
#endif
  }

  const auto entry = ReadUninstallEntry(kRegistryName);
  ASSERT_TRUE(entry);
  const std::map<std::wstring, std::wstring> values = {
      {L"Path", installed}, {L"DisplayName", L"Quellmoor"}, {L"Publisher", L"Tarnwick"},
      {L"UninstallString", installed + L" -u"}};
  EXPECT_EQ(*entry, values);
  for (const auto& [name, value] : values) {
    EXPECT_EQ(ReadApplicationProfile(kRegistryName, name, L"no find!"), value) << Utf8FromWide(name);
  }
}

TEST_F(FirstStartInstall, LaterRunsRewriteOnlyTheStartMenuShortcuts) {
  const PathComposer paths = Paths(Launcher());
  const std::wstring installed = paths.InstalledExecutable();
  Install(Launcher());
  WriteSetting(L"Start", L"firststart", L"1");
  // A file of the desktop shortcut's name is never overwritten.
  WriteFile(FsPath(paths.DesktopShortcut()), "not a shortcut");
  fs::remove(FsPath(paths.ProgramShortcut()));
  fs::remove(FsPath(paths.UninstallShortcut()));

  Install(installed);  // the installed executable runs itself
  EXPECT_EQ(Bytes(paths.DesktopShortcut()), "not a shortcut");
  EXPECT_TRUE(ReadShortcut(paths.ProgramShortcut()));
  EXPECT_TRUE(ReadShortcut(paths.UninstallShortcut()));
  EXPECT_EQ(ReadSetting(L"Start", L"firststart", L"?"), L"1");  // equal versions: nothing more
  EXPECT_EQ(Bytes(installed), Bytes(Launcher()));
}

TEST_F(FirstStartInstall, ADeletedDesktopShortcutComesBackAndOtherNamesDoNotCount) {
  const PathComposer paths = Paths(Launcher());
  Install(Launcher());
  fs::remove(FsPath(paths.DesktopShortcut()));
  const std::wstring other = QuerySystemFolders().desktop + Sep() + L"other.lnk";
  ASSERT_TRUE(SaveShortcut(other, {paths.InstalledExecutable(), L"1", L"", 0}));
  Install(Launcher());
  const auto facts = ReadShortcut(paths.DesktopShortcut());
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->target, paths.InstalledExecutable());
}

TEST_F(FirstStartInstall, NewerOlderAndMissingInstalledExecutables) {
  const std::wstring installed = Paths(Launcher()).InstalledExecutable();
  const struct {
    const char* what;
    std::wstring running;
    bool replaces;
  } runs[] = {
      {"newer from elsewhere", NewerLauncher(), true},
      {"older from elsewhere", OlderLauncher(), false},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.what);
    RemoveTraces();
    Install(Launcher());
    WriteSetting(L"Start", L"firststart", L"1");
    Install(run.running);
    EXPECT_EQ(Bytes(installed), Bytes(run.replaces ? run.running : Launcher()));
    EXPECT_EQ(ReadSetting(L"Start", L"firststart", L"?"), run.replaces ? L"0" : L"1");
    EXPECT_EQ(GetFileVersionText(installed), run.replaces ? L"1.0.10.0" : L"1.0.1.0");
  }
  // With the installed executable missing, even an older one is copied.
  fs::remove(FsPath(installed));
  Install(OlderLauncher());
  EXPECT_EQ(Bytes(installed), Bytes(OlderLauncher()));
}

TEST_F(FirstStartInstall, AMissingFirstStartKeyIsNotWritten) {
  const PathComposer paths = Paths(Launcher());
  Install(Launcher());
  const std::wstring settings = SettingsFilePath();
  WriteFile(FsPath(settings), "[Setting]\r\nstart=1001\r\n");
  Install(NewerLauncher());
  EXPECT_EQ(Bytes(paths.InstalledExecutable()), Bytes(NewerLauncher()));
  EXPECT_EQ(Bytes(settings), "[Setting]\r\nstart=1001\r\n");
}

TEST_F(FirstStartInstall, TheUninstallEntryIsWrittenOnlyWhenNew) {
  const std::wstring installed = Paths(Launcher()).InstalledExecutable();
  Install(Launcher());
  {
    UninstallEntry entry(kRegistryName);
    ASSERT_EQ(entry.CreateOrOpen(), UninstallEntry::Opened::kExisting);
    entry.SetValue(L"DisplayName", L"Old Name");
  }
  Install(Launcher());
  EXPECT_EQ(ReadUninstallEntry(kRegistryName)->at(L"DisplayName"), L"Old Name");
  ASSERT_TRUE(DeleteUninstallEntry(kRegistryName));
  Install(Launcher());
  EXPECT_EQ(ReadUninstallEntry(kRegistryName)->at(L"DisplayName"), L"Quellmoor");
  EXPECT_EQ(ReadUninstallEntry(kRegistryName)->at(L"UninstallString"), installed + L" -u");
}

TEST_F(FirstStartInstall, WithoutAdministratorRightsTheEntryIsSkippedAndTheRestDone) {
  DenyMachineWideWritesForTesting(true);
  const PathComposer paths = Paths(Launcher());
  Install(Launcher());
  EXPECT_FALSE(ReadUninstallEntry(kRegistryName));
  EXPECT_TRUE(FileExists(paths.InstalledExecutable()));
  EXPECT_TRUE(ReadShortcut(paths.UninstallShortcut()));
  EXPECT_EQ(ReadApplicationProfile(kRegistryName, L"Path", L"no find!"), paths.InstalledExecutable());
}

TEST_F(FirstStartInstall, TheProfileCopyFollowsTheInstalledPath) {
  const std::wstring installed = Paths(Launcher()).InstalledExecutable();
  Install(Launcher());
  WriteApplicationProfile(kRegistryName, L"Publisher", L"kept while Path matches");
  Install(Launcher());
  EXPECT_EQ(ReadApplicationProfile(kRegistryName, L"Publisher", L""), L"kept while Path matches");
  WriteApplicationProfile(kRegistryName, L"Path", L"elsewhere");
  Install(Launcher());
  EXPECT_EQ(ReadApplicationProfile(kRegistryName, L"Path", L""), installed);
  EXPECT_EQ(ReadApplicationProfile(kRegistryName, L"Publisher", L""), L"Tarnwick");
}

}  // namespace
}  // namespace qm::test
