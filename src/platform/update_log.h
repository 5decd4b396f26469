// update.log: UTF-16LE lines without a byte-order mark, each
// "%2d-%2d-%2d %2d:%2d:%2d : \tUpdateModule\t<message>" and CR LF, in local time.
#pragma once

#include <optional>
#include <string>

#include "base/update_log_line.h"

namespace qm {

// The current local time, or nothing when it cannot be determined.
std::optional<LocalTime> CurrentLocalTime();

// Appends one line to the data folder's res\update.log. Returns 0 when the
// line was written and -1 otherwise; the res folder is never created here.
int WriteUpdateLog(const std::wstring& message);

// The same, to a given log file.
int AppendUpdateLogLine(const std::wstring& logFile, const std::wstring& message);

}  // namespace qm
