#include "ui/linux/x11_stacking.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace qm {

namespace {

constexpr const char* kStackingAtom = "_NET_CLIENT_LIST_STACKING";

void (*g_changed)() = nullptr;
guint g_pending = 0;

gboolean RunChanged(gpointer) {
  g_pending = 0;
  if (g_changed) g_changed();
  return G_SOURCE_REMOVE;
}

GdkFilterReturn OnRootEvent(GdkXEvent* xevent, GdkEvent*, gpointer) {
  const auto* event = static_cast<const XEvent*>(xevent);
  if (event->type != PropertyNotify) return GDK_FILTER_CONTINUE;
  GdkDisplay* display = gdk_display_get_default();
  if (event->xproperty.atom != gdk_x11_get_xatom_by_name_for_display(display, kStackingAtom))
    return GDK_FILTER_CONTINUE;
  // A restack often comes as several changes in a row: one look after them.
  if (!g_pending) g_pending = g_idle_add(RunChanged, nullptr);
  return GDK_FILTER_CONTINUE;
}

}  // namespace

std::vector<unsigned long> ClientStackingOrder() {
  std::vector<unsigned long> order;
  GdkDisplay* display = gdk_display_get_default();
  if (!display || !GDK_IS_X11_DISPLAY(display)) return order;
  ::Display* x = GDK_DISPLAY_XDISPLAY(display);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  gdk_x11_display_error_trap_push(display);
  const int status = XGetWindowProperty(x, DefaultRootWindow(x), gdk_x11_get_xatom_by_name_for_display(display, kStackingAtom),
                                        0, 4096, False, XA_WINDOW, &type, &format, &count, &after, &data);
  gdk_x11_display_error_trap_pop_ignored(display);
  if (status == Success && data && type == XA_WINDOW && format == 32) {
    const auto* windows = reinterpret_cast<const unsigned long*>(data);
    order.assign(windows, windows + count);
  }
  if (data) XFree(data);
  return order;
}

unsigned long XWindowOf(GtkWidget* widget) {
  GdkWindow* window = widget ? gtk_widget_get_window(widget) : nullptr;
  return window && GDK_IS_X11_WINDOW(window) ? gdk_x11_window_get_xid(window) : 0;
}

void WatchClientStacking(void (*changed)()) {
  if (g_changed) return;
  GdkDisplay* display = gdk_display_get_default();
  if (!display || !GDK_IS_X11_DISPLAY(display)) return;
  g_changed = changed;
  GdkWindow* root = gdk_get_default_root_window();
  gdk_window_set_events(root, static_cast<GdkEventMask>(gdk_window_get_events(root) | GDK_PROPERTY_CHANGE_MASK));
  gdk_window_add_filter(root, OnRootEvent, nullptr);
}

}  // namespace qm
