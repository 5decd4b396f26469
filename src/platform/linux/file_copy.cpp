#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/text.h"
#include "platform/files.h"
#include "platform/linux/fd_io.h"
#include "platform/linux/owners.h"

namespace qm {

// Writes a temporary file beside the target and renames it over the target, so
// the target is never seen half-written, and a running program that holds the
// old file keeps its own copy.
bool CopyFileReplacing(const std::wstring& source, const std::wstring& target) {
  const std::string from = Utf8FromWide(source);
  const std::string to = Utf8FromWide(target);
  const UniqueFd in(open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in) return false;
  struct stat info {};
  if (fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    if (S_ISREG(info.st_mode) == 0) errno = EISDIR;
    return false;
  }
  // A temporary file of this copy's own (created exclusively under a unique
  // name), so that two copies to the same target never write one file.
  std::string temp = to + ".XXXXXX";
  UniqueFd out(mkostemp(temp.data(), O_CLOEXEC));
  if (!out) return false;
  char buffer[1 << 16];
  bool ok = true;
  for (;;) {
    const ssize_t n = read(in.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    if (!WriteAllToDescriptor(out.get(), buffer, static_cast<size_t>(n))) {
      ok = false;
      break;
    }
  }
  int saved = ok ? 0 : errno;
  if (fchmod(out.get(), info.st_mode & 07777) != 0 && ok) ok = false, saved = errno;
  if (!CloseReportingErrors(out) && ok) ok = false, saved = errno;
  if (ok && rename(temp.c_str(), to.c_str()) != 0) ok = false, saved = errno;
  if (!ok) {
    unlink(temp.c_str());
    errno = saved;
  }
  return ok;
}

bool CreateFolder(const std::wstring& path) {
  const std::string p = Utf8FromWide(path);
  return mkdir(p.c_str(), 0755) == 0 || (errno == EEXIST && FolderExists(path));
}

}  // namespace qm
