// The game process's main loop: the window system's events until
// QuitEventLoop. (The launcher's windows run in their window host's modal
// runs instead.)
#pragma once

namespace qm {

// False when the window system cannot be reached (no display).
bool StartWindowSystem();
void RunEventLoop();
// Ends RunEventLoop once the event being handled is done.
void QuitEventLoop();

}  // namespace qm
