// The image button's pictures, the same on both builds: normal, pressed,
// hover (through the hover matrix) and grey (the hover image through the grey
// matrix), each the parent's pixels under the button with one image drawn
// over them at the top-left corner; and which one a paint shows.
#pragma once

#include <memory>

#include "ui/button_state.h"
#include "ui/canvas.h"

namespace qm {

struct ButtonImages {
  // Null where an image failed to load: its picture shows the background.
  const SkinImage* normal = nullptr;
  const SkinImage* hover = nullptr;
  const SkinImage* pressed = nullptr;
};

class ButtonPictures {
 public:
  // Builds the four pictures over background, which has the button's size.
  void Build(const Surface& background, const ButtonImages& images);
  bool built() const { return pictures_[0] != nullptr; }
  // The picture for a state; the checked states, for which no window gives
  // an image, show the normal picture. Null before Build.
  const Surface* For(ButtonPicture picture) const;

 private:
  std::unique_ptr<Surface> pictures_[4];  // normal, pressed, hover, grey
};

}  // namespace qm
