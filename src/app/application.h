// The single entry point of every run: prepares the process-wide services,
// decides the launch mode from the command line and hands control to it.
#pragma once

#include <string>

namespace qm {

// Returns the process exit code.
int RunApplication(const std::wstring& commandLine);

}  // namespace qm
