// Windows: shell links, the Recycle Bin through SHFileOperationW, shell change
// notifications, the uninstall key under HKEY_LOCAL_MACHINE and the
// application profile under HKEY_CURRENT_USER.
#include "install/install_shell.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "base/paths.h"
#include "platform/win32/owners.h"

namespace qm {

namespace {

bool g_denyMachineWide = false;

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// KEY_ALL_ACCESS in the 64-bit registry view, also from a 32-bit process.
constexpr REGSAM kEntryAccess = KEY_ALL_ACCESS | KEY_WOW64_64KEY;  // 0xF013F
constexpr wchar_t kProfileKey[] = L"Software\\Quellmoor\\Quellmoor";

bool SetString(HKEY key, const std::wstring& name, const std::wstring& value) {
  // Each value is stored with its terminating zero.
  return RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

bool SaveShortcut(const std::wstring& linkPath, const ShortcutFacts& facts) {
  ComInitialization com;  // for the length of this shell call
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) return false;
  ComPtr<IPersistFile> file;
  if (FAILED(link.As(&file))) return false;
  link->SetPath(facts.target.c_str());
  link->SetArguments(facts.arguments.c_str());
  link->SetDescription(L"");
  if (!facts.iconPath.empty()) link->SetIconLocation(facts.iconPath.c_str(), facts.iconIndex);
  link->SetShowCmd(SW_SHOWNORMAL);
  return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

std::optional<ShortcutFacts> ReadShortcut(const std::wstring& linkPath) {
  if (GetFileAttributesW(linkPath.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  ComInitialization com;  // for the length of this shell call
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) {
    return std::nullopt;
  }
  ComPtr<IPersistFile> file;
  std::optional<ShortcutFacts> facts;
  if (SUCCEEDED(link.As(&file))) {
    if (SUCCEEDED(file->Load(linkPath.c_str(), STGM_READ))) {
      ShortcutFacts read;
      wchar_t buffer[1024] = {};
      if (SUCCEEDED(link->GetPath(buffer, 1024, nullptr, SLGP_RAWPATH))) read.target = buffer;
      buffer[0] = 0;
      if (SUCCEEDED(link->GetArguments(buffer, 1024))) read.arguments = buffer;
      buffer[0] = 0;
      int index = 0;
      if (SUCCEEDED(link->GetIconLocation(buffer, 1024, &index))) {
        read.iconPath = buffer;
        read.iconIndex = index;
      }
      facts = read;
    }
  }
  return facts;
}

bool DeleteWithShell(const std::wstring& path) {
  // The list the shell reads ends with two zeros; a longer path would be cut
  // and name another item, so it is not deleted at all.
  wchar_t buffer[256] = {};
  if (path.empty() || path.size() > 254) return false;
  std::memcpy(buffer, path.c_str(), path.size() * sizeof(wchar_t));
  SHFILEOPSTRUCTW operation{};
  operation.hwnd = nullptr;
  operation.wFunc = FO_DELETE;
  operation.pFrom = buffer;
  operation.pTo = nullptr;
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO;  // 0x54
  return SHFileOperationW(&operation) == 0;
}

bool DeleteFileWhenFree(const std::wstring& path) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (;;) {
    // A read-only file is not deleted until it is writable.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
      SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    if (DeleteFileW(path.c_str())) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    // A running program's file is refused with "access denied", an open one
    // with a sharing violation.
    const bool inUse = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
                       error == ERROR_LOCK_VIOLATION;
    if (!inUse || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

void NotifyShellDeleted(const std::wstring& path) {
  SHChangeNotify(SHCNE_RMDIR | SHCNE_INTERRUPT, SHCNF_PATHW | SHCNF_FLUSH, path.c_str(), nullptr);
  const std::wstring folder = ParentPath(path);
  const std::wstring& parent = folder.empty() ? path : folder;
  SHChangeNotify(SHCNE_UPDATEDIR | SHCNE_INTERRUPT, SHCNF_PATHW | SHCNF_FLUSH, parent.c_str(), nullptr);
}

struct UninstallEntry::Store {
  UniqueHKey key;
};

UninstallEntry::UninstallEntry(std::wstring name) : name_(std::move(name)) {}

UninstallEntry::~UninstallEntry() = default;

UninstallEntry::Opened UninstallEntry::CreateOrOpen() {
  if (g_denyMachineWide) return Opened::kFailed;
  UniqueHKey parent;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, kEntryAccess, parent.put()) != ERROR_SUCCESS) {
    return Opened::kFailed;
  }
  UniqueHKey key;
  DWORD disposition = 0;
  if (RegCreateKeyExW(parent.get(), name_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kEntryAccess, nullptr,
                      key.put(), &disposition) != ERROR_SUCCESS) {
    return Opened::kFailed;
  }
  store_ = std::make_unique<Store>(Store{std::move(key)});
  return disposition == REG_CREATED_NEW_KEY ? Opened::kCreatedNew : Opened::kExisting;
}

bool UninstallEntry::SetValue(const std::wstring& name, const std::wstring& value) {
  return store_ && SetString(store_->key.get(), name, value);
}

bool DeleteUninstallEntry(const std::wstring& name) {
  if (g_denyMachineWide) return false;
  UniqueHKey parent;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, kEntryAccess, parent.put()) != ERROR_SUCCESS) return false;
  return RegDeleteKeyW(parent.get(), name.c_str()) == ERROR_SUCCESS;
}

std::optional<std::map<std::wstring, std::wstring>> ReadUninstallEntry(const std::wstring& name) {
  UniqueHKey key;
  const std::wstring path = std::wstring(kUninstallKey) + L"\\" + name;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::map<std::wstring, std::wstring> values;
  for (DWORD i = 0;; ++i) {
    wchar_t valueName[256];
    DWORD nameLength = 256, type = 0;
    BYTE data[4096];
    DWORD dataSize = sizeof data - sizeof(wchar_t);
    if (RegEnumValueW(key.get(), i, valueName, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    if (type != REG_SZ) continue;
    data[dataSize] = 0;
    data[dataSize + 1] = 0;
    values[valueName] = reinterpret_cast<const wchar_t*>(data);
  }
  return values;
}

void DenyMachineWideWritesForTesting(bool deny) { g_denyMachineWide = deny; }
bool MachineWideWritesDenied() { return g_denyMachineWide; }

std::wstring ReadApplicationProfile(const std::wstring& section, const std::wstring& key, const std::wstring& fallback) {
  const std::wstring path = std::wstring(kProfileKey) + L"\\" + section;
  wchar_t buffer[4096];
  DWORD size = sizeof buffer;
  if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), key.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &size) !=
      ERROR_SUCCESS) {
    return fallback;
  }
  return buffer;
}

bool WriteApplicationProfile(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
  const std::wstring path = std::wstring(kProfileKey) + L"\\" + section;
  UniqueHKey handle;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      handle.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return SetString(handle.get(), key, value);
}

}  // namespace qm
