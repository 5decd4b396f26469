#include "update/update_files.h"

#include <windows.h>

#include "platform/win32/owners.h"
#include "update/update_exception.h"

namespace qm {

namespace {

std::wstring SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length ? std::wstring(text, length) : L"error " + std::to_wstring(code);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
  return message;
}

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

}  // namespace

std::int64_t SizeWhenWritable(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  LARGE_INTEGER size{};
  const BOOL ok = GetFileSizeEx(file, &size);
  CloseHandle(file);
  return ok ? static_cast<std::int64_t>(size.QuadPart) : -1;
}

DownloadFile::DownloadFile() : handle_(reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE)) {}
DownloadFile::~DownloadFile() { Close(); }

bool DownloadFile::Open(const std::wstring& path) {
  Close();
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return file != INVALID_HANDLE_VALUE;
}

void DownloadFile::Write(const char* data, size_t size) {
  while (size > 0) {
    DWORD written = 0;
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!WriteFile(AsHandle(handle_), data, chunk, &written, nullptr) || written == 0) {
      throw UpdateException(SystemMessage(GetLastError()));
    }
    data += written;
    size -= written;
  }
}

void DownloadFile::Close() {
  if (AsHandle(handle_) != INVALID_HANDLE_VALUE) CloseHandle(AsHandle(handle_));
  handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
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
