#include <windows.h>

#include <vector>

#include "platform/win32/owners.h"
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
  const UniqueHandle thread(info.hThread);
  const UniqueHandle process(info.hProcess);
  if (WaitForSingleObject(process.get(), static_cast<DWORD>(timeoutSeconds) * 1000) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 255);
    WaitForSingleObject(process.get(), 5000);
  }
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  result.exitCode = static_cast<int>(code);
  return result;
}

}  // namespace qm::test
