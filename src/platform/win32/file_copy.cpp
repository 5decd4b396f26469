#include <windows.h>

#include "platform/files.h"

namespace qm {

bool CopyFileReplacing(const std::wstring& source, const std::wstring& target) {
  return CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
}

bool CreateFolder(const std::wstring& path) {
  return CreateDirectoryW(path.c_str(), nullptr) != FALSE || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace qm
