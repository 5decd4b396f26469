// The skinned message box on GTK: an undecorated top-level window run in a
// nested main loop until one of its buttons, Esc or Enter answers.
#include "ui/message_box.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>

#include "base/text.h"
#include "platform/debug_output.h"
#include "ui/linux/skin_image.h"
#include "ui/linux/touch_button.h"
#include "ui/message_box_layout.h"

namespace qm {

namespace {

struct BoxRun {
  GtkWidget* window = nullptr;
  GMainLoop* loop = nullptr;
  int answer = 0;
  std::unique_ptr<SkinImage> background;
  const std::wstring* title = nullptr;
  const std::wstring* text = nullptr;

  void End(int value) {
    if (answer) return;
    answer = value;
    g_main_loop_quit(loop);
  }
  void PaintFace(cairo_t* cr) const {
    CairoCanvas canvas(cr);
    PaintMessageBoxFace(canvas, background.get(), *title, *text);
  }
};

gboolean OnFaceDraw(GtkWidget*, cairo_t* cr, gpointer data) {
  auto* run = static_cast<BoxRun*>(data);
  {
    CMyMemDC off(cr, {0, 0, kMessageBoxWidth, kMessageBoxHeight});
    run->PaintFace(off.cr());
  }
  return FALSE;  // the buttons draw next
}

gboolean OnPress(GtkWidget* window, GdkEventButton* event, gpointer) {
  // The box's own surface moves the window; the buttons take their presses.
  if (event->type == GDK_BUTTON_PRESS && event->button == 1)
    gtk_window_begin_move_drag(GTK_WINDOW(window), 1, static_cast<int>(event->x_root),
                               static_cast<int>(event->y_root), event->time);
  return TRUE;
}

gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* run = static_cast<BoxRun*>(data);
  if (event->keyval == GDK_KEY_Escape) {
    run->End(IDCANCEL);
    return TRUE;
  }
  if (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter) {
    run->End(IDOK);  // as a dialog without a default button: Enter is OK
    return TRUE;
  }
  return FALSE;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  static_cast<BoxRun*>(data)->End(IDCANCEL);
  return TRUE;
}

PixelRect ScreenArea(GtkWidget* window) {
  GdkDisplay* display = gtk_widget_get_display(window);
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  GdkRectangle r{0, 0, 0, 0};
  if (monitor) gdk_monitor_get_workarea(monitor, &r);
  return {r.x, r.y, r.width, r.height};
}

}  // namespace

int CCustomMessageBox::DoModal() {
  if (!EnsureGtk()) {
    DebugOutput(L"message box: no display; answered as Cancel");
    return IDCANCEL;
  }
  BoxRun run;
  run.title = &m_strTitle;
  run.text = &m_strText;
  run.loop = g_main_loop_new(nullptr, FALSE);
  run.background = LoadSkinImage(kMessageBoxBackgroundImage);

  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  run.window = window;
  const std::string title = Utf8FromWide(m_strTitle);
  gtk_window_set_title(GTK_WINDOW(window), title.c_str());
  gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_modal(GTK_WINDOW(window), TRUE);
  gtk_widget_set_app_paintable(window, TRUE);
  gtk_widget_set_size_request(window, kMessageBoxWidth, kMessageBoxHeight);
  gtk_widget_add_events(window, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);

  GtkWindow* owner = m_owner ? GTK_WINDOW(reinterpret_cast<GtkWidget*>(m_owner)) : nullptr;
  PixelRect area = ScreenArea(window);
  PixelRect over = area;
  if (owner) {
    gtk_window_set_transient_for(GTK_WINDOW(window), owner);
    int x = 0, y = 0, w = 0, h = 0;
    gtk_window_get_position(owner, &x, &y);
    gtk_window_get_size(owner, &w, &h);
    over = {x, y, w, h};
  }
  PixelPoint origin = CentreOver(over, kMessageBoxWidth, kMessageBoxHeight);
  if (area.width > 0) origin = KeepInside(area, origin, kMessageBoxWidth, kMessageBoxHeight);
  gtk_window_move(GTK_WINDOW(window), origin.x, origin.y);

  GtkWidget* fixed = gtk_fixed_new();
  gtk_container_add(GTK_CONTAINER(window), fixed);
  g_signal_connect(fixed, "draw", G_CALLBACK(OnFaceDraw), &run);
  g_signal_connect(window, "button-press-event", G_CALLBACK(OnPress), &run);
  g_signal_connect(window, "key-press-event", G_CALLBACK(OnKey), &run);
  g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), &run);

  const MessageBoxLayout layout = LayOutMessageBox(kMessageBoxWidth, kMessageBoxHeight);
  CTouchButton buttons[3];
  const MessageBoxButton* places[3] = {&layout.ok, &layout.cancel, &layout.close};
  for (int i = 0; i < 3; ++i) {
    const MessageBoxButton& place = *places[i];
    buttons[i].Create(
        fixed, place.id, [&run](cairo_t* cr) { run.PaintFace(cr); },
        [&run](int id) { run.End(id == IDOK ? IDOK : IDCANCEL); });
    // A child reaching past the box's edge is cut there, as a child window
    // is clipped by its parent (the close button is 28 pixels wide at 228).
    buttons[i].SetWindowPos(place.rect.x, place.rect.y,
                            std::min(place.rect.width, kMessageBoxWidth - place.rect.x),
                            std::min(place.rect.height, kMessageBoxHeight - place.rect.y));
    buttons[i].SetStateImages(place.normalImage, place.hoverImage, place.pressedImage);
  }

  gtk_widget_show_all(window);
  gtk_window_present(GTK_WINDOW(window));
  g_main_loop_run(run.loop);

  gtk_widget_destroy(window);
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  g_main_loop_unref(run.loop);
  return run.answer;
}

}  // namespace qm
