#include "update/update_files.h"

#include <windows.h>

#include "platform/win32/owners.h"

namespace qm {

std::int64_t SizeWhenWritable(const std::wstring& path) {
  const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return -1;
  LARGE_INTEGER size{};
  return GetFileSizeEx(file.get(), &size) ? static_cast<std::int64_t>(size.QuadPart) : -1;
}

bool ReplaceWithCopy(const std::wstring& source, const std::wstring& target) {
  // A target that another process holds (a launcher still running from it)
  // is reported with the sharing violation that opening it for writing
  // meets, the state the caller waits out.
  {
    UniqueFileHandle probe(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = GetLastError();
    if (!probe && error == ERROR_SHARING_VIOLATION) return false;
  }
  const std::wstring temp = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".new";
  if (!CopyFileW(source.c_str(), temp.c_str(), FALSE)) {
    const DWORD error = GetLastError();
    DeleteFileW(temp.c_str());
    SetLastError(error);
    return false;
  }
  if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  const DWORD error = GetLastError();
  DeleteFileW(temp.c_str());
  SetLastError(error);
  return false;
}

bool IsFileInUseError(long errorCode) {
  return errorCode == ERROR_SHARING_VIOLATION || errorCode == ERROR_LOCK_VIOLATION;
}

}  // namespace qm
