#include "install/uninstall.h"

#include <filesystem>
#include <system_error>

#include "base/string_rows.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "base/text.h"
#include "install/first_start_install.h"
#include "install/install_shell.h"
#include "platform/files.h"
#include "platform/process.h"
#include "ui/message_box.h"

namespace qm {

bool IsInstalledExecutablePath(const std::wstring& path, const PathComposer& paths) {
  const PathStyle& style = paths.style();
  if (PathFileName(path, style).empty()) return false;
  const std::wstring folder = ParentPath(path, style);
  if (folder.empty()) return false;
  const std::wstring installFolder = WithoutTrailingSeparator(paths.InstallFolder(), style);
  // Windows file names match without regard to case.
  return style.separator == L'\\' ? EqualsIgnoreCase(folder, installFolder) : folder == installFolder;
}

bool RemoveAndNotify(const std::wstring& path) {
  if (!DeleteWithShell(path)) return false;
  NotifyShellDeleted(path);
  return true;
}

bool IsFolderEmpty(const std::wstring& folder) {
  std::error_code ec;
  std::filesystem::directory_iterator it(FsPath(folder), ec);
  if (ec) return true;
  return it == std::filesystem::directory_iterator();
}

int RunUninstallConfirmation() {
  return RunUninstallConfirmation([](const std::wstring& title, const std::wstring& text) {
    CCustomMessageBox box;
    box.SetTexts(title, text);
    return box.DoModal();
  });
}

int RunUninstallConfirmation(const AskUser& ask) { return RunUninstallConfirmation(ask, QuerySystemFolders()); }

int RunUninstallConfirmation(const AskUser& ask, const SystemFolders& folders) {
  const std::wstring text = L"您是否确认卸载《" + LoadStringRow(kRowGameTitle) + L"》？";
  if (ask(L"卸载", text) == kAnswerCancel) return 0;

  const PathComposer paths(folders, LoadStringRow, NativePathStyle());
  const std::wstring module = folders.modulePath;
  if (!folders.appData.empty()) {
    const std::wstring staging = paths.StagingFolder();
    if (!PathExists(staging)) CreateFolder(staging);
    // A running executable cannot delete itself: the copy in the staging
    // folder does the clean-up.
    const std::wstring copy = paths.UninstallerCopy();
    CopyFileReplacing(module, copy);
    StartProcess(copy, L"-u " + module);
  }
  DeleteUninstallEntry(kRegistryName);
  return 0;
}

int RunUninstallCleanUp(const std::wstring& installedPath) {
  return RunUninstallCleanUp(installedPath, QuerySystemFolders());
}

int RunUninstallCleanUp(const std::wstring& installedPath, const SystemFolders& folders) {
  const PathComposer paths(folders, LoadStringRow, NativePathStyle());
  // A system folder that cannot be found leaves its deletions out: its paths
  // would otherwise point at the root of the file system.
  if (!folders.desktop.empty()) RemoveAndNotify(paths.DesktopShortcut());
  if (!folders.programs.empty()) {
    RemoveAndNotify(paths.UninstallShortcut());
    RemoveAndNotify(paths.ProgramShortcut());
  }

  // The executable and the res folder beside it go only when they are the
  // installation's: a copy run from elsewhere ("Downloads\Quellmoor.exe -u")
  // must not take that folder's files, nor a "res" folder that happens to be
  // there. An argument without any folder names nothing at all.
  if (IsInstalledExecutablePath(installedPath, paths)) {
    // The confirmation run that started this one may still be running from
    // that file for a moment; the deletion waits for it.
    if (FileExists(installedPath)) DeleteFileWhenFree(installedPath);
    RemoveAndNotify(paths.ResFolderBeside(installedPath));
  }

  if (!folders.programs.empty()) {
    const std::wstring menuFolder = paths.StartMenuFolder();
    if (IsFolderEmpty(menuFolder)) RemoveAndNotify(menuFolder);
    const std::wstring portalFolder = paths.PortalMenuFolder();
    if (IsFolderEmpty(portalFolder)) RemoveAndNotify(portalFolder);
  }
  return 0;
}

}  // namespace qm
