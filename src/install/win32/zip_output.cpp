#include "install/zip_output.h"

#include <windows.h>

#include "platform/win32/owners.h"

namespace qm {

namespace {

FILETIME ToFileTime(uint64_t value) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
  t.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return t;
}

}  // namespace

struct ZipOutputFile::Open {
  UniqueFileHandle file;
  std::wstring path;
};

ZipOutputFile::ZipOutputFile() = default;
ZipOutputFile::~ZipOutputFile() { Close(); }

bool ZipOutputFile::Create(const std::wstring& path, uint32_t attributes) {
  Close();
  const DWORD flags = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_ARCHIVE);
  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    flags ? flags : FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  open_ = std::make_unique<Open>(Open{std::move(file), path});
  return true;
}

bool ZipOutputFile::Write(const char* data, size_t size) {
  if (!open_) return false;
  while (size > 0) {
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(open_->file.get(), data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

void ZipOutputFile::SetTimes(uint64_t creation, uint64_t access, uint64_t write) {
  if (!open_) return;
  const FILETIME c = ToFileTime(creation), a = ToFileTime(access), w = ToFileTime(write);
  SetFileTime(open_->file.get(), creation ? &c : nullptr, access ? &a : nullptr, write ? &w : nullptr);
}

void ZipOutputFile::Close() { open_.reset(); }

void ZipOutputFile::Discard() {
  if (!open_) return;
  const std::wstring path = open_->path;
  open_.reset();
  // A read-only file is not deleted until it is writable.
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
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
