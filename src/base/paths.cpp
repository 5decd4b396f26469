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

namespace {

bool IsWindowsStyle(const PathStyle& style) { return style.separator == L'\\'; }

}  // namespace

bool IsPathSeparator(wchar_t c, const PathStyle& style) {
  return c == style.separator || (IsWindowsStyle(style) && c == L'/');
}

std::wstring NativeSeparators(std::wstring text, const PathStyle& style) {
  for (wchar_t& c : text) {
    if (c == L'\\') c = style.separator;
  }
  return text;
}

std::wstring WithoutTrailingSeparator(std::wstring path, const PathStyle& style) {
  // A Windows drive's root ("C:\") is a folder of its own; "C:" would mean
  // the drive's current folder.
  const bool driveRoot =
      IsWindowsStyle(style) && path.size() == 3 && path[1] == L':' && IsPathSeparator(path[2], style);
  if (driveRoot) return path;
  while (path.size() > 1 && IsPathSeparator(path.back(), style)) path.pop_back();
  return path;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name, const PathStyle& style) {
  if (folder.empty()) return name;
  size_t start = 0;
  while (start < name.size() && IsPathSeparator(name[start], style)) ++start;
  const std::wstring head = WithoutTrailingSeparator(folder, style);
  const std::wstring tail = name.substr(start);
  return IsPathSeparator(head.back(), style) ? head + tail : head + style.separator + tail;
}

std::wstring ParentPath(const std::wstring& path, const PathStyle& style) {
  const std::wstring whole = WithoutTrailingSeparator(path, style);
  size_t last = whole.size();
  while (last > 0 && !IsPathSeparator(whole[last - 1], style)) --last;
  if (last == 0) return L"";                 // no folder part at all
  if (last == 1) return whole.substr(0, 1);  // the root
  std::wstring parent = WithoutTrailingSeparator(whole.substr(0, last), style);
  if (IsWindowsStyle(style) && parent.size() == 2 && parent[1] == L':') parent += style.separator;
  return parent;
}

std::wstring PathFileName(const std::wstring& path, const PathStyle& style) {
  size_t last = path.size();
  while (last > 0 && !IsPathSeparator(path[last - 1], style)) --last;
  return path.substr(last);
}

PathComposer::PathComposer(SystemFolders folders, RowLoader rows, PathStyle style)
    : folders_(std::move(folders)), rows_(std::move(rows)), style_(style) {}

std::wstring PathComposer::Row(unsigned row) const { return NativeSeparators(rows_(row), style_); }

std::wstring PathComposer::ModuleFileName() const { return PathFileName(folders_.modulePath, style_); }

std::wstring PathComposer::DataFolder() const {
  return folders_.appData + Sep() + Row(kRowDataParentName) + Sep() + Row(kRowGameCode) + Sep();
}

std::wstring PathComposer::SettingsFile() const { return DataFolder() + Row(kRowSettingsFile); }

std::wstring PathComposer::ResFolder() const { return DataFolder() + L"res"; }

std::wstring PathComposer::UpdateLog() const { return DataFolder() + L"res" + Sep() + L"update.log"; }

std::wstring PathComposer::InstallSubFolder() const { return Row(kRowDataParent) + Row(kRowGameCode) + Sep(); }

std::wstring PathComposer::InstallFolder() const { return folders_.appData + InstallSubFolder(); }

std::wstring PathComposer::DataParentFolder() const { return JoinPath(folders_.appData, Row(kRowDataParentName), style_); }

std::wstring PathComposer::InstalledExecutable() const { return InstallFolder() + ModuleFileName(); }

std::wstring PathComposer::StagingFolder() const { return folders_.appData + Sep() + L"cache"; }

std::wstring PathComposer::DownloadedUpdate() const { return StagingFolder() + Row(kRowUpdateFileName); }

std::wstring PathComposer::UninstallerCopy() const { return folders_.appData + Row(kRowUninstallerCopy); }

std::wstring PathComposer::DesktopShortcutName() const {
  return Row(kRowPortalShortcutName) + L"《" + Row(kRowGameTitle) + L"》" + style_.shortcutSuffix;
}

std::wstring PathComposer::DesktopShortcut() const { return JoinPath(folders_.desktop, DesktopShortcutName(), style_); }

std::wstring PathComposer::PortalMenuFolder() const { return JoinPath(folders_.programs, Row(kRowPortalName), style_); }

std::wstring PathComposer::StartMenuFolder() const { return JoinPath(PortalMenuFolder(), Row(kRowGameTitle), style_); }

std::wstring PathComposer::ProgramShortcutName() const { return Row(kRowGameTitle) + style_.shortcutSuffix; }

std::wstring PathComposer::ProgramShortcut() const { return JoinPath(StartMenuFolder(), ProgramShortcutName(), style_); }

std::wstring PathComposer::UninstallShortcutName() const { return Row(kRowUninstallName) + style_.shortcutSuffix; }

std::wstring PathComposer::UninstallShortcut() const { return JoinPath(StartMenuFolder(), UninstallShortcutName(), style_); }

std::wstring PathComposer::ResFolderBeside(const std::wstring& executable) const {
  return JoinPath(ParentPath(executable, style_), L"res", style_);
}

std::wstring PathComposer::UninstallIconBeside(const std::wstring& executable) const {
  return JoinPath(ResFolderBeside(executable), L"uninstall.ico", style_);
}

}  // namespace qm
