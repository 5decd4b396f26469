// The file operations of the download and the hand-over, with the sharing
// rules of each platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/write_only_file.h"

namespace qm {

// Opens path for writing, sharing it with nobody and creating it empty when
// missing, only to take its size. -1 when it cannot be opened, for instance
// while a process runs from it.
std::int64_t SizeWhenWritable(const std::wstring& path);

// The download target: created when missing, emptied when present, written
// piece by piece (executable on Linux, readable by others while written on
// Windows). Pieces are gathered into a buffer of kWriteBufferSize bytes, so
// that many small reads make few writes. Write failures raise
// UpdateException, also from Close, which writes what is left in the buffer.
class DownloadFile {
 public:
  static constexpr size_t kWriteBufferSize = 64 * 1024;

  DownloadFile() = default;
  // What was received is in the file also when the transfer broke off, as
  // with unbuffered writes; a failing write is not raised from here.
  ~DownloadFile();
  DownloadFile(const DownloadFile&) = delete;
  DownloadFile& operator=(const DownloadFile&) = delete;

  bool Open(const std::wstring& path);
  void Write(const char* data, size_t size);
  void Close();

 private:
  void Flush();
  void WriteThrough(const char* data, size_t size);

  WriteOnlyFile file_;
  std::vector<char> buffer_;
  size_t buffered_ = 0;
};

// Puts a copy of source in target's place in one step: the copy is written
// beside target under a name of this process and then renamed over target,
// so that a crash or power loss leaves the old file or the new one, never a
// part. On failure the temporary copy is gone and LastErrorCode() tells why.
bool ReplaceWithCopy(const std::wstring& source, const std::wstring& target);

// Whether a failed copy's error code says that another process holds the
// target, a state that ends by itself when that process ends.
bool IsFileInUseError(long errorCode);

}  // namespace qm
