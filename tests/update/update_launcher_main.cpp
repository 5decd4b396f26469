// The launcher as the update tests run it: the real launch-mode decision and
// hand-over body, and, where a launcher run begins, the version check that
// the login page's first completed document runs in the full launcher.
#include "app/application.h"
#include "base/launch_mode.h"
#include "update/hand_over.h"
#include "platform/process.h"
#include "update/update_module.h"

namespace {

int Run() {
  const std::wstring line = qm::CurrentCommandLine();
  const qm::LaunchDecision decision = qm::DecideLaunchMode(line);
  if (decision.mode == qm::LaunchMode::kUpdateHandOver) {
    qm::RunUpdateHandOver(decision.path);  // returns only when it failed
  } else if (decision.mode != qm::LaunchMode::kLauncher ||
             qm::ModeForGameArguments(qm::ReadGameArguments(line)) != qm::LaunchMode::kLauncher) {
    return qm::RunApplication(line);
  }
  qm::RunUpdateCheck();
  return 0;
}

}  // namespace

#ifdef _WIN32
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return Run(); }
#else
int main() { return Run(); }
#endif
