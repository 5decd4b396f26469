// Launch modes whose bodies are not built yet: each ends the run cleanly with
// exit code 0 and one debug line.
#include "frame/game_process.h"
#include "frame/launcher.h"
#include "platform/debug_output.h"

namespace qm {
namespace {

int NotBuilt(LaunchMode mode) {
  DebugOutput(std::wstring(LaunchModeName(mode)) + L": not available in this build");
  return 0;
}

}  // namespace

int RunGameProcess(const GameArguments&) { return NotBuilt(LaunchMode::kGameProcess); }
int RunLauncher() { return NotBuilt(LaunchMode::kLauncher); }

}  // namespace qm
