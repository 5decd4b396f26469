// Owners of the GTK and GLib resources of the window host and the controls,
// in addition to the Linux owners of the platform layer.
#pragma once

#include <gtk/gtk.h>
#include <pango/pango.h>

#include <memory>

#include "base/unique_resource.h"
#include "platform/linux/owners.h"

namespace qm {

namespace owners {

// A widget this code made and destroys: a toplevel window, or a child that
// leaves its container when destroyed.
struct WidgetTraits {
  using pointer = GtkWidget*;
  static pointer Invalid() noexcept { return nullptr; }
  static void Close(pointer widget) noexcept { gtk_widget_destroy(widget); }
};

// A main-loop source (timeout, idle) by its id.
struct SourceTraits {
  using pointer = guint;
  static pointer Invalid() noexcept { return 0; }
  static void Close(pointer id) noexcept { g_source_remove(id); }
};

struct MainLoopUnref {
  void operator()(GMainLoop* loop) const noexcept { g_main_loop_unref(loop); }
};
struct GdkEventFree {
  void operator()(GdkEvent* event) const noexcept { gdk_event_free(event); }
};
struct FontDescriptionFree {
  void operator()(PangoFontDescription* description) const noexcept { pango_font_description_free(description); }
};

}  // namespace owners

using UniqueWidget = UniqueResource<owners::WidgetTraits>;
using UniqueSource = UniqueResource<owners::SourceTraits>;
using MainLoopPtr = std::unique_ptr<GMainLoop, owners::MainLoopUnref>;
// An event made with gdk_event_new; freeing it gives up what it refers to.
using GdkEventPtr = std::unique_ptr<GdkEvent, owners::GdkEventFree>;
using FontDescriptionPtr = std::unique_ptr<PangoFontDescription, owners::FontDescriptionFree>;

}  // namespace qm
