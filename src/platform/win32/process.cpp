#include "platform/process.h"

#include <windows.h>

#include <cstdlib>
#include <optional>
#include <thread>
#include <vector>

#include "platform/win32/owners.h"

namespace qm {

std::wstring CurrentCommandLine() { return GetCommandLineW(); }

namespace {

struct CreatedProcess {
  UniqueHandle process;
  UniqueHandle thread;
  DWORD id = 0;
};

std::optional<CreatedProcess> Create(const std::wstring& program, const std::wstring& commandLine, DWORD flags) {
  // The command line buffer must be writable; an empty line passes none.
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  SECURITY_ATTRIBUTES process{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  SECURITY_ATTRIBUTES thread{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  STARTUPINFOW startup{};
  startup.cb = sizeof(STARTUPINFOW);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), commandLine.empty() ? nullptr : line.data(), &process, &thread, FALSE,
                      CREATE_DEFAULT_ERROR_MODE | flags, nullptr, nullptr, &startup, &info))
    return std::nullopt;
  CreatedProcess created;
  created.process.reset(info.hProcess);
  created.thread.reset(info.hThread);
  created.id = info.dwProcessId;
  return created;
}

}  // namespace

bool StartProcess(const std::wstring& program, const std::wstring& commandLine) {
  // The new process runs on by itself: its handles are given back at once.
  return Create(program, commandLine, 0).has_value();
}

bool StartChildProcess(const std::wstring& program, const std::wstring& commandLine, ChildProcessWatch watch) {
  std::optional<CreatedProcess> created = Create(program, commandLine, CREATE_SUSPENDED);
  if (!created) return false;
  if (watch.started) watch.started(static_cast<long>(created->id));
  ResumeThread(created->thread.get());
  // A thread of its own waits for the end; it holds the process handle
  // until then.
  std::thread([process = std::move(created->process), ended = std::move(watch.ended)] {
    WaitForSingleObject(process.get(), INFINITE);
    if (ended) ended();
  }).detach();
  return true;
}

void ExitProcessNow(int code) { std::exit(code); }

long LastErrorCode() { return static_cast<long>(GetLastError()); }

bool WindowExists(long long handle) {
  return handle != 0 && IsWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(handle))) != FALSE;
}

}  // namespace qm
