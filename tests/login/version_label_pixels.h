// The login tests find the version label by its gold: a warm colour clearly
// above the black desktop or the grey window behind the picture.
#pragma once

#include "ui/desktop.h"

namespace qm::test {

// How many of the picture's pixels have the version label's gold.
inline int GoldPixels(const Picture& picture) {
  int gold = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const Picture::Px p = picture.At(x, y);
      if (p.r > 60 && p.r > p.b + 25 && p.g > p.b) ++gold;
    }
  return gold;
}

}  // namespace qm::test
