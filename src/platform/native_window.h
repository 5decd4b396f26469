// The window system's own handle of a window of this process, as the
// platform layers and the web engines take it: an HWND on Windows, a GTK
// widget on Linux (a toplevel GtkWindow, or a container inside one). Declared
// without the OS headers so that portable code can hold and pass it.
#pragma once

#ifdef _WIN32
struct HWND__;
namespace qm {
using NativeWindow = HWND__*;
}
#else
typedef struct _GtkWidget GtkWidget;
namespace qm {
using NativeWindow = GtkWidget*;
}
#endif
