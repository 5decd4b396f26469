// The game process's body: shows the game page inside the frame window that
// its command line names.
#pragma once

#include "base/launch_mode.h"

namespace qm {

int RunGameProcess(const GameArguments& args);

}  // namespace qm
