#include "base/paths.h"

#include <utility>

#include "base/string_rows.h"

namespace qm {

const PathStyle& NativePathStyle() {
#ifdef _WIN32
  return kWindowsPathStyle;
#else
  return kLinuxPathStyle;
#endif
}

PathComposer::PathComposer(SystemFolders folders, RowLoader rows, PathStyle style)
    : folders_(std::move(folders)), rows_(std::move(rows)), style_(style) {}

std::wstring PathComposer::Row(unsigned row) const {
  std::wstring text = rows_(row);
  for (wchar_t& c : text) {
    if (c == L'\\') c = style_.separator;
  }
  return text;
}

std::wstring PathComposer::ModuleFileName() const {
  const std::wstring& path = folders_.modulePath;
  const size_t last = path.rfind(style_.separator);
  return last == std::wstring::npos ? path : path.substr(last + 1);
}

std::wstring PathComposer::DataFolder() const {
  return folders_.appData + Sep() + Row(kRowDataParentName) + Sep() + Row(kRowGameCode) + Sep();
}

std::wstring PathComposer::SettingsFile() const { return DataFolder() + Row(kRowSettingsFile); }

std::wstring PathComposer::ResFolder() const { return DataFolder() + L"res"; }

std::wstring PathComposer::UpdateLog() const { return DataFolder() + L"res" + Sep() + L"update.log"; }

std::wstring PathComposer::InstallFolder() const {
  return folders_.appData + Row(kRowDataParent) + Row(kRowGameCode) + Sep();
}

std::wstring PathComposer::InstalledExecutable() const { return InstallFolder() + ModuleFileName(); }

std::wstring PathComposer::StagingFolder() const { return folders_.appData + Sep() + L"cache"; }

std::wstring PathComposer::DownloadedUpdate() const { return StagingFolder() + Row(kRowUpdateFileName); }

std::wstring PathComposer::UninstallerCopy() const { return folders_.appData + Row(kRowUninstallerCopy); }

std::wstring PathComposer::DesktopShortcut() const {
  return folders_.desktop + Sep() + Row(kRowPortalShortcutName) + L"《" + Row(kRowGameTitle) + L"》" +
         style_.shortcutSuffix;
}

std::wstring PathComposer::StartMenuFolder() const {
  return folders_.programs + Sep() + Row(kRowPortalName) + Sep() + Row(kRowGameTitle);
}

std::wstring PathComposer::ProgramShortcut() const {
  return StartMenuFolder() + Sep() + Row(kRowGameTitle) + style_.shortcutSuffix;
}

std::wstring PathComposer::UninstallShortcut() const {
  return StartMenuFolder() + Sep() + Row(kRowUninstallName) + style_.shortcutSuffix;
}

}  // namespace qm
