#include "update/update_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/text.h"
#include "platform/files.h"
#include "platform/linux/owners.h"

namespace qm {

std::int64_t SizeWhenWritable(const std::wstring& path) {
  const UniqueFd fd(open(Utf8FromWide(path).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0755));
  if (!fd) return -1;
  struct stat info {};
  return fstat(fd.get(), &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
}

// The copy goes to a temporary file beside target and is renamed over it.
bool ReplaceWithCopy(const std::wstring& source, const std::wstring& target) {
  return CopyFileReplacing(source, target);
}

bool IsFileInUseError(long errorCode) { return errorCode == ETXTBSY || errorCode == EBUSY; }

}  // namespace qm
