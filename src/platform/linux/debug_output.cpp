#include "platform/debug_output.h"

#include <cstdio>

#include "base/text.h"

namespace qm {

void DebugOutput(const std::wstring& text) {
  std::string line = Utf8FromWide(text);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

}  // namespace qm
