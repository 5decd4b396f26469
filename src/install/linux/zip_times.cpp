#include "install/zip_times.h"

#include <ctime>

namespace qm {

namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

}  // namespace

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
