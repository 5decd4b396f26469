// What the login tests look for in screenshots of the login window, the same
// on both builds.
#pragma once

#include "ui/desktop.h"

namespace qm::test {

// How many of the picture's pixels have the version label's gold: a warm
// colour clearly above the black desktop or the grey window behind the
// picture.
inline int GoldPixels(const Picture& picture) {
  int gold = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const Picture::Px p = picture.At(x, y);
      if (p.r > 60 && p.r > p.b + 25 && p.g > p.b) ++gold;
    }
  return gold;
}

// How many of the picture's pixels are light (text, glyphs, the page's gold).
inline int LightPixels(const Picture& picture) {
  int light = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const Picture::Px p = picture.At(x, y);
      if (p.r > 150 && p.g > 130) ++light;
    }
  return light;
}

// How many of the picture's pixels are green-tinged: green clearly above red
// and blue. The web login dialog's colour key is pure green and the skin has
// no green of its own, so such a pixel is a drawing blended with the key
// that the key no longer cuts.
inline int GreenishPixels(const Picture& picture) {
  int greenish = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const Picture::Px p = picture.At(x, y);
      if (p.g > p.r + 20 && p.g > p.b + 20) ++greenish;
    }
  return greenish;
}

// How many pixels of the picture are exactly the pixels of backdrop at the
// same places (a picture of the same area without the window).
inline int SamePixels(const Picture& picture, const Picture& backdrop) {
  if (picture.width != backdrop.width || picture.height != backdrop.height) return -1;
  int same = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const Picture::Px a = picture.At(x, y), b = backdrop.At(x, y);
      if (a.r == b.r && a.g == b.g && a.b == b.b) ++same;
    }
  return same;
}

// The part of picture at (x, y) of the given size (which must lie inside it).
inline Picture Crop(const Picture& picture, int x, int y, int width, int height) {
  Picture part;
  part.width = width;
  part.height = height;
  for (int row = 0; row < height; ++row)
    part.rgb += picture.rgb.substr((static_cast<size_t>(y + row) * picture.width + x) * 3, static_cast<size_t>(width) * 3);
  return part;
}

}  // namespace qm::test
