#include "install/recycle_bin.h"

#ifdef _WIN32
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#else
#include <cstdlib>
#include <filesystem>
#include "base/text.h"
#endif

namespace qm::test {

#ifdef _WIN32
std::vector<std::wstring> RecycleBinItemNames() {
  std::vector<std::wstring> names;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellFolder* desktop = nullptr;
  LPITEMIDLIST bin = nullptr;
  IShellFolder* folder = nullptr;
  IEnumIDList* items = nullptr;
  if (SUCCEEDED(SHGetDesktopFolder(&desktop)) &&
      SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &bin)) &&
      SUCCEEDED(desktop->BindToObject(bin, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))) &&
      folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items) == S_OK) {
    LPITEMIDLIST child = nullptr;
    while (items->Next(1, &child, nullptr) == S_OK) {
      STRRET name{};
      if (SUCCEEDED(folder->GetDisplayNameOf(child, SHGDN_NORMAL, &name)) && name.uType == STRRET_WSTR) {
        names.emplace_back(name.pOleStr);
        CoTaskMemFree(name.pOleStr);
      }
      CoTaskMemFree(child);
    }
  }
  if (items) items->Release();
  if (folder) folder->Release();
  if (bin) CoTaskMemFree(bin);
  if (desktop) desktop->Release();
  if (SUCCEEDED(com)) CoUninitialize();
  return names;
}
#else
std::vector<std::wstring> RecycleBinItemNames() {
  const char* data = std::getenv("XDG_DATA_HOME");
  const std::filesystem::path files = std::filesystem::path(data ? data : "") / "Trash" / "files";
  std::vector<std::wstring> names;
  std::error_code ec;
  for (const auto& item : std::filesystem::directory_iterator(files, ec)) {
    names.push_back(WideFromUtf8(item.path().filename().string()));
  }
  return names;
}
#endif

}  // namespace qm::test
