#include "install/recycle_bin.h"

#ifdef _WIN32
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "platform/win32/owners.h"
#else
#include <filesystem>

#include "base/text.h"
#include "platform/linux/xdg_folders.h"
#endif

namespace qm::test {

#ifdef _WIN32
std::vector<std::wstring> RecycleBinItemNames() {
  std::vector<std::wstring> names;
  const ComInitialization com;
  ComPtr<IShellFolder> desktop;
  UniqueCoTaskMemory<ITEMIDLIST> bin;
  ComPtr<IShellFolder> folder;
  ComPtr<IEnumIDList> items;
  if (SUCCEEDED(SHGetDesktopFolder(&desktop)) &&
      SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, bin.put())) &&
      SUCCEEDED(desktop->BindToObject(bin.get(), nullptr, IID_PPV_ARGS(&folder))) &&
      folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items) == S_OK) {
    UniqueCoTaskMemory<ITEMIDLIST> child;
    while (items->Next(1, child.put(), nullptr) == S_OK) {
      STRRET name{};
      if (SUCCEEDED(folder->GetDisplayNameOf(child.get(), SHGDN_NORMAL, &name)) && name.uType == STRRET_WSTR) {
        const UniqueCoTaskMemory<wchar_t> text(name.pOleStr);
        names.emplace_back(text.get());
      }
    }
  }
  return names;
}
#else
std::vector<std::wstring> RecycleBinItemNames() {
  const std::filesystem::path files = std::filesystem::path(XdgDataHome()) / "Trash" / "files";
  std::vector<std::wstring> names;
  std::error_code ec;
  for (const auto& item : std::filesystem::directory_iterator(files, ec)) {
    names.push_back(WideFromUtf8(item.path().filename().string()));
  }
  return names;
}
#endif

}  // namespace qm::test
