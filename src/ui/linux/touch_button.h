// The image button of the GTK build: a drawing area that shows one of its
// state pictures, each built once from an image over the pixels of its
// parent under it.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

#include "ui/button_state.h"
#include "ui/colour_matrix.h"
#include "ui/canvas.h"
#include "ui/linux/skin_image.h"

namespace qm {

class CTouchButton {
 public:
  using ClickHandler = std::function<void(int id)>;
  // Paints the parent's own surface (in the parent's coordinates); the
  // button copies what lies under it before it first draws.
  using ParentPainter = std::function<void(cairo_t*)>;

  CTouchButton();
  ~CTouchButton();
  CTouchButton(const CTouchButton&) = delete;
  CTouchButton& operator=(const CTouchButton&) = delete;

  // Makes the button's widget inside fixed, a GtkFixed.
  void Create(GtkWidget* fixed, int id, ParentPainter parentPainter, ClickHandler onClick);
  void SetWindowPos(int x, int y, int width, int height);
  void SetStateImages(unsigned normalId, unsigned hoverId, unsigned pressedId);
  void SetToolTipText(const std::wstring& text, bool activate);
  // Keeps the picture; an insensitive button takes no clicks.
  void EnableWindow(bool enable);

  GtkWidget* widget() const { return widget_; }
  int id() const { return id_; }
  ButtonPicture current() const { return current_; }

 private:
  static gboolean OnDraw(GtkWidget*, cairo_t*, gpointer);
  static gboolean OnPress(GtkWidget*, GdkEventButton*, gpointer);
  static gboolean OnRelease(GtkWidget*, GdkEventButton*, gpointer);
  static gboolean OnEnter(GtkWidget*, GdkEventCrossing*, gpointer);
  static gboolean OnLeave(GtkWidget*, GdkEventCrossing*, gpointer);
  static gboolean OnMotion(GtkWidget*, GdkEventMotion*, gpointer);
  static void OnRealize(GtkWidget*, gpointer);
  static gboolean OnToolTipDue(gpointer);

  void BuildPictures();
  cairo_surface_t* BuildPicture(const CGdiPlusBitmapResource* image, const ColourMatrix* matrix);
  void RestartToolTipTimer();
  void HideToolTip();

  GtkWidget* widget_ = nullptr;
  int id_ = 0;
  int x_ = 0, y_ = 0, width_ = 0, height_ = 0;
  ParentPainter parentPainter_;
  ClickHandler onClick_;

  ButtonFlags flags_;
  PointerTracker tracker_;
  bool pressed_ = false;  // the left button went down on us and is still down
  bool prepared_ = false;
  ButtonPicture current_ = ButtonPicture::kNormal;

  std::unique_ptr<CGdiPlusBitmapResource> normalImage_, hoverImage_, pressedImage_;
  cairo_surface_t* background_ = nullptr;
  cairo_surface_t* pictures_[4] = {};  // normal, pressed, hover, disabled

  std::wstring toolTipText_;
  bool toolTipActive_ = false;
  GtkWidget* toolTip_ = nullptr;
  guint toolTipTimer_ = 0;
};

}  // namespace qm
