#include "update/update_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/text.h"
#include "platform/linux/fd_io.h"
#include "update/update_exception.h"

namespace qm {

std::int64_t SizeWhenWritable(const std::wstring& path) {
  const int fd = open(Utf8FromWide(path).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0755);
  if (fd < 0) return -1;
  struct stat info {};
  const std::int64_t size = fstat(fd, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
  close(fd);
  return size;
}

DownloadFile::DownloadFile() : handle_(-1) {}
DownloadFile::~DownloadFile() { Close(); }

bool DownloadFile::Open(const std::wstring& path) {
  Close();
  // The downloaded program is started afterwards, so it is made executable.
  handle_ = open(Utf8FromWide(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
  if (handle_ >= 0) fchmod(static_cast<int>(handle_), 0755);
  return handle_ >= 0;
}

void DownloadFile::Write(const char* data, size_t size) {
  if (!WriteAllToDescriptor(static_cast<int>(handle_), data, size)) {
    throw UpdateException(WideFromUtf8(std::string("write failed: ") + std::strerror(errno)));
  }
}

void DownloadFile::Close() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
  handle_ = -1;
}

bool IsFileInUseError(long errorCode) { return errorCode == ETXTBSY || errorCode == EBUSY; }

}  // namespace qm
