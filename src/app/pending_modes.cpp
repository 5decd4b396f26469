// Launch modes whose bodies are not built yet: each ends the run cleanly with
// exit code 0 and one debug line. A subsystem that builds a body moves it to
// its own folder and removes it here.
#include "app/launch_modes.h"
#include "platform/debug_output.h"
#include "platform/process.h"

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
