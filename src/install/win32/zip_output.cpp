#include "install/zip_output.h"

#include <windows.h>

namespace qm {

namespace {

HANDLE AsHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

FILETIME ToFileTime(uint64_t value) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
  t.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return t;
}

}  // namespace

ZipOutputFile::~ZipOutputFile() { Close(); }

bool ZipOutputFile::Create(const std::wstring& path, uint32_t attributes) {
  Close();
  const DWORD flags = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_ARCHIVE);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            flags ? flags : FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<intptr_t>(file);
  return true;
}

bool ZipOutputFile::Write(const char* data, size_t size) {
  if (handle_ == -1) return false;
  while (size > 0) {
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(AsHandle(handle_), data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

void ZipOutputFile::SetTimes(uint64_t creation, uint64_t access, uint64_t write) {
  if (handle_ == -1) return;
  const FILETIME c = ToFileTime(creation), a = ToFileTime(access), w = ToFileTime(write);
  SetFileTime(AsHandle(handle_), creation ? &c : nullptr, access ? &a : nullptr, write ? &w : nullptr);
}

void ZipOutputFile::Close() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
  handle_ = -1;
}

bool LocalTimeToUtcFileTime(int year, int month, int day, int hour, int minute, int second, uint64_t& fileTime) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(year);
  local.wMonth = static_cast<WORD>(month);
  local.wDay = static_cast<WORD>(day);
  local.wHour = static_cast<WORD>(hour);
  local.wMinute = static_cast<WORD>(minute);
  local.wSecond = static_cast<WORD>(second);
  FILETIME localTime, utc;
  if (!SystemTimeToFileTime(&local, &localTime) || !LocalFileTimeToFileTime(&localTime, &utc)) return false;
  fileTime = (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
  return true;
}

}  // namespace qm
