// The image button: a child control that shows one of four pictures (normal,
// pressed, hover, grey) built once from three PNG resources over the pixels
// of its parent's face under it, shows a tooltip after the pointer rests on it
// for two seconds, and sends its command id to the parent window's controller
// when clicked. The pictures and the choice among them are portable
// (touch_button_pictures.h); win32/ and linux/ make the control and blit.
#pragma once

#include <memory>
#include <string>

#include "platform/native_window.h"
#include "ui/button_state.h"
#include "ui/canvas.h"

namespace qm {

class CTouchButton {
 public:
  CTouchButton();
  ~CTouchButton();
  CTouchButton(const CTouchButton&) = delete;
  CTouchButton& operator=(const CTouchButton&) = delete;

  // Makes the control inside parent (a window host's ChildParent()) at place,
  // in the parent's client pixels. A click sends id to the parent window's
  // controller (WindowController::OnCommand). A control reaching past the
  // parent's edge is cut there. False when the control cannot be made.
  bool Create(NativeWindow parent, int id, const PixelRect& place);
  // Moves and sizes the control. The pictures are built once, at the first
  // paint, from the parent's face under the button at that moment; they are
  // not built again.
  void Place(const PixelRect& place);
  void SetStateImages(unsigned normalId, unsigned hoverId, unsigned pressedId);
  // The tooltip shown after the pointer rests on the button for two seconds;
  // an empty text leaves the tooltip as it is, activate false hides it.
  void SetToolTipText(const std::wstring& text, bool activate);
  // A disabled button keeps its pictures and takes no clicks.
  void Enable(bool enable);
  void Show(bool show);

  int id() const;
  NativeWindow Native() const;
  // The picture chosen at the last paint.
  ButtonPicture current() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace qm
