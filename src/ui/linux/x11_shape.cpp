#include "ui/linux/x11_shape.h"

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

#include <vector>

namespace qm {

void SetXShape(GtkWidget* widget, const cairo_region_t* region, bool bounding) {
  GdkWindow* window = gtk_widget_get_window(widget);
  if (!window || !GDK_IS_X11_WINDOW(window)) return;
  std::vector<XRectangle> rects;
  for (int i = 0; i < cairo_region_num_rectangles(region); ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(region, i, &r);
    rects.push_back({static_cast<short>(r.x), static_cast<short>(r.y), static_cast<unsigned short>(r.width),
                     static_cast<unsigned short>(r.height)});
  }
  Display* display = GDK_WINDOW_XDISPLAY(window);
  const Window xid = GDK_WINDOW_XID(window);
  const int count = static_cast<int>(rects.size());
  if (bounding) XShapeCombineRectangles(display, xid, ShapeBounding, 0, 0, rects.data(), count, ShapeSet, YXBanded);
  XShapeCombineRectangles(display, xid, ShapeInput, 0, 0, rects.data(), count, ShapeSet, YXBanded);
  XFlush(display);
}

}  // namespace qm
