// The frame's icon in the notification area: it lives from the frame's start
// until quit, brings a hidden frame back with a left click and opens the tray
// menu with a right click. The frame supplies what each of them does.
//
// Windows: Shell_NotifyIconW with WM_TRAYICON (0x0401) sent to the frame; the
// frame's window procedure hands every message to HandleWindowMessage. The
// menu is tracked modally and its chosen item comes back through the command
// callback. Linux: an XEmbed status icon in the desktop's system tray with a
// GTK menu; the callbacks run on the GTK main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame/frame_commands.h"
#include "platform/native_window.h"
#include "ui/canvas.h"

namespace qm {

constexpr unsigned kTrayIconMessage = 0x0401;  // WM_TRAYICON, WM_USER + 1
constexpr unsigned kTrayIconResource = 273;
constexpr unsigned kTrayMenuResource = 151;

// The menu opens with its left edge this many pixels left of the cursor.
constexpr int kTrayMenuLeftShift = 130;
// The tip holds at most this many characters; a longer title is cut.
constexpr std::size_t kTrayTipMaxLength = 127;

struct TrayMenuItem {
  unsigned command;
  std::wstring text;
};

// Menu 151: "隐藏/显示(F10)", "清理缓存", "退出", in this order. The first
// item names F10 whatever key the settings give the boss key.
const std::vector<TrayMenuItem>& TrayMenuItems();

// Where the menu's top-left corner goes for a right click at the cursor.
struct TrayPoint {
  int x = 0;
  int y = 0;
  bool operator==(const TrayPoint& o) const { return x == o.x && y == o.y; }
};
TrayPoint TrayMenuOrigin(int cursorX, int cursorY);

std::wstring TrayTipText(const std::wstring& title);

class CTrayIcon {
 public:
  struct Callbacks {
    std::function<void()> leftClick;           // show the frame, bring it to the front
    std::function<void(unsigned command)> command;  // a tray menu item was chosen
  };

  CTrayIcon();
  // Removes the icon if it is still there.
  ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Puts icon 273 with the title as its tip into the notification area.
  // frame: Windows: the window that receives WM_TRAYICON and owns the menu;
  // Linux: may be null. The added flag is set even when the system refused
  // the icon, so that the frame goes on without one.
  void Add(const std::wstring& title, NativeWindow frame, Callbacks callbacks);
  // Takes the icon away if it was added; safe to call more than once.
  void Remove();
  bool added() const;

  // Windows: the frame's window procedure calls this with each message; true
  // when it was WM_TRAYICON (the frame answers 0). Always false on Linux.
  bool HandleWindowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

  // Whether the desktop's tray shows the icon, and where it is on the screen
  // (for tests and diagnostics).
  bool IsEmbedded() const;
  std::optional<PixelRect> ScreenRect() const;

  // Opens the tray menu at the cursor position given, as a right click does
  // (Windows: returns when the menu has closed).
  void OpenMenu(int cursorX, int cursorY);
  // The screen rectangle of the open menu, if one is open (Linux).
  std::optional<PixelRect> OpenMenuRect() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace qm
