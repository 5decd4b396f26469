// The file system side of zip extraction, one implementation per platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qm {

// A file created for writing, not shared, replacing an existing file.
class ZipOutputFile {
 public:
  ZipOutputFile();
  ~ZipOutputFile();
  ZipOutputFile(const ZipOutputFile&) = delete;
  ZipOutputFile& operator=(const ZipOutputFile&) = delete;

  // attributes are the kAttr... bits; read-only makes a file without write
  // permission on Linux.
  bool Create(const std::wstring& path, uint32_t attributes);
  bool Write(const char* data, size_t size);
  // FILETIME values; 0 leaves that time as it is. Linux has no creation time.
  void SetTimes(uint64_t creation, uint64_t access, uint64_t write);
  void Close();
  // Closes the file and deletes it, read-only or not: what it holds must not
  // pass for the entry.
  void Discard();

 private:
  struct Open;  // the open file of this platform and its path
  std::unique_ptr<Open> open_;
};

// Local calendar time to a FILETIME in UTC; false when the platform cannot
// convert it.
bool LocalTimeToUtcFileTime(int year, int month, int day, int hour, int minute, int second, uint64_t& fileTime);

}  // namespace qm
