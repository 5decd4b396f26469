// The image button's behaviour, independent of the window system: which of
// its state pictures is shown, and how the pointer moves it between them.
#pragma once

namespace qm {

enum class ButtonPicture { kNormal, kPressed, kHover, kDisabled, kChecked, kCheckedPressed, kCheckedHover };

struct ButtonFlags {
  bool disabled = false;      // draw the grey picture
  bool toggle = false;        // each press flips checked
  bool hover = false;         // the pointer is over the button
  bool forcePressed = false;  // pressed picture whatever the mouse does
  bool checked = false;
};

// The picture to draw when the button paints; pressed is the platform's
// "selected" state of the push button. Flips flags.checked for a pressed
// toggle button, as the drawing step does.
ButtonPicture ChoosePicture(ButtonFlags& flags, bool pressed);

// Pointer tracking: a move outside the hover state asks for hover and leave
// notifications once; hover lights the button; leave clears both.
class PointerTracker {
 public:
  // Returns true when notifications must be requested now.
  bool OnMove() const { return !tracking_; }
  void TrackingRequested(bool succeeded) { tracking_ = succeeded; }
  void OnHover(ButtonFlags& flags) { flags.hover = true; }
  void OnLeave(ButtonFlags& flags) {
    tracking_ = false;
    flags.hover = false;
  }
  bool tracking() const { return tracking_; }

 private:
  bool tracking_ = false;
};

// Delay before a button's tooltip appears while the pointer rests on it.
constexpr int kToolTipDelayMs = 2000;

}  // namespace qm
