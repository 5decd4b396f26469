// The path table of this process: its system folders and its own string
// table given to the composer of base/paths.h.
#pragma once

#include <string>

#include "base/paths.h"

namespace qm {

// The system folders of this process, asked of the platform on each call.
SystemFolders QuerySystemFolders();

// The composer over this process's folders and string table.
PathComposer CurrentPaths();

// The data folder with its trailing separator. Computed on the first call and
// kept for the life of the process; a kept empty text is computed again.
std::wstring GetDataFolder();

}  // namespace qm
