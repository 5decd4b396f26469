#include "frame/event_loop.h"

#include <windows.h>

namespace qm {

bool StartWindowSystem() { return true; }

void RunEventLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void QuitEventLoop() { PostQuitMessage(0); }

}  // namespace qm
