#include "platform/process.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "platform/win32/owners.h"

namespace qm {

std::wstring CurrentCommandLine() { return GetCommandLineW(); }

bool StartProcess(const std::wstring& program, const std::wstring& commandLine) {
  // The command line buffer must be writable; an empty line passes none.
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  SECURITY_ATTRIBUTES process{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  SECURITY_ATTRIBUTES thread{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  STARTUPINFOW startup{};
  startup.cb = sizeof(STARTUPINFOW);
  PROCESS_INFORMATION info{};
  const BOOL ok = CreateProcessW(program.c_str(), commandLine.empty() ? nullptr : line.data(), &process, &thread,
                                 FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &info);
  // The new process runs on by itself: its handles are given back at once.
  const UniqueHandle threadHandle(info.hThread), processHandle(info.hProcess);
  return ok != FALSE;
}

void ExitProcessNow(int code) { std::exit(code); }

long LastErrorCode() { return static_cast<long>(GetLastError()); }

bool WindowExists(long long handle) {
  return handle != 0 && IsWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(handle))) != FALSE;
}

}  // namespace qm
