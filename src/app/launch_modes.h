// The bodies of the launch modes. Each subsystem defines the body it owns.
#pragma once

#include <string>

#include "app/launch_mode.h"

namespace qm {

// Copies the running executable over installPath and starts the installed
// launcher; ends the process on success and returns only when it failed.
void RunUpdateHandOver(const std::wstring& installPath);

// Asks whether to uninstall and, if so, starts the clean-up run from a copy.
int RunUninstallConfirmation();

// Removes the installation that installedExecutable belongs to.
int RunUninstallCleanUp(const std::wstring& installedExecutable);

// Shows the game page inside the frame window that args names.
int RunGameProcess(const GameArguments& args);

// Runs the frame window, which logs in first.
int RunLauncher();

}  // namespace qm
