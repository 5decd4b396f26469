// The names of the items in the recycle bin, as the desktop lists them: the
// shell's recycle bin folder on Windows, the Trash's files folder on Linux.
#pragma once

#include <string>
#include <vector>

namespace qm::test {

std::vector<std::wstring> RecycleBinItemNames();

}  // namespace qm::test
