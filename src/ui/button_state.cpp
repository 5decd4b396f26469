#include "ui/button_state.h"

namespace qm {

ButtonPicture ChoosePicture(ButtonFlags& flags, bool pressed) {
  if (flags.disabled) return ButtonPicture::kDisabled;
  if (flags.toggle && pressed) flags.checked = !flags.checked;
  if (pressed || flags.forcePressed) return flags.checked ? ButtonPicture::kCheckedPressed : ButtonPicture::kPressed;
  if (flags.hover) return flags.checked ? ButtonPicture::kCheckedHover : ButtonPicture::kHover;
  return flags.checked ? ButtonPicture::kChecked : ButtonPicture::kNormal;
}

}  // namespace qm
