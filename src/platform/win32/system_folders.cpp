#include <windows.h>
#include <shlobj.h>

#include "platform/paths.h"
#include "platform/win32/owners.h"

namespace qm {
namespace {

std::wstring SpecialFolder(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  UniqueCoTaskMemory<ITEMIDLIST> items;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, items.put())) && items) {
    SHGetPathFromIDListW(items.get(), buffer);
  }
  return buffer;
}

}  // namespace

SystemFolders QuerySystemFolders() {
  SystemFolders folders;
  wchar_t buffer[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
    folders.appData = buffer;
  }
  folders.desktop = SpecialFolder(CSIDL_DESKTOP);
  folders.programs = SpecialFolder(CSIDL_PROGRAMS);
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  folders.modulePath = module;
  return folders;
}

}  // namespace qm
