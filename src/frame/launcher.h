// The launcher's body: the login window, then the game in its frame.
#pragma once

namespace qm {

int RunLauncher();

}  // namespace qm
