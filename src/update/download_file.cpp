// DownloadFile: gathering pieces into the write buffer over the platform's
// write-only file.
#include <algorithm>
#include <cstring>

#include "platform/error_text.h"
#include "platform/process.h"
#include "update/update_exception.h"
#include "update/update_files.h"

namespace qm {

DownloadFile::~DownloadFile() {
  try {
    Close();
  } catch (const UpdateException&) {
  }
}

bool DownloadFile::Open(const std::wstring& path) {
  buffered_ = 0;
  WriteOnlyFileOptions options;
  // The downloaded program is started afterwards.
  options.executable = true;
  options.shareWithReaders = true;
  return file_.Create(path, options);
}

void DownloadFile::Write(const char* data, size_t size) {
  if (!file_.IsOpen()) return;
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

void DownloadFile::WriteThrough(const char* data, size_t size) {
  if (file_.Write(data, size)) return;
  const unsigned long code = static_cast<unsigned long>(LastErrorCode());
  const std::wstring text = SystemErrorText(code);
  throw UpdateException(L"write failed: " + (text.empty() ? L"error " + std::to_wstring(code) : text));
}

void DownloadFile::Close() {
  if (!file_.IsOpen()) return;
  try {
    Flush();
  } catch (...) {
    file_.Close();
    throw;
  }
  file_.Close();
}

}  // namespace qm
