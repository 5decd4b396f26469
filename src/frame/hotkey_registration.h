// System-wide registration of the frame's hotkeys (the bindings that
// ReadHotkeyBindings returns). A pressed hotkey is delivered as its binding id
// through one callback, whichever application has the keyboard focus; what the
// frame does with it is DecideHotkeyAction's business.
//
// Windows: RegisterHotKey for the frame window; the frame's window procedure
// hands every message to HandleWindowMessage, which picks out WM_HOTKEY.
// Linux: passive key grabs on the root window of the default display, one for
// each state of Caps Lock and Num Lock, read through an event filter on the
// root window; the callback runs on the GTK main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "frame/hotkeys.h"
#include "platform/native_window.h"

namespace qm {

class HotkeyRegistration {
 public:
  using PressedHandler = std::function<void(int hotkeyId)>;

  // frame: the window that owns the registrations (Windows: the frame's HWND;
  // Linux: not needed, may be null). pressed runs on the user-interface thread.
  HotkeyRegistration(NativeWindow frame, PressedHandler pressed);
  // Withdraws every registration made through this object.
  ~HotkeyRegistration();
  HotkeyRegistration(const HotkeyRegistration&) = delete;
  HotkeyRegistration& operator=(const HotkeyRegistration&) = delete;

  // For each binding, in order: withdraws any registration of its id, then
  // registers its combination. A combination that another program holds
  // fails quietly and simply never fires.
  void Register(const std::vector<HotkeyBinding>& bindings);
  void Unregister(int hotkeyId);
  void UnregisterAll();

  // Whether the system granted the registration of this id (Linux: every
  // lock-key variant of its grab).
  bool IsRegistered(int hotkeyId) const;

  // Windows: the frame's window procedure calls this with each message; true
  // when it was WM_HOTKEY for one of our ids (the callback has run; the frame
  // still passes the message on to default processing). Always false on
  // Linux, where the grabs are read through the root window's filter.
  bool HandleWindowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace qm
