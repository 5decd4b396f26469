#include "platform/debug_output.h"

#include <windows.h>

#include <cwchar>

namespace qm {

void DebugOutput(const std::wstring& text) { OutputDebugStringW(text.c_str()); }

void DebugStage(const wchar_t* name) {
  static const bool enabled = GetEnvironmentVariableA(kStageLogVariable, nullptr, 0) != 0;
  if (!enabled) return;
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);  // Windows 7 has no precise clock
  // 100-nanosecond steps since 1601; 11644473600 s lie between 1601 and 1970.
  const unsigned long long steps = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  const unsigned long long micro = steps / 10 - 11644473600ULL * 1000000ULL;
  wchar_t line[160];
  std::swprintf(line, sizeof line / sizeof line[0], L"stage %llu.%06llu %ls", micro / 1000000ULL, micro % 1000000ULL,
                name);
  OutputDebugStringW(line);
}

}  // namespace qm
