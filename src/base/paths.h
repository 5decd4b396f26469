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
  std::wstring DesktopShortcut() const;     // {Desktop}\<125>《<102>》.lnk
  std::wstring StartMenuFolder() const;     // {Programs}\<105>\<102>
  std::wstring ProgramShortcut() const;     // Start-menu folder\<102>.lnk
  std::wstring UninstallShortcut() const;   // Start-menu folder\<109>.lnk

  const SystemFolders& folders() const { return folders_; }

 private:
  std::wstring Row(unsigned row) const;  // row text in this style's separators
  std::wstring Sep() const { return std::wstring(1, style_.separator); }

  SystemFolders folders_;
  RowLoader rows_;
  PathStyle style_;
};

}  // namespace qm
