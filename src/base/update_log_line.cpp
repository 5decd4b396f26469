#include "base/update_log_line.h"

#include <cstdio>

#include "base/text.h"

namespace qm {

std::wstring FormatUpdateLogLine(const std::optional<LocalTime>& time, const std::wstring& message) {
  const LocalTime t = time.value_or(LocalTime{0, 0, 0, -1, -1, -1});
  char stamp[96];
  std::snprintf(stamp, sizeof stamp, "%2d-%2d-%2d %2d:%2d:%2d : \t", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return WideFromUtf8(stamp) + L"UpdateModule\t" + message;
}

}  // namespace qm
