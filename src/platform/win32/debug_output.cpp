#include "platform/debug_output.h"

#include <windows.h>

namespace qm {

void DebugOutput(const std::wstring& text) { OutputDebugStringW(text.c_str()); }

}  // namespace qm
