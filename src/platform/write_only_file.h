// A file opened for writing only and filled piece by piece: the downloaded
// update and every file a zip entry unpacks to. One implementation per
// platform; the open file and its path are the platform's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qm {

// How a WriteOnlyFile is created.
struct WriteOnlyFileOptions {
  // The Windows attribute bits the file gets: read-only (0x1), hidden (0x2),
  // system (0x4), archive (0x20). Linux keeps read-only only, as a file
  // without write permission.
  uint32_t attributes = 0;
  // Linux: the file is executable (rwxr-xr-x), also when it existed before.
  bool executable = false;
  // Windows: other processes may open the file for reading while it is
  // written; otherwise nobody may open it until it is closed.
  bool shareWithReaders = false;
};

class WriteOnlyFile {
 public:
  WriteOnlyFile();
  ~WriteOnlyFile();  // closes the file and keeps it
  WriteOnlyFile(const WriteOnlyFile&) = delete;
  WriteOnlyFile& operator=(const WriteOnlyFile&) = delete;

  // Creates the file, or empties the existing one; on Linux a symbolic link
  // of that name is replaced by the file, never written through. Closes a
  // file that was open before. False when it cannot be created;
  // LastErrorCode() tells why.
  bool Create(const std::wstring& path, const WriteOnlyFileOptions& options);
  bool IsOpen() const { return open_ != nullptr; }

  // Writes all of data. False when nothing is open or the system refused a
  // write; LastErrorCode() tells why.
  bool Write(const char* data, size_t size);

  // FILETIME values (100 ns since 1601, UTC); 0 leaves that time as it is.
  // Linux has no creation time.
  void SetTimes(uint64_t creation, uint64_t access, uint64_t write);

  // Closes the file and keeps it.
  void Close();

  // Closes the file and deletes it, read-only or not: a file whose writing
  // failed must not pass for a whole one.
  void Discard();

 private:
  struct Open;  // the open file of this platform and its path
  std::unique_ptr<Open> open_;
};

}  // namespace qm
