// The debugger output channel: OutputDebugStringW on Windows, a line on
// standard error elsewhere.
#pragma once

#include <string>

namespace qm {

void DebugOutput(const std::wstring& text);

}  // namespace qm
