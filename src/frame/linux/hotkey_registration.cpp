// Hotkeys on X11: a passive grab of the key on the root window for every
// state of Caps Lock and Num Lock, so that the key fires whichever window has
// the focus. GDK does not know these key events (they arrive on the root
// window), so a filter on the root window picks them out.
#include "frame/hotkey_registration.h"

// The skin header comes first: Xlib's macros (Bool, None) would clash with it.
#include "ui/linux/skin_image.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <map>

namespace qm {

namespace {

struct Grab {
  KeyCode keycode = 0;
  unsigned modifierMask = 0;
  std::vector<unsigned> grantedMasks;  // the lock-key variants the server granted
  bool complete = false;               // every variant was granted
};

// The modifiers a grab distinguishes; Caps Lock, Num Lock and pointer buttons
// are left out of the comparison.
constexpr unsigned kComparedModifiers = ShiftMask | ControlMask | Mod1Mask | Mod3Mask | Mod4Mask | Mod5Mask;

}  // namespace

struct HotkeyRegistration::Impl {
  PressedHandler pressed;
  Display* display = nullptr;
  GdkDisplay* gdkDisplay = nullptr;
  GdkWindow* root = nullptr;
  ::Window rootXid = 0;
  std::map<int, Grab> grabs;

  static GdkFilterReturn Filter(GdkXEvent* native, GdkEvent*, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    const XEvent* event = static_cast<const XEvent*>(native);
    if (event->type != KeyPress || event->xkey.window != self->rootXid) return GDK_FILTER_CONTINUE;
    for (const auto& [id, grab] : self->grabs) {
      if (grab.grantedMasks.empty()) continue;
      if (event->xkey.keycode == grab.keycode && (event->xkey.state & kComparedModifiers) == grab.modifierMask) {
        if (self->pressed) self->pressed(id);
        return GDK_FILTER_REMOVE;
      }
    }
    return GDK_FILTER_CONTINUE;
  }

  void Ungrab(const Grab& grab) {
    gdk_x11_display_error_trap_push(gdkDisplay);
    for (unsigned mask : grab.grantedMasks) XUngrabKey(display, grab.keycode, mask, rootXid);
    XFlush(display);
    gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
  }
};

HotkeyRegistration::HotkeyRegistration(NativeWindow, PressedHandler pressed) : impl_(std::make_unique<Impl>()) {
  impl_->pressed = std::move(pressed);
  if (!EnsureGtk()) return;
  impl_->gdkDisplay = gdk_display_get_default();
  if (!impl_->gdkDisplay || !GDK_IS_X11_DISPLAY(impl_->gdkDisplay)) return;
  impl_->display = gdk_x11_display_get_xdisplay(impl_->gdkDisplay);
  impl_->root = gdk_screen_get_root_window(gdk_display_get_default_screen(impl_->gdkDisplay));
  impl_->rootXid = gdk_x11_window_get_xid(impl_->root);
  gdk_window_add_filter(impl_->root, &Impl::Filter, impl_.get());
}

HotkeyRegistration::~HotkeyRegistration() {
  UnregisterAll();
  if (impl_->root) gdk_window_remove_filter(impl_->root, &Impl::Filter, impl_.get());
}

void HotkeyRegistration::Register(const std::vector<HotkeyBinding>& bindings) {
  for (const HotkeyBinding& binding : bindings) {
    Unregister(binding.id);
    if (!impl_->display) continue;
    const X11KeyGrab wanted = ToX11KeyGrab(binding.combination);
    Grab grab;
    grab.modifierMask = wanted.modifierMask;
    grab.keycode = wanted.keysym ? XKeysymToKeycode(impl_->display, wanted.keysym) : 0;
    if (grab.keycode != 0) {
      for (unsigned mask : X11GrabMasks(wanted.modifierMask)) {
        // A key that another program has grabbed answers BadAccess; the trap
        // keeps that error from ending the process, and the variant is left.
        gdk_x11_display_error_trap_push(impl_->gdkDisplay);
        XGrabKey(impl_->display, grab.keycode, mask, impl_->rootXid, False, GrabModeAsync, GrabModeAsync);
        if (gdk_x11_display_error_trap_pop(impl_->gdkDisplay) == 0) grab.grantedMasks.push_back(mask);
      }
      grab.complete = grab.grantedMasks.size() == X11GrabMasks(0).size();
    }
    impl_->grabs[binding.id] = grab;
  }
}

void HotkeyRegistration::Unregister(int hotkeyId) {
  const auto it = impl_->grabs.find(hotkeyId);
  if (it == impl_->grabs.end()) return;
  if (impl_->display) impl_->Ungrab(it->second);
  impl_->grabs.erase(it);
}

void HotkeyRegistration::UnregisterAll() {
  while (!impl_->grabs.empty()) Unregister(impl_->grabs.begin()->first);
}

bool HotkeyRegistration::IsRegistered(int hotkeyId) const {
  const auto it = impl_->grabs.find(hotkeyId);
  return it != impl_->grabs.end() && it->second.complete;
}

bool HotkeyRegistration::HandleWindowMessage(unsigned, std::uintptr_t, std::intptr_t) { return false; }

}  // namespace qm
