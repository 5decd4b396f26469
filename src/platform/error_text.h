// The system's own text for an error code of this platform (GetLastError and
// WinInet codes on Windows, errno values on Linux), without trailing line
// breaks; empty when the system has none.
#pragma once

#include <string>

namespace qm {

std::wstring SystemErrorText(unsigned long code);

}  // namespace qm
