#include "platform/update_log.h"

#include <cstdio>
#include <ctime>

#include "platform/paths.h"
#include "base/text.h"
#include "platform/files.h"

namespace qm {

std::optional<LocalTime> CurrentLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
#ifdef _WIN32
  if (now == static_cast<std::time_t>(-1) || localtime_s(&parts, &now) != 0) return std::nullopt;
#else
  if (now == static_cast<std::time_t>(-1) || localtime_r(&now, &parts) == nullptr) return std::nullopt;
#endif
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                   parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}


int AppendUpdateLogLine(const std::wstring& logFile, const std::wstring& message) {
  try {
    const std::string bytes = Utf16LeFromWide(FormatUpdateLogLine(CurrentLocalTime(), message) + L"\r\n");
    return AppendFileBytes(logFile, bytes) ? 0 : -1;
  } catch (...) {
    return -1;
  }
}

int WriteUpdateLog(const std::wstring& message) {
  try {
    // The data folder kept from the first call, as every log line of a run
    // goes to the same file.
    return AppendUpdateLogLine(JoinPath(JoinPath(GetDataFolder(), L"res"), L"update.log"), message);
  } catch (...) {
    return -1;
  }
}

}  // namespace qm
