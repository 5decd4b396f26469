// The window messages between the frame window of the launcher and the game
// window of the game process. All of them are addressed by window handle (an
// HWND on Windows, an X11 window id on Linux).
#pragma once

#include <cstdint>

namespace qm {

// A window of either process as the other one addresses it: the HWND's value
// on Windows, the X11 window id on Linux. 0 names no window.
using WindowId = std::int64_t;

// game window -> frame, sent; wParam: the game window's handle; answer 0.
constexpr unsigned WM_GAMEWND_ATTACHED = 3025;
// frame -> game window, posted; navigate the view to the game URL again.
constexpr unsigned WM_GAMEWND_RELOAD = 3026;
// frame -> game window, sent; wParam 1: cover the frame's whole client area,
// 0: leave the caption strip free; shows a hidden game window.
constexpr unsigned WM_GAMEWND_FIT = 3027;
// frame -> game window (sent) or the watchdog -> its own game window
// (posted): shut the game process down. The value of the platform's WM_CLOSE.
constexpr unsigned kGameWindowClose = 0x0010;
// frame -> game window, posted: remove the game view's website data other
// than cookies (the engine that owns the data does it; see
// website_data_relay.h). wParam: the window to answer; lParam: the request's
// number, echoed in the answer.
constexpr unsigned WM_GAMEWND_CLEAR_WEBSITE_DATA = 3028;
// game window -> frame, posted: the website data has been cleared; wParam 1
// when it worked, 0 when not; lParam: the request's number.
constexpr unsigned WM_GAMEWND_WEBSITE_DATA_CLEARED = 3029;

// Height of the frame's caption strip; the game window lies below it.
constexpr int kCaptionStripHeight = 30;

struct GameMessage {
  unsigned message = 0;
  std::int64_t wParam = 0;
  std::int64_t lParam = 0;
  bool operator==(const GameMessage&) const = default;
};

// Whether message is one of those that the channel carries.
constexpr bool IsGameChannelMessage(unsigned message) {
  return message == WM_GAMEWND_ATTACHED || message == WM_GAMEWND_RELOAD || message == WM_GAMEWND_FIT ||
         message == kGameWindowClose || message == WM_GAMEWND_CLEAR_WEBSITE_DATA ||
         message == WM_GAMEWND_WEBSITE_DATA_CLEARED;
}

}  // namespace qm
