#include "platform/write_only_file.h"

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

struct WriteOnlyFile::Open {
  UniqueFileHandle file;
  std::wstring path;
};

WriteOnlyFile::WriteOnlyFile() = default;
WriteOnlyFile::~WriteOnlyFile() { Close(); }

bool WriteOnlyFile::Create(const std::wstring& path, const WriteOnlyFileOptions& options) {
  Close();
  const DWORD attributes = options.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  const DWORD share = options.shareWithReaders ? FILE_SHARE_READ : 0;
  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                                    (attributes ? attributes : FILE_ATTRIBUTE_NORMAL) | FILE_FLAG_SEQUENTIAL_SCAN,
                                    nullptr));
  if (!file) return false;
  open_ = std::make_unique<Open>(Open{std::move(file), path});
  return true;
}

bool WriteOnlyFile::Write(const char* data, size_t size) {
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

void WriteOnlyFile::SetTimes(uint64_t creation, uint64_t access, uint64_t write) {
  if (!open_) return;
  const FILETIME c = ToFileTime(creation), a = ToFileTime(access), w = ToFileTime(write);
  SetFileTime(open_->file.get(), creation ? &c : nullptr, access ? &a : nullptr, write ? &w : nullptr);
}

void WriteOnlyFile::Close() { open_.reset(); }

void WriteOnlyFile::Discard() {
  if (!open_) return;
  const std::wstring path = open_->path;
  open_.reset();
  // A read-only file is not deleted until it is writable.
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
}

}  // namespace qm
