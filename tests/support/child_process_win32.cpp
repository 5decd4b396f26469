#include <windows.h>

#include <vector>

#include "support/temp_dir.h"

namespace qm::test {

ChildResult RunChild(const std::wstring& program, const std::wstring& commandLine, int timeoutSeconds) {
  ChildResult result;
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), commandLine.empty() ? nullptr : line.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &info)) {
    return result;
  }
  if (WaitForSingleObject(info.hProcess, static_cast<DWORD>(timeoutSeconds) * 1000) != WAIT_OBJECT_0) {
    TerminateProcess(info.hProcess, 255);
    WaitForSingleObject(info.hProcess, 5000);
  }
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  result.exitCode = static_cast<int>(code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return result;
}

}  // namespace qm::test
