#include "frame/launcher.h"

#include "login/login_window.h"
#include "platform/debug_output.h"

namespace qm {

// The login first; the game frame takes the game URL it yields. Until the
// frame is there, the caught game URL is reported on the debug output.
int RunLauncher() {
  CLanderLogin login;
  if (login.DoModal() != 0) return 0;
  DebugOutput(L"game URL: " + login.GetGameUrl());
  return 0;
}

}  // namespace qm
