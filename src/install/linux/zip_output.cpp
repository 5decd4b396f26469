#include "install/zip_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "base/text.h"
#include "install/zip_archive.h"
#include "platform/linux/fd_io.h"
#include "platform/linux/owners.h"

namespace qm {

namespace {

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

}  // namespace

struct ZipOutputFile::Open {
  UniqueFd fd;
  std::string path;
};

ZipOutputFile::ZipOutputFile() = default;
ZipOutputFile::~ZipOutputFile() { Close(); }

bool ZipOutputFile::Create(const std::wstring& path, uint32_t attributes) {
  Close();
  const mode_t mode = (attributes & kAttrReadOnly) ? 0444 : 0644;
  const std::string native = Utf8FromWide(path);
  // Replaces the file itself, never what a symbolic link of that name points at.
  struct stat info {};
  if (lstat(native.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) unlink(native.c_str());
  UniqueFd fd(open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode));
  if (!fd) return false;
  open_ = std::make_unique<Open>(Open{std::move(fd), native});
  return true;
}

bool ZipOutputFile::Write(const char* data, size_t size) {
  return open_ && WriteAllToDescriptor(open_->fd.get(), data, size);
}

void ZipOutputFile::SetTimes(uint64_t, uint64_t access, uint64_t write) {
  if (!open_) return;
  const timespec times[2] = {ToTimespec(access), ToTimespec(write)};
  futimens(open_->fd.get(), times);
}

void ZipOutputFile::Close() { open_.reset(); }

void ZipOutputFile::Discard() {
  if (!open_) return;
  const std::string path = open_->path;
  open_.reset();
  unlink(path.c_str());
}

bool LocalTimeToUtcFileTime(int year, int month, int day, int hour, int minute, int second, uint64_t& fileTime) {
  tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  const time_t utc = mktime(&local);
  if (utc == static_cast<time_t>(-1)) return false;  // DOS times start in 1980: -1 is an error
  fileTime = static_cast<uint64_t>(static_cast<int64_t>(utc) * 10000000 + static_cast<int64_t>(kUnixEpochAsFileTime));
  return true;
}

}  // namespace qm
