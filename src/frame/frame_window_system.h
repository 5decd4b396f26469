// What the frame window needs of its window system beyond the window host:
// the system's own notion of a zoomed window and of system commands, the
// taskbar, the foreground, and the raw messages that the tray icon and the
// hotkeys arrive by.
//
// Windows: the real SC_* system commands sent to the frame (so the system
// maximizes, restores and minimizes it, and turns SC_CLOSE into WM_CLOSE),
// IsZoomed, the "Shell_TrayWnd" taskbar, GetForegroundWindow, and a subclass
// of the frame's window that sees every message first.
// Linux: the window manager knows no zoomed window that a program may move
// and size itself, so the zoomed state is the frame's own: maximizing keeps
// the restored place and lets the frame cover the work area, restoring goes
// back to that place, and full screen is the window manager's full-screen
// state (above panels). The panel before the work area stands for the
// taskbar; a return from minimized is reported as SC_RESTORE.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "ui/window_host.h"

namespace qm {

class FrameWindowSystem {
 public:
  struct Events {
    // A system command reached the frame (Windows: WM_SYSCOMMAND before the
    // system handles it; Linux: SC_RESTORE when the frame comes back from
    // minimized).
    std::function<void(unsigned command)> sysCommand;
    // Every raw window message of the frame (Windows only); an answer stops
    // it there, nullopt lets it go on.
    std::function<std::optional<std::intptr_t>(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>
        message;
  };

  // For the frame's window host; the host must outlive the result.
  static std::unique_ptr<FrameWindowSystem> Attach(WindowHost& host, Events events);
  virtual ~FrameWindowSystem() = default;

  // Whether a close request (Alt+F4, the window manager's close) has already
  // passed through SysCommand(SC_CLOSE) when it reaches the frame.
  virtual bool CloseRequestFollowsSysClose() const = 0;

  // The work area the maximized frame fills.
  virtual PixelRect WorkArea() = 0;
  virtual std::optional<PixelRect> TaskbarRect() = 0;
  virtual bool IsZoomed() = 0;
  // Sends the frame one of the kSysCommand* commands.
  virtual void SysCommand(unsigned command) = 0;
  // Moves and sizes the frame without changing its Z order; fullScreen: the
  // rectangle is the whole screen of full-screen mode.
  virtual void MoveWindow(const PixelRect& screenRect, bool fullScreen) = 0;
  // Whether the frame (or a window inside it) is the active top-level window.
  virtual bool IsActive() = 0;
  virtual void OnShowStateChanged(ShowState previous, ShowState now) = 0;
  // Whether the keyboard focus is inside the embedded game window, whose keys
  // (F5 among them) are the game process's. Windows: such keys go to the game
  // process's own thread and never reach the frame; Linux: the frame's
  // toplevel receives them and hands them on to the embedded window.
  virtual bool KeyboardFocusInGameWindow() { return false; }
};

}  // namespace qm
