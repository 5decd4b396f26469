#include "ui/linux/touch_button.h"

#include "base/text.h"
#include "ui/colour_matrix.h"

namespace qm {

CTouchButton::CTouchButton() = default;

CTouchButton::~CTouchButton() {
  HideToolTip();
  if (toolTip_) gtk_widget_destroy(toolTip_);
  if (widget_) {
    g_signal_handlers_disconnect_by_data(widget_, this);
    g_object_unref(widget_);
  }
  if (background_) cairo_surface_destroy(background_);
  for (auto* p : pictures_)
    if (p) cairo_surface_destroy(p);
}

void CTouchButton::Create(GtkWidget* fixed, int id, ParentPainter parentPainter, ClickHandler onClick) {
  id_ = id;
  parentPainter_ = std::move(parentPainter);
  onClick_ = std::move(onClick);
  widget_ = gtk_drawing_area_new();
  g_object_ref_sink(widget_);
  gtk_widget_add_events(widget_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_ENTER_NOTIFY_MASK |
                                     GDK_LEAVE_NOTIFY_MASK | GDK_POINTER_MOTION_MASK);
  g_signal_connect(widget_, "draw", G_CALLBACK(OnDraw), this);
  g_signal_connect(widget_, "button-press-event", G_CALLBACK(OnPress), this);
  g_signal_connect(widget_, "button-release-event", G_CALLBACK(OnRelease), this);
  g_signal_connect(widget_, "enter-notify-event", G_CALLBACK(OnEnter), this);
  g_signal_connect(widget_, "leave-notify-event", G_CALLBACK(OnLeave), this);
  g_signal_connect(widget_, "motion-notify-event", G_CALLBACK(OnMotion), this);
  g_signal_connect(widget_, "realize", G_CALLBACK(OnRealize), this);
  gtk_fixed_put(GTK_FIXED(fixed), widget_, 0, 0);
  gtk_widget_show(widget_);
}

void CTouchButton::SetWindowPos(int x, int y, int width, int height) {
  x_ = x;
  y_ = y;
  width_ = width;
  height_ = height;
  gtk_fixed_move(GTK_FIXED(gtk_widget_get_parent(widget_)), widget_, x, y);
  gtk_widget_set_size_request(widget_, width, height);
}

void CTouchButton::SetStateImages(unsigned normalId, unsigned hoverId, unsigned pressedId) {
  hoverImage_ = std::make_unique<CGdiPlusBitmapResource>();
  hoverImage_->Load(hoverId);
  normalImage_ = std::make_unique<CGdiPlusBitmapResource>();
  normalImage_->Load(normalId);
  pressedImage_ = std::make_unique<CGdiPlusBitmapResource>();
  pressedImage_->Load(pressedId);
}

void CTouchButton::SetToolTipText(const std::wstring& text, bool activate) {
  if (text.empty()) return;
  toolTipText_ = text;
  toolTipActive_ = activate;
  if (!activate) HideToolTip();
}

void CTouchButton::EnableWindow(bool enable) { gtk_widget_set_sensitive(widget_, enable); }

cairo_surface_t* CTouchButton::BuildPicture(const CGdiPlusBitmapResource* image, const ColourMatrix* matrix) {
  cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_);
  cairo_t* cr = cairo_create(picture);
  cairo_set_source_surface(cr, background_, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  if (image && image->m_pBitmap) {
    cairo_surface_t* source = image->m_pBitmap;
    cairo_surface_t* coloured = nullptr;
    if (matrix) {
      // A coloured copy of the image: the matrix works on its own pixels.
      const int w = image->Width(), h = image->Height();
      coloured = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
      cairo_t* c = cairo_create(coloured);
      cairo_set_source_surface(c, source, 0, 0);
      cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
      cairo_paint(c);
      cairo_destroy(c);
      cairo_surface_flush(coloured);
      unsigned char* data = cairo_image_surface_get_data(coloured);
      const int stride = cairo_image_surface_get_stride(coloured);
      for (int row = 0; row < h; ++row)
        ApplyColourMatrixPremultiplied(*matrix, reinterpret_cast<uint32_t*>(data + row * stride), w);
      cairo_surface_mark_dirty(coloured);
      source = coloured;
    }
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_rectangle(cr, 0, 0, image->Width(), image->Height());
    cairo_fill(cr);
    if (coloured) cairo_surface_destroy(coloured);
  }
  cairo_destroy(cr);
  return picture;
}

void CTouchButton::BuildPictures() {
  if (prepared_ || !normalImage_ || !hoverImage_ || !pressedImage_ || width_ <= 0 || height_ <= 0) return;
  if (!background_) {
    background_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_);
    cairo_t* cr = cairo_create(background_);
    cairo_translate(cr, -x_, -y_);
    if (parentPainter_) parentPainter_(cr);
    cairo_destroy(cr);
  }
  const ColourMatrix hover = HoverMatrix(), grey = GreyMatrix();
  if (!pictures_[0]) pictures_[0] = BuildPicture(normalImage_.get(), nullptr);
  if (!pictures_[1]) pictures_[1] = BuildPicture(pressedImage_.get(), nullptr);
  if (!pictures_[2]) pictures_[2] = BuildPicture(hoverImage_.get(), &hover);
  if (!pictures_[3]) pictures_[3] = BuildPicture(hoverImage_.get(), &grey);
  prepared_ = true;
}

gboolean CTouchButton::OnDraw(GtkWidget*, cairo_t* cr, gpointer self) {
  auto* b = static_cast<CTouchButton*>(self);
  b->BuildPictures();
  if (!b->prepared_) return TRUE;  // no images: nothing of its own to paint
  // The platform's "selected" state: pressed while the pointer is on it.
  b->current_ = ChoosePicture(b->flags_, b->pressed_ && b->flags_.hover);
  cairo_surface_t* picture = b->pictures_[0];
  switch (b->current_) {
    case ButtonPicture::kPressed: picture = b->pictures_[1]; break;
    case ButtonPicture::kHover: picture = b->pictures_[2]; break;
    case ButtonPicture::kDisabled: picture = b->pictures_[3]; break;
    default: break;
  }
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, picture, 0, 0);
  cairo_paint(cr);
  return TRUE;
}

gboolean CTouchButton::OnPress(GtkWidget* w, GdkEventButton* event, gpointer self) {
  auto* b = static_cast<CTouchButton*>(self);
  // The second press of a double click arrives as its own press (the
  // 2BUTTON event that follows is ignored), so it is a second click.
  if (event->type != GDK_BUTTON_PRESS || event->button != 1) return TRUE;
  b->HideToolTip();
  b->pressed_ = true;
  gtk_widget_queue_draw(w);
  return TRUE;
}

gboolean CTouchButton::OnRelease(GtkWidget* w, GdkEventButton* event, gpointer self) {
  auto* b = static_cast<CTouchButton*>(self);
  if (event->button != 1 || !b->pressed_) return TRUE;
  b->pressed_ = false;
  const bool inside = event->x >= 0 && event->y >= 0 && event->x < b->width_ && event->y < b->height_;
  gtk_widget_queue_draw(w);
  if (inside && b->onClick_) b->onClick_(b->id_);
  return TRUE;
}

gboolean CTouchButton::OnEnter(GtkWidget* w, GdkEventCrossing*, gpointer self) {
  auto* b = static_cast<CTouchButton*>(self);
  if (b->tracker_.OnMove()) b->tracker_.TrackingRequested(true);
  b->tracker_.OnHover(b->flags_);
  b->RestartToolTipTimer();
  gtk_widget_queue_draw(w);
  return TRUE;
}

gboolean CTouchButton::OnLeave(GtkWidget* w, GdkEventCrossing*, gpointer self) {
  auto* b = static_cast<CTouchButton*>(self);
  b->tracker_.OnLeave(b->flags_);
  b->HideToolTip();
  gtk_widget_queue_draw(w);
  return TRUE;
}

gboolean CTouchButton::OnMotion(GtkWidget*, GdkEventMotion*, gpointer self) {
  auto* b = static_cast<CTouchButton*>(self);
  if (!b->toolTip_ || !gtk_widget_get_visible(b->toolTip_)) b->RestartToolTipTimer();
  return TRUE;
}

void CTouchButton::OnRealize(GtkWidget* w, gpointer) {
  GdkWindow* window = gtk_widget_get_window(w);
  GdkCursor* hand = gdk_cursor_new_from_name(gdk_window_get_display(window), "pointer");
  if (hand) {
    gdk_window_set_cursor(window, hand);
    g_object_unref(hand);
  }
}

void CTouchButton::RestartToolTipTimer() {
  if (toolTipTimer_) g_source_remove(toolTipTimer_);
  toolTipTimer_ = 0;
  if (toolTipText_.empty() || !toolTipActive_) return;
  toolTipTimer_ = g_timeout_add(kToolTipDelayMs, OnToolTipDue, this);
}

gboolean CTouchButton::OnToolTipDue(gpointer self) {
  auto* b = static_cast<CTouchButton*>(self);
  b->toolTipTimer_ = 0;
  if (!b->flags_.hover) return G_SOURCE_REMOVE;
  if (!b->toolTip_) {
    b->toolTip_ = gtk_window_new(GTK_WINDOW_POPUP);
    gtk_window_set_type_hint(GTK_WINDOW(b->toolTip_), GDK_WINDOW_TYPE_HINT_TOOLTIP);
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_widget_set_margin_start(label, 4);
    gtk_widget_set_margin_end(label, 4);
    gtk_widget_set_margin_top(label, 2);
    gtk_widget_set_margin_bottom(label, 2);
    gtk_container_add(GTK_CONTAINER(b->toolTip_), label);
    gtk_widget_show(label);
  }
  const std::string text = Utf8FromWide(b->toolTipText_);
  gtk_window_set_title(GTK_WINDOW(b->toolTip_), text.c_str());
  gtk_label_set_text(GTK_LABEL(gtk_bin_get_child(GTK_BIN(b->toolTip_))), text.c_str());
  GdkDisplay* display = gtk_widget_get_display(b->widget_);
  int px = 0, py = 0;
  gdk_device_get_position(gdk_seat_get_pointer(gdk_display_get_default_seat(display)), nullptr, &px, &py);
  gtk_window_move(GTK_WINDOW(b->toolTip_), px, py + 20);
  gtk_widget_show(b->toolTip_);
  return G_SOURCE_REMOVE;
}

void CTouchButton::HideToolTip() {
  if (toolTipTimer_) g_source_remove(toolTipTimer_);
  toolTipTimer_ = 0;
  if (toolTip_) gtk_widget_hide(toolTip_);
}

}  // namespace qm
