// The calendar side of zip extraction, one implementation per platform: an
// entry's DOS time is local time, the file times it becomes are UTC.
#pragma once

#include <cstdint>

namespace qm {

// Local calendar time to a FILETIME in UTC; false when the platform cannot
// convert it.
bool LocalTimeToUtcFileTime(int year, int month, int day, int hour, int minute, int second, uint64_t& fileTime);

}  // namespace qm
