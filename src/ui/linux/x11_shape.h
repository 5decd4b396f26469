// Window shapes set on the X server directly. GDK keeps a shape given after
// the window is mapped to itself, so a shape that changes while the window
// shows (the colour key's) goes through Xlib.
#pragma once

#include <cairo.h>
#include <gtk/gtk.h>

namespace qm {

// Sets the input shape, and the bounding shape too when bounding, of the
// realized widget's X window to region; does nothing for an unrealized one.
void SetXShape(GtkWidget* widget, const cairo_region_t* region, bool bounding);

}  // namespace qm
