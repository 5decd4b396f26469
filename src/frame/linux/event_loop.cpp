#include "frame/event_loop.h"

#include <gtk/gtk.h>

#include "ui/linux/skin_image.h"

namespace qm {

bool StartWindowSystem() { return EnsureGtk(); }

void RunEventLoop() { gtk_main(); }

void QuitEventLoop() {
  if (gtk_main_level() > 0) gtk_main_quit();
}

}  // namespace qm
