// The image button of the GTK build: a drawing area inside the parent's
// GtkFixed that blits the picture ButtonPictures chose, with a tooltip window
// of its own.
#include "ui/touch_button.h"

#include <algorithm>

#include "base/text.h"
#include "ui/linux/gtk_owners.h"
#include "ui/linux/skin_image.h"
#include "ui/touch_button_pictures.h"
#include "ui/window_host.h"

namespace qm {

struct CTouchButton::Impl {
  static gboolean OnDraw(GtkWidget*, cairo_t*, gpointer);
  static gboolean OnPress(GtkWidget*, GdkEventButton*, gpointer);
  static gboolean OnRelease(GtkWidget*, GdkEventButton*, gpointer);
  static gboolean OnEnter(GtkWidget*, GdkEventCrossing*, gpointer);
  static gboolean OnLeave(GtkWidget*, GdkEventCrossing*, gpointer);
  static gboolean OnMotion(GtkWidget*, GdkEventMotion*, gpointer);
  static void OnRealize(GtkWidget*, gpointer);
  static void OnDestroyed(GtkWidget*, gpointer);
  static gboolean OnToolTipDue(gpointer);

  void BuildPictures();
  void RestartToolTipTimer();
  void HideToolTip();

  GObjectPtr<GtkWidget> ref;  // keeps the widget's memory until the button goes
  UniqueWidget widget;        // empty once destroyed (with its parent window)
  bool alive() const { return widget.valid(); }
  GtkWidget* parent = nullptr;
  int id = 0;
  PixelRect place;

  ButtonFlags flags;
  PointerTracker tracker;
  bool pressed = false;  // the left button went down on us and is still down
  ButtonPicture current = ButtonPicture::kNormal;
  bool imagesGiven = false;
  std::unique_ptr<SkinImage> normalImage, hoverImage, pressedImage;
  ButtonPictures pictures;

  std::wstring toolTipText;
  bool toolTipActive = false;
  UniqueWidget toolTip;
  UniqueSource toolTipTimer;
};

CTouchButton::CTouchButton() : impl_(std::make_unique<Impl>()) {}

CTouchButton::~CTouchButton() {
  impl_->HideToolTip();
  if (impl_->ref) g_signal_handlers_disconnect_by_data(impl_->ref.get(), impl_.get());
  impl_->widget.reset();
}

bool CTouchButton::Create(NativeWindow parent, int id, const PixelRect& place) {
  if (!parent || !GTK_IS_FIXED(parent) || impl_->ref) return false;
  Impl& b = *impl_;
  b.parent = parent;
  b.id = id;
  GtkWidget* widget = gtk_drawing_area_new();
  b.ref.reset(GTK_WIDGET(g_object_ref_sink(widget)));
  b.widget.reset(widget);
  gtk_widget_add_events(widget, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_ENTER_NOTIFY_MASK |
                                    GDK_LEAVE_NOTIFY_MASK | GDK_POINTER_MOTION_MASK);
  g_signal_connect(widget, "draw", G_CALLBACK(Impl::OnDraw), &b);
  g_signal_connect(widget, "button-press-event", G_CALLBACK(Impl::OnPress), &b);
  g_signal_connect(widget, "button-release-event", G_CALLBACK(Impl::OnRelease), &b);
  g_signal_connect(widget, "enter-notify-event", G_CALLBACK(Impl::OnEnter), &b);
  g_signal_connect(widget, "leave-notify-event", G_CALLBACK(Impl::OnLeave), &b);
  g_signal_connect(widget, "motion-notify-event", G_CALLBACK(Impl::OnMotion), &b);
  g_signal_connect(widget, "realize", G_CALLBACK(Impl::OnRealize), &b);
  g_signal_connect(widget, "destroy", G_CALLBACK(Impl::OnDestroyed), &b);
  gtk_fixed_put(GTK_FIXED(parent), widget, 0, 0);
  Place(place);
  gtk_widget_show(widget);
  return true;
}

void CTouchButton::Place(const PixelRect& place) {
  Impl& b = *impl_;
  if (!b.alive()) return;
  // A child reaching past its parent's edge is cut there, as a child window
  // is clipped by its parent (the message box's close button is 28 pixels
  // wide at 228 of 253); the GtkFixed would otherwise grow the window.
  int parentWidth = -1, parentHeight = -1;
  gtk_widget_get_size_request(b.parent, &parentWidth, &parentHeight);
  b.place = place;
  if (parentWidth > 0) b.place.width = std::max(0, std::min(place.width, parentWidth - place.x));
  if (parentHeight > 0) b.place.height = std::max(0, std::min(place.height, parentHeight - place.y));
  gtk_fixed_move(GTK_FIXED(b.parent), b.widget.get(), b.place.x, b.place.y);
  gtk_widget_set_size_request(b.widget.get(), b.place.width, b.place.height);
}

void CTouchButton::SetStateImages(unsigned normalId, unsigned hoverId, unsigned pressedId) {
  Impl& b = *impl_;
  b.hoverImage = LoadSkinImage(hoverId);
  b.normalImage = LoadSkinImage(normalId);
  b.pressedImage = LoadSkinImage(pressedId);
  b.imagesGiven = true;
}

void CTouchButton::SetToolTipText(const std::wstring& text, bool activate) {
  if (text.empty()) return;
  impl_->toolTipText = text;
  impl_->toolTipActive = activate;
  if (!activate) impl_->HideToolTip();
}

void CTouchButton::Enable(bool enable) {
  if (impl_->alive()) gtk_widget_set_sensitive(impl_->widget.get(), enable);
}

void CTouchButton::Show(bool show) {
  if (!impl_->alive()) return;
  if (show)
    gtk_widget_show(impl_->widget.get());
  else
    gtk_widget_hide(impl_->widget.get());
}

int CTouchButton::id() const { return impl_->id; }
NativeWindow CTouchButton::Native() const { return impl_->widget.get(); }
ButtonPicture CTouchButton::current() const { return impl_->current; }

void CTouchButton::Impl::BuildPictures() {
  if (pictures.built() || !imagesGiven || place.width <= 0 || place.height <= 0) return;
  std::unique_ptr<Surface> background = CaptureFace(parent, place);
  if (!background) background = CreateSurface(place.width, place.height);
  if (!background) return;
  pictures.Build(*background, {normalImage.get(), hoverImage.get(), pressedImage.get()});
}

gboolean CTouchButton::Impl::OnDraw(GtkWidget*, cairo_t* cr, gpointer self) {
  auto* b = static_cast<Impl*>(self);
  b->BuildPictures();
  if (!b->pictures.built()) return TRUE;  // no images: nothing of its own to paint
  // The platform's "selected" state: pressed while the pointer is on it.
  b->current = ChoosePicture(b->flags, b->pressed && b->flags.hover);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, CairoSurfaceOf(*b->pictures.For(b->current)), 0, 0);
  cairo_paint(cr);
  return TRUE;
}

gboolean CTouchButton::Impl::OnPress(GtkWidget* w, GdkEventButton* event, gpointer self) {
  auto* b = static_cast<Impl*>(self);
  // The second press of a double click arrives as its own press (the
  // 2BUTTON event that follows is ignored), so it is a second click.
  if (event->type != GDK_BUTTON_PRESS || event->button != 1) return TRUE;
  b->HideToolTip();
  b->pressed = true;
  gtk_widget_queue_draw(w);
  return TRUE;
}

gboolean CTouchButton::Impl::OnRelease(GtkWidget* w, GdkEventButton* event, gpointer self) {
  auto* b = static_cast<Impl*>(self);
  if (event->button != 1 || !b->pressed) return TRUE;
  b->pressed = false;
  const bool inside =
      event->x >= 0 && event->y >= 0 && event->x < b->place.width && event->y < b->place.height;
  gtk_widget_queue_draw(w);
  if (inside) SendCommand(b->parent, b->id);
  return TRUE;
}

gboolean CTouchButton::Impl::OnEnter(GtkWidget* w, GdkEventCrossing*, gpointer self) {
  auto* b = static_cast<Impl*>(self);
  if (b->tracker.OnMove()) b->tracker.TrackingRequested(true);
  b->tracker.OnHover(b->flags);
  b->RestartToolTipTimer();
  gtk_widget_queue_draw(w);
  return TRUE;
}

gboolean CTouchButton::Impl::OnLeave(GtkWidget* w, GdkEventCrossing*, gpointer self) {
  auto* b = static_cast<Impl*>(self);
  b->tracker.OnLeave(b->flags);
  b->HideToolTip();
  gtk_widget_queue_draw(w);
  return TRUE;
}

gboolean CTouchButton::Impl::OnMotion(GtkWidget*, GdkEventMotion*, gpointer self) {
  auto* b = static_cast<Impl*>(self);
  if (!b->toolTip || !gtk_widget_get_visible(b->toolTip.get())) b->RestartToolTipTimer();
  return TRUE;
}

void CTouchButton::Impl::OnRealize(GtkWidget* w, gpointer) {
  GdkWindow* window = gtk_widget_get_window(w);
  GObjectPtr<GdkCursor> hand(gdk_cursor_new_from_name(gdk_window_get_display(window), "pointer"));
  if (hand) gdk_window_set_cursor(window, hand.get());
}

void CTouchButton::Impl::OnDestroyed(GtkWidget*, gpointer self) {
  // Destroyed with its parent window: the button object stays, inert.
  auto* b = static_cast<Impl*>(self);
  b->widget.release();
  b->HideToolTip();
}

void CTouchButton::Impl::RestartToolTipTimer() {
  toolTipTimer.reset();
  if (toolTipText.empty() || !toolTipActive) return;
  toolTipTimer.reset(g_timeout_add(kToolTipDelayMs, OnToolTipDue, this));
}

gboolean CTouchButton::Impl::OnToolTipDue(gpointer self) {
  auto* b = static_cast<Impl*>(self);
  b->toolTipTimer.release();  // this source ends with the G_SOURCE_REMOVE below
  if (!b->flags.hover || !b->alive()) return G_SOURCE_REMOVE;
  if (!b->toolTip) {
    b->toolTip.reset(gtk_window_new(GTK_WINDOW_POPUP));
    gtk_window_set_type_hint(GTK_WINDOW(b->toolTip.get()), GDK_WINDOW_TYPE_HINT_TOOLTIP);
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_widget_set_margin_start(label, 4);
    gtk_widget_set_margin_end(label, 4);
    gtk_widget_set_margin_top(label, 2);
    gtk_widget_set_margin_bottom(label, 2);
    gtk_container_add(GTK_CONTAINER(b->toolTip.get()), label);
    gtk_widget_show(label);
  }
  const std::string text = Utf8FromWide(b->toolTipText);
  gtk_window_set_title(GTK_WINDOW(b->toolTip.get()), text.c_str());
  gtk_label_set_text(GTK_LABEL(gtk_bin_get_child(GTK_BIN(b->toolTip.get()))), text.c_str());
  GdkDisplay* display = gtk_widget_get_display(b->widget.get());
  int px = 0, py = 0;
  gdk_device_get_position(gdk_seat_get_pointer(gdk_display_get_default_seat(display)), nullptr, &px, &py);
  gtk_window_move(GTK_WINDOW(b->toolTip.get()), px, py + 20);
  gtk_widget_show(b->toolTip.get());
  return G_SOURCE_REMOVE;
}

void CTouchButton::Impl::HideToolTip() {
  toolTipTimer.reset();
  if (toolTip) gtk_widget_hide(toolTip.get());
}

}  // namespace qm
