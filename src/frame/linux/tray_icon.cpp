// The tray icon on Linux: a GtkStatusIcon, which embeds itself into the
// desktop's XEmbed system tray, with a GtkMenu built from the menu table.
// GtkStatusIcon is deprecated in GTK 3 but is the one XEmbed tray icon GTK
// offers; the deprecation warnings are silenced for this file only.
#include "frame/tray_icon.h"

#include <gtk/gtk.h>

#include "base/text.h"
#include "platform/linux/owners.h"
#include "platform/resources.h"
#include "ui/linux/skin_image.h"

G_GNUC_BEGIN_IGNORE_DEPRECATIONS

namespace qm {

namespace {

// Icon 273 (a Windows .ico) decoded by GdkPixbuf's ico loader; the largest
// image of the file is the one the loader picks.
GdkPixbuf* LoadTrayPixbuf() {
  const auto bytes = FindResourceBytes("ICON", kTrayIconResource);
  if (!bytes) return nullptr;
  GObjectPtr<GdkPixbufLoader> loader(gdk_pixbuf_loader_new());
  GError* error = nullptr;
  if (!gdk_pixbuf_loader_write(loader.get(), bytes->data, bytes->size, &error) ||
      !gdk_pixbuf_loader_close(loader.get(), &error)) {
    g_clear_error(&error);
    return nullptr;
  }
  GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get());
  return pixbuf ? GDK_PIXBUF(g_object_ref(pixbuf)) : nullptr;
}

}  // namespace

struct CTrayIcon::Impl {
  bool added = false;
  Callbacks callbacks;
  GObjectPtr<GtkStatusIcon> icon;
  GObjectPtr<GtkWidget> menu;  // a reference taken with g_object_ref_sink
  TrayPoint menuOrigin;

  ~Impl() { DropMenu(); }

  void DropMenu() {
    if (!menu) return;
    gtk_widget_destroy(menu.get());
    menu.reset();
  }

  static void OnActivate(GtkStatusIcon*, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    if (self->callbacks.leftClick) self->callbacks.leftClick();
  }

  static void OnPopupMenu(GtkStatusIcon*, guint, guint, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    int x = 0, y = 0;
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    gdk_device_get_position(gdk_seat_get_pointer(seat), nullptr, &x, &y);
    self->Open(x, y);
  }

  static void OnItem(GtkMenuItem* item, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    const unsigned command = GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), "qm-command"));
    if (self->callbacks.command) self->callbacks.command(command);
  }

  static void Position(GtkMenu*, gint* x, gint* y, gboolean* pushIn, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    *x = self->menuOrigin.x;
    *y = self->menuOrigin.y;
    // A menu that would stick out of the work area (a right click on an icon
    // in a top panel lands above it) is moved into it whole: pushed in, GTK
    // would scroll it instead and hide its first items behind scroll arrows.
    *pushIn = FALSE;
  }

  void Open(int cursorX, int cursorY) {
    DropMenu();
    menu.reset(GTK_WIDGET(g_object_ref_sink(gtk_menu_new())));
    for (const TrayMenuItem& entry : TrayMenuItems()) {
      GtkWidget* item = gtk_menu_item_new_with_label(Utf8FromWide(entry.text).c_str());
      g_object_set_data(G_OBJECT(item), "qm-command", GUINT_TO_POINTER(entry.command));
      g_signal_connect(item, "activate", G_CALLBACK(&Impl::OnItem), this);
      gtk_menu_shell_append(GTK_MENU_SHELL(menu.get()), item);
    }
    gtk_widget_show_all(menu.get());
    menuOrigin = TrayMenuOrigin(cursorX, cursorY);
    gtk_menu_popup(GTK_MENU(menu.get()), nullptr, nullptr, &Impl::Position, this, 3, gtk_get_current_event_time());
  }
};

CTrayIcon::CTrayIcon() : impl_(std::make_unique<Impl>()) {}

CTrayIcon::~CTrayIcon() { Remove(); }

void CTrayIcon::Add(const std::wstring& title, NativeWindow, Callbacks callbacks) {
  impl_->callbacks = std::move(callbacks);
  impl_->added = true;
  if (!EnsureGtk()) return;
  GObjectPtr<GdkPixbuf> pixbuf(LoadTrayPixbuf());
  impl_->icon.reset(pixbuf ? gtk_status_icon_new_from_pixbuf(pixbuf.get())
                           : gtk_status_icon_new_from_icon_name("applications-games"));
  const std::string tip = Utf8FromWide(TrayTipText(title));
  gtk_status_icon_set_tooltip_text(impl_->icon.get(), tip.c_str());
  gtk_status_icon_set_title(impl_->icon.get(), tip.c_str());
  g_signal_connect(impl_->icon.get(), "activate", G_CALLBACK(&Impl::OnActivate), impl_.get());
  g_signal_connect(impl_->icon.get(), "popup-menu", G_CALLBACK(&Impl::OnPopupMenu), impl_.get());
  gtk_status_icon_set_visible(impl_->icon.get(), TRUE);
}

void CTrayIcon::Remove() {
  if (!impl_->added) return;
  impl_->added = false;
  impl_->DropMenu();
  if (impl_->icon) {
    gtk_status_icon_set_visible(impl_->icon.get(), FALSE);
    g_signal_handlers_disconnect_by_data(impl_->icon.get(), impl_.get());
    impl_->icon.reset();
  }
}

bool CTrayIcon::added() const { return impl_->added; }

bool CTrayIcon::HandleWindowMessage(unsigned, std::uintptr_t, std::intptr_t) { return false; }

bool CTrayIcon::IsEmbedded() const { return impl_->icon && gtk_status_icon_is_embedded(impl_->icon.get()); }

std::optional<PixelRect> CTrayIcon::ScreenRect() const {
  if (!impl_->icon) return std::nullopt;
  GdkRectangle area{};
  if (!gtk_status_icon_get_geometry(impl_->icon.get(), nullptr, &area, nullptr)) return std::nullopt;
  return PixelRect{area.x, area.y, area.width, area.height};
}

void CTrayIcon::OpenMenu(int cursorX, int cursorY) {
  if (impl_->icon) impl_->Open(cursorX, cursorY);
}

std::optional<PixelRect> CTrayIcon::OpenMenuRect() const {
  if (!impl_->menu || !gtk_widget_get_mapped(impl_->menu.get())) return std::nullopt;
  GdkWindow* window = gtk_widget_get_window(gtk_widget_get_toplevel(impl_->menu.get()));
  if (!window) return std::nullopt;
  int x = 0, y = 0;
  gdk_window_get_origin(window, &x, &y);
  return PixelRect{x, y, gdk_window_get_width(window), gdk_window_get_height(window)};
}

}  // namespace qm

G_GNUC_END_IGNORE_DEPRECATIONS
