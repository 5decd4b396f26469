// Every folder and file the launcher touches, composed by plain concatenation
// of system folders and string rows, so that the code that creates a file and
// the code that later finds or removes it always agree.
#pragma once

#include <functional>
#include <string>

namespace qm {

// The system folders, each without a trailing separator.
struct SystemFolders {
  std::wstring appData;     // per-user application data
  std::wstring desktop;     // the user's desktop
  std::wstring programs;    // the user's Start-menu programs (application launchers)
  std::wstring modulePath;  // full path of the running executable
};

// What one platform contributes to the composition: its separator, which
// replaces every backslash of the rules and rows, and its shortcut suffix.
struct PathStyle {
  wchar_t separator;
  const wchar_t* shortcutSuffix;
};

inline constexpr PathStyle kWindowsPathStyle{L'\\', L".lnk"};
inline constexpr PathStyle kLinuxPathStyle{L'/', L".desktop"};
const PathStyle& NativePathStyle();

// The helpers every composed path goes through, in one style (the native
// one unless given). A separator is the style's own; the Windows style also
// takes "/".
bool IsPathSeparator(wchar_t c, const PathStyle& style = NativePathStyle());
// Every backslash (the separator of the string rows) as the style's.
std::wstring NativeSeparators(std::wstring text, const PathStyle& style = NativePathStyle());
// folder and name with exactly one separator between them; name as it is
// when folder is empty. A root ("/", "C:\") keeps its one separator.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name,
                      const PathStyle& style = NativePathStyle());
// The folder part of path, without trailing separators: "C:\a\b.exe" ->
// "C:\a", "/a" -> "/", "b.exe" -> "". Trailing separators of path itself are
// dropped first, so the parent of a folder is the folder that holds it.
std::wstring ParentPath(const std::wstring& path, const PathStyle& style = NativePathStyle());
// What follows the last separator; empty for a path that ends in one.
std::wstring PathFileName(const std::wstring& path, const PathStyle& style = NativePathStyle());
// path without trailing separators; a root keeps its own.
std::wstring WithoutTrailingSeparator(std::wstring path, const PathStyle& style = NativePathStyle());

using RowLoader = std::function<std::wstring(unsigned row)>;

// Composes the path table from given folders and rows; pure, for both styles.
class PathComposer {
 public:
  PathComposer(SystemFolders folders, RowLoader rows, PathStyle style);

  std::wstring ModuleFileName() const;
  std::wstring DataFolder() const;          // with trailing separator
  std::wstring SettingsFile() const;        // data folder + row 197
  std::wstring ResFolder() const;           // data folder + "res"
  std::wstring UpdateLog() const;           // data folder + "res\update.log"
  std::wstring InstallFolder() const;       // {AppData} + row 119 + row 117 + "\"
  std::wstring InstalledExecutable() const; // install folder + module file name
  std::wstring StagingFolder() const;       // {AppData} + "\cache"
  std::wstring DownloadedUpdate() const;    // staging folder + row 118
  std::wstring UninstallerCopy() const;     // {AppData} + row 120
  std::wstring InstallSubFolder() const;    // row 119 + row 117 + "\"
  std::wstring DataParentFolder() const;    // {AppData}\<124>
  std::wstring DesktopShortcutName() const; // <125>《<102>》.lnk
  std::wstring DesktopShortcut() const;     // {Desktop}\<125>《<102>》.lnk
  std::wstring PortalMenuFolder() const;    // {Programs}\<105>
  std::wstring StartMenuFolder() const;     // {Programs}\<105>\<102>
  std::wstring ProgramShortcutName() const; // <102>.lnk
  std::wstring ProgramShortcut() const;     // Start-menu folder\<102>.lnk
  std::wstring UninstallShortcutName() const;  // <109>.lnk
  std::wstring UninstallShortcut() const;   // Start-menu folder\<109>.lnk
  // The res folder beside an executable and the uninstall icon in it.
  std::wstring ResFolderBeside(const std::wstring& executable) const;
  std::wstring UninstallIconBeside(const std::wstring& executable) const;

  const SystemFolders& folders() const { return folders_; }
  const PathStyle& style() const { return style_; }

 private:
  std::wstring Row(unsigned row) const;  // row text in this style's separators
  std::wstring Sep() const { return std::wstring(1, style_.separator); }

  SystemFolders folders_;
  RowLoader rows_;
  PathStyle style_;
};

}  // namespace qm
