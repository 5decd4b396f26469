// The hand-over run's body: a freshly downloaded launcher, started with "-d "
// and the installed executable's path, copies itself over that path and
// starts the installed launcher.
#pragma once

#include <string>

namespace qm {

// Ends the process on success and returns only when the hand-over failed;
// the run then goes on as its command line says.
void RunUpdateHandOver(const std::wstring& installPath);

}  // namespace qm
