// A panel for the frame's tests: a dock window along the top edge of the
// screen that reserves its height with a strut, as a desktop panel or a
// taskbar does, so that the window manager's work area starts below it.
//
//   qm_panel_probe <height>
// Runs until killed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>

int main(int argc, char** argv) {
  const int height = argc > 1 ? std::atoi(argv[1]) : 40;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 2;
  const int screen = DefaultScreen(display);
  const int width = DisplayWidth(display, screen);
  Window panel = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, width, height, 0, 0, 0x303040);
  XStoreName(display, panel, "qm test panel");
  const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
  const Atom dock = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DOCK", False);
  XChangeProperty(display, panel, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&dock), 1);
  // left, right, top, bottom, then the start and end of each edge's extent.
  long strut[12] = {0, 0, height, 0, 0, 0, 0, 0, 0, width - 1, 0, 0};
  XChangeProperty(display, panel, XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(strut), 12);
  XChangeProperty(display, panel, XInternAtom(display, "_NET_WM_STRUT", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(strut), 4);
  // Its place is its own (as a panel's is), not one the window manager picks.
  XSizeHints hints{};
  hints.flags = USPosition | PPosition | PMinSize | PMaxSize;
  hints.x = 0;
  hints.y = 0;
  hints.min_width = hints.max_width = width;
  hints.min_height = hints.max_height = height;
  XSetWMNormalHints(display, panel, &hints);
  XMapWindow(display, panel);
  XFlush(display);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
  }
}
