// The platform-independent part of DownloadFile: gathering pieces into the
// write buffer.
#include <algorithm>
#include <cstring>

#include "update/update_files.h"

namespace qm {

void DownloadFile::Write(const char* data, size_t size) {
  if (!handle_) return;
  if (buffer_.empty()) buffer_.resize(kWriteBufferSize);
  while (size > 0) {
    if (buffered_ == 0 && size >= buffer_.size()) {
      WriteThrough(data, size);  // a large piece goes straight to the file
      return;
    }
    const size_t n = std::min(size, buffer_.size() - buffered_);
    std::memcpy(buffer_.data() + buffered_, data, n);
    buffered_ += n;
    data += n;
    size -= n;
    if (buffered_ == buffer_.size()) Flush();
  }
}

void DownloadFile::Flush() {
  if (buffered_ == 0) return;
  const size_t n = buffered_;
  buffered_ = 0;
  WriteThrough(buffer_.data(), n);
}

void DownloadFile::Close() {
  if (!handle_) return;
  try {
    Flush();
  } catch (...) {
    Release();
    throw;
  }
  Release();
}

}  // namespace qm
