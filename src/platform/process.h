// Starting successor processes and ending this one.
#pragma once

#include <string>

namespace qm {

// The full command line of this run as its starter passed it. On Linux that is
// the program's one argument, read back whole; without one, the quoted
// program path, as a shortcut would start it.
std::wstring CurrentCommandLine();

// Starts program with commandLine as the whole command line it sees (empty:
// none, so it sees only its own path). Does not wait. Returns whether the
// process was created.
bool StartProcess(const std::wstring& program, const std::wstring& commandLine);

// Ends this process at once with the given code, running static destructors.
[[noreturn]] void ExitProcessNow(int code);

// The platform's last error code (GetLastError on Windows, errno elsewhere).
long LastErrorCode();

// Whether a top-level or child window with this handle exists (an X11 window
// id on Linux).
bool WindowExists(long long handle);

}  // namespace qm
