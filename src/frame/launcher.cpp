#include "frame/launcher.h"

#include "frame/frame_window.h"

namespace qm {

// The frame window runs the login first and then the game of the caught
// game URL; the launcher ends when the frame does.
int RunLauncher() {
  CLander_KVDlg frame;
  frame.DoModal();
  return 0;
}

}  // namespace qm
