// Test-only program: shows the skinned message box with the texts of its
// command line and ends with the answer as its exit code.
//   qm_ui_probe <title> <text>
#include <string>
#include <vector>

#include "app/text.h"
#include "ui/message_box.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

int Run(const std::vector<std::wstring>& args) {
  if (args.size() < 3) return 100;
  qm::CCustomMessageBox box;
  box.SetTexts(args[1], args[2]);
  return box.DoModal();
}

}  // namespace

#ifdef _WIN32
int main() {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args(argv, argv + count);
  LocalFree(argv);
  return Run(args);
}
#else
int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 0; i < argc; ++i) args.push_back(qm::WideFromUtf8(argv[i]));
  return Run(args);
}
#endif
