#include "install/first_start_install.h"

#include "platform/file_facts.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "base/string_rows.h"
#include "platform/resources.h"
#include "install/install_shell.h"
#include "install/packaged_files.h"
#include "platform/files.h"

namespace qm {

namespace {

void EnsureOneFolder(const std::wstring& path) {
  if (!PathExists(path)) CreateFolder(path);
}

}  // namespace

long VersionNumber(const std::wstring& versionText) {
  std::wstring digits;
  for (wchar_t c : versionText) {
    if (c != L'.') digits += c;
  }
  return ParseSettingNumber(digits);
}

bool CreateShortcut(const std::wstring& arguments, const std::wstring& target, const std::wstring& folder,
                    const std::wstring& linkName, bool withIcon) {
  ShortcutFacts facts;
  facts.target = target;
  facts.arguments = arguments;
  if (withIcon) facts.iconPath = CurrentPaths().UninstallIconBeside(target);
  return SaveShortcut(JoinPath(folder, linkName), facts);
}

void RunFirstStartInstall() { RunFirstStartInstall(QuerySystemFolders()); }

void RunFirstStartInstall(const SystemFolders& folders) {
  // Without the application-data folder every path below would be relative
  // to the file system's root.
  if (folders.appData.empty()) return;
  const PathComposer paths(folders, LoadStringRow, NativePathStyle());
  const std::wstring title = LoadStringRow(kRowGameTitle);
  const std::wstring publisher = LoadStringRow(kRowPortalShortcutName);
  const std::wstring dataFolder = WithoutTrailingSeparator(paths.DataFolder());
  const std::wstring installed = paths.InstalledExecutable();

  // 1. The data folder and its parent.
  EnsureOneFolder(paths.DataParentFolder());
  EnsureOneFolder(dataFolder);

  // 2. The packaged files into its res folder.
  ExtractPackagedFiles(dataFolder);

  // 3. The desktop shortcut, only when no file of its name is there.
  if (!folders.desktop.empty() && !PathExists(paths.DesktopShortcut())) {
    CreateShortcut(L"1", installed, folders.desktop, paths.DesktopShortcutName(), false);
  }

  // 4.-6. The Start-menu folders and their two shortcuts, rewritten each time.
  if (!folders.programs.empty()) {
    // A fresh Linux account may not have its applications folder yet.
    EnsureOneFolder(folders.programs);
    const std::wstring menuFolder = paths.StartMenuFolder();
    EnsureOneFolder(paths.PortalMenuFolder());
    EnsureOneFolder(menuFolder);
    CreateShortcut(L"1", installed, menuFolder, paths.ProgramShortcutName(), false);
    CreateShortcut(L"-u", installed, menuFolder, paths.UninstallShortcutName(), true);
  }

  // 7. Version numbers of the installed and the running executable.
  const long installedVersion = VersionNumber(GetFileVersionText(installed));
  const long runningVersion = VersionNumber(GetFileVersionText(folders.modulePath));

  // 8. The uninstall entry, written only when it is new; skipped without rights.
  {
    UninstallEntry entry(kRegistryName);
    if (entry.CreateOrOpen() == UninstallEntry::Opened::kCreatedNew) {
      entry.SetValue(L"Path", installed);
      entry.SetValue(L"DisplayName", title);
      entry.SetValue(L"Publisher", publisher);
      entry.SetValue(L"UninstallString", installed + L" -u");
    }
  }

  // 9. The copy in the application profile, when it names another executable.
  if (ReadApplicationProfile(kRegistryName, L"Path", kProfileMissing) != installed) {
    WriteApplicationProfile(kRegistryName, L"Path", installed);
    WriteApplicationProfile(kRegistryName, L"DisplayName", title);
    WriteApplicationProfile(kRegistryName, L"Publisher", publisher);
    WriteApplicationProfile(kRegistryName, L"UninstallString", installed + L" -u");
  }

  // 10. A missing or older installed executable is replaced by this one.
  if (installedVersion == 0 || installedVersion < runningVersion) {
    // The installed executable running itself has nothing to copy.
    if (folders.modulePath != installed) CopyFileReplacing(folders.modulePath, installed);
    if (ParseSettingNumber(ReadSetting(L"Start", L"firststart", L"0")) != 0) {
      WriteSetting(L"Start", L"firststart", L"0");
    }
  }
}

}  // namespace qm
