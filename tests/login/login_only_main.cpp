// The launcher's login alone, for the login's tests on the display: the login
// window with its web login dialog (start-up sequence, version check and
// hand-over included), then the caught game URL as one debug line
// "game URL: <url>" instead of the game frame, and exit code 0.
#include "login/login_window.h"
#include "platform/debug_output.h"
#include "platform/process_services.h"

int main() {
  qm::ProcessServices services;
  qm::CLanderLogin login;
  if (login.DoModal() != 0) return 0;
  qm::DebugOutput(L"game URL: " + login.GetGameUrl());
  return 0;
}
