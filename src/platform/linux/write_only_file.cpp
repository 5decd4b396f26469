#include "platform/write_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "base/text.h"
#include "platform/linux/fd_io.h"
#include "platform/linux/owners.h"

namespace qm {

namespace {

constexpr uint32_t kAttributeReadOnly = 0x1;
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

timespec ToTimespec(uint64_t fileTime) {
  timespec t{};
  if (fileTime == 0) {
    t.tv_nsec = UTIME_OMIT;
    return t;
  }
  const int64_t since = static_cast<int64_t>(fileTime) - static_cast<int64_t>(kUnixEpochAsFileTime);
  int64_t seconds = since / 10000000;
  int64_t rest = since % 10000000;
  if (rest < 0) {
    rest += 10000000;
    --seconds;
  }
  t.tv_sec = static_cast<time_t>(seconds);
  t.tv_nsec = static_cast<long>(rest * 100);
  return t;
}

mode_t ModeFor(const WriteOnlyFileOptions& options) {
  if (options.executable) return 0755;
  return (options.attributes & kAttributeReadOnly) ? 0444 : 0644;
}

}  // namespace

struct WriteOnlyFile::Open {
  UniqueFd fd;
  std::string path;
};

WriteOnlyFile::WriteOnlyFile() = default;
WriteOnlyFile::~WriteOnlyFile() { Close(); }

bool WriteOnlyFile::Create(const std::wstring& path, const WriteOnlyFileOptions& options) {
  Close();
  const std::string native = Utf8FromWide(path);
  struct stat info {};
  if (lstat(native.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) unlink(native.c_str());
  const mode_t mode = ModeFor(options);
  UniqueFd fd(open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode));
  if (!fd) return false;
  // The mode of open applies to new files only; an executable is made so
  // also when it replaces an existing file.
  if (options.executable) fchmod(fd.get(), mode);
  open_ = std::make_unique<Open>(Open{std::move(fd), native});
  return true;
}

bool WriteOnlyFile::Write(const char* data, size_t size) {
  return open_ && WriteAllToDescriptor(open_->fd.get(), data, size);
}

void WriteOnlyFile::SetTimes(uint64_t, uint64_t access, uint64_t write) {
  if (!open_) return;
  const timespec times[2] = {ToTimespec(access), ToTimespec(write)};
  futimens(open_->fd.get(), times);
}

void WriteOnlyFile::Close() { open_.reset(); }

void WriteOnlyFile::Discard() {
  if (!open_) return;
  const std::string path = open_->path;
  open_.reset();
  unlink(path.c_str());
}

}  // namespace qm
