#include "platform/debug_output.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>

#include "base/text.h"

namespace qm {

void DebugOutput(const std::wstring& text) {
  std::string line = Utf8FromWide(text);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

void DebugStage(const wchar_t* name) {
  static const bool enabled = std::getenv(kStageLogVariable) != nullptr;
  if (!enabled) return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::fprintf(stderr, "stage %lld.%06ld %s\n", static_cast<long long>(now.tv_sec), now.tv_nsec / 1000,
               Utf8FromWide(name).c_str());
  std::fflush(stderr);
}

}  // namespace qm
