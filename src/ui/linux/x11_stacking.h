// The window manager's stacking order of the client windows, as it reports
// it on the root window (_NET_CLIENT_LIST_STACKING), and a watch for its
// changes: a window manager restacks frames of its own, so the windows of
// this process never learn from their own events that another one came
// above them.
#pragma once

#include <gtk/gtk.h>

#include <vector>

namespace qm {

// The client windows from the bottom to the top; empty without a window
// manager that reports it.
std::vector<unsigned long> ClientStackingOrder();

// The X window id of the realized widget's window, or 0.
unsigned long XWindowOf(GtkWidget* widget);

// Calls changed (once per turn of the main loop) after every change of the
// stacking order the window manager reports, from the first call on for as
// long as the process runs. Later calls replace nothing: the first handler
// stays.
void WatchClientStacking(void (*changed)());

}  // namespace qm
