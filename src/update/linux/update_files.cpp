#include "update/update_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/text.h"
#include "platform/error_text.h"
#include "platform/files.h"
#include "platform/linux/fd_io.h"
#include "platform/linux/owners.h"
#include "update/update_exception.h"

namespace qm {

std::int64_t SizeWhenWritable(const std::wstring& path) {
  const UniqueFd fd(open(Utf8FromWide(path).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0755));
  if (!fd) return -1;
  struct stat info {};
  return fstat(fd.get(), &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
}

struct DownloadFile::Handle {
  UniqueFd fd;
};

DownloadFile::DownloadFile() = default;
// What was received is in the file also when the transfer broke off, as
// with unbuffered writes; a failing write is not raised from here.
DownloadFile::~DownloadFile() {
  try {
    Close();
  } catch (const UpdateException&) {
  }
}

void DownloadFile::Release() { handle_.reset(); }

bool DownloadFile::Open(const std::wstring& path) {
  Release();
  buffered_ = 0;
  // The downloaded program is started afterwards, so it is made executable.
  UniqueFd fd(open(Utf8FromWide(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755));
  if (!fd) return false;
  fchmod(fd.get(), 0755);
  handle_ = std::make_unique<Handle>(Handle{std::move(fd)});
  return true;
}

void DownloadFile::WriteThrough(const char* data, size_t size) {
  if (!WriteAllToDescriptor(handle_->fd.get(), data, size)) {
    throw UpdateException(L"write failed: " + SystemErrorText(static_cast<unsigned long>(errno)));
  }
}

// The copy goes to a temporary file beside target and is renamed over it.
bool ReplaceWithCopy(const std::wstring& source, const std::wstring& target) {
  return CopyFileReplacing(source, target);
}

bool IsFileInUseError(long errorCode) { return errorCode == ETXTBSY || errorCode == EBUSY; }

}  // namespace qm
