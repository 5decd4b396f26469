// Starting successor processes and ending this one.
#pragma once

#include <functional>
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

// What this process learns of a child it starts and looks after.
struct ChildProcessWatch {
  // Called with the child's process id before the child can act on anything
  // (Windows: it is created suspended and let run only afterwards; Linux:
  // right after it was spawned), on the starting thread.
  std::function<void(long processId)> started;
  // Called once the child has ended and the system has let go of it (Linux:
  // reaped, so no zombie stays behind), from any thread.
  std::function<void()> ended;
};

// Starts program like StartProcess and looks after it as watch says. Linux:
// the reaping runs on the GLib main loop of this process. Returns whether
// the process was created (neither callback is called when not).
bool StartChildProcess(const std::wstring& program, const std::wstring& commandLine, ChildProcessWatch watch);

// Ends this process at once with the given code, running static destructors.
[[noreturn]] void ExitProcessNow(int code);

// The platform's last error code (GetLastError on Windows, errno elsewhere).
long LastErrorCode();

// Whether a top-level or child window with this handle exists (an X11 window
// id on Linux).
bool WindowExists(long long handle);

}  // namespace qm
