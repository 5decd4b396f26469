#include "app/application.h"

#include "base/launch_mode.h"
#include "frame/game_process.h"
#include "frame/launcher.h"
#include "install/uninstall.h"
#include "platform/debug_output.h"
#include "platform/process.h"
#include "platform/process_services.h"
#include "update/hand_over.h"

namespace qm {

int RunApplication(const std::wstring& commandLine) {
  ProcessServices services;

  const LaunchDecision decision = DecideLaunchMode(commandLine);
  switch (decision.mode) {
    case LaunchMode::kUpdateHandOver:
      RunUpdateHandOver(decision.path);
      break;  // the hand-over failed: this run goes on as the line says
    case LaunchMode::kUninstallConfirm:
      return RunUninstallConfirmation();
    case LaunchMode::kUninstallCleanUp:
      return RunUninstallCleanUp(decision.path);
    case LaunchMode::kGameProcess:
    case LaunchMode::kLauncher:
      break;
  }

  const GameArguments args = ReadGameArguments(commandLine);
  if (ModeForGameArguments(args) == LaunchMode::kGameProcess) {
    // A frame handle that names no window would leave a game process with
    // nothing to show and nothing to end it.
    if (!WindowExists(args.frameHandle)) {
      DebugOutput(L"game process: frame window " + std::to_wstring(args.frameHandle) + L" does not exist");
      return 0;
    }
    DebugStage(L"game process running");
    return RunGameProcess(args);
  }
  return RunLauncher();
}

}  // namespace qm
