// GDK key values as the portable key codes of the window host (the Win32
// virtual-key numbers).
#pragma once

namespace qm {

// The key code of a GDK key value, or 0 for a key the windows do not name.
int VirtualKeyFromGdkKeyval(unsigned keyval);

}  // namespace qm
