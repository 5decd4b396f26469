// What installation and uninstall ask of the platform: shortcut files, the
// recycle bin, shell notifications, the machine-wide uninstall entry and the
// per-user application profile. Windows: shell links, SHFileOperationW,
// SHChangeNotify and the registry. Linux: .desktop launchers, the freedesktop
// Trash, a machine-wide entry file and a per-user profile file.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace qm {

// What a shortcut file starts.
struct ShortcutFacts {
  std::wstring target;
  std::wstring arguments;
  std::wstring iconPath;  // empty: no icon of its own
  int iconIndex = 0;
};

// Saves a shortcut at linkPath that starts target with arguments (no working
// folder, no hot key, normal window); iconPath empty means no icon. Replaces
// an existing file of that name. True when the file was saved.
bool SaveShortcut(const std::wstring& linkPath, const ShortcutFacts& facts);

// Reads a shortcut back; nothing when the file is missing or not a shortcut.
std::optional<ShortcutFacts> ReadShortcut(const std::wstring& linkPath);

// Deletes a file or a folder with its content, without questions, into the
// recycle bin. True when the platform reports success.
bool DeleteWithShell(const std::wstring& path);

// Deletes a file for good. While a process still runs from it or holds it
// (Windows refuses the deletion then; the state ends with that process), the
// deletion is tried again every 100 ms for up to 5 seconds. True when the
// file is gone.
bool DeleteFileWhenFree(const std::wstring& path);

// Tells the desktop that path is gone and that its parent folder changed.
void NotifyShellDeleted(const std::wstring& path);

// The machine-wide uninstall entry, written only with administrator rights.
class UninstallEntry {
 public:
  enum class Opened { kFailed, kCreatedNew, kExisting };

  explicit UninstallEntry(std::wstring name);
  ~UninstallEntry();
  UninstallEntry(const UninstallEntry&) = delete;
  UninstallEntry& operator=(const UninstallEntry&) = delete;

  // Creates the entry or opens the existing one, for writing.
  Opened CreateOrOpen();
  // Sets one text value of the opened entry.
  bool SetValue(const std::wstring& name, const std::wstring& value);

 private:
  struct Store;  // the opened entry of this platform's machine-wide store
  std::wstring name_;
  std::unique_ptr<Store> store_;
};

// Deletes the entry; false when it cannot (missing, or no rights).
bool DeleteUninstallEntry(const std::wstring& name);

// The values of the entry, when it exists.
std::optional<std::map<std::wstring, std::wstring>> ReadUninstallEntry(const std::wstring& name);

// Test seam: behave as a user without administrator rights, whom the
// machine-wide store refuses writes and deletions.
void DenyMachineWideWritesForTesting(bool deny);
bool MachineWideWritesDenied();

// The per-user application profile (HKCU\Software\Quellmoor\Quellmoor on
// Windows, $XDG_CONFIG_HOME/Quellmoor/profile.conf on Linux).
std::wstring ReadApplicationProfile(const std::wstring& section, const std::wstring& key, const std::wstring& fallback);
bool WriteApplicationProfile(const std::wstring& section, const std::wstring& key, const std::wstring& value);

}  // namespace qm
