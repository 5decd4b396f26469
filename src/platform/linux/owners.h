// Owners of Linux resources: file descriptors, GLib objects and memory, cairo
// objects and X11 resources. Each alias gives its resource back with the one
// call that belongs to it.
#pragma once

#include <cairo.h>
#include <glib-object.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "base/unique_resource.h"

namespace qm {

namespace owners {

struct FdTraits {
  using pointer = int;
  static pointer Invalid() noexcept { return -1; }
  static void Close(pointer fd) noexcept { ::close(fd); }
};

struct GObjectUnref {
  void operator()(gpointer object) const noexcept { g_object_unref(object); }
};
struct GFree {
  void operator()(gpointer memory) const noexcept { g_free(memory); }
};
struct GErrorFree {
  void operator()(GError* error) const noexcept { g_error_free(error); }
};
struct CairoDestroy {
  void operator()(cairo_t* cr) const noexcept { cairo_destroy(cr); }
};
struct CairoSurfaceDestroy {
  void operator()(cairo_surface_t* surface) const noexcept { cairo_surface_destroy(surface); }
};
struct CairoRegionDestroy {
  void operator()(cairo_region_t* region) const noexcept { cairo_region_destroy(region); }
};
struct PipeClose {
  void operator()(FILE* pipe) const noexcept { ::pclose(pipe); }
};

}  // namespace owners

using UniqueFd = UniqueResource<owners::FdTraits>;

// Closes a descriptor that was written to and reports the close's own error,
// which is where some file systems report a failed write.
inline bool CloseReportingErrors(UniqueFd& fd) noexcept { return ::close(fd.release()) == 0; }

// A GObject reference (GdkPixbuf, WebKitWebContext, ...): one unref at the end.
template <typename T>
using GObjectPtr = std::unique_ptr<T, owners::GObjectUnref>;
// Memory that GLib hands out for the caller to g_free.
template <typename T>
using GMemoryPtr = std::unique_ptr<T, owners::GFree>;
using GErrorPtr = std::unique_ptr<GError, owners::GErrorFree>;
using CairoPtr = std::unique_ptr<cairo_t, owners::CairoDestroy>;
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, owners::CairoSurfaceDestroy>;
using CairoRegionPtr = std::unique_ptr<cairo_region_t, owners::CairoRegionDestroy>;
// The stream of a command started with popen; closing it waits for the command.
using ProcessPipePtr = std::unique_ptr<FILE, owners::PipeClose>;

}  // namespace qm
