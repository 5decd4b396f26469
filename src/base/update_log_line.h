// One line of update.log: "%2d-%2d-%2d %2d:%2d:%2d : \tUpdateModule\t<message>",
// in local time; the file adds CR LF and writes it as UTF-16LE.
#pragma once

#include <optional>
#include <string>

namespace qm {

struct LocalTime {
  int year, month, day, hour, minute, second;
};

// The line without its CR LF. Without a time, the date reads 0 and the clock -1.
std::wstring FormatUpdateLogLine(const std::optional<LocalTime>& time, const std::wstring& message);

}  // namespace qm
