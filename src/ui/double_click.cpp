#include "ui/double_click.h"

#include <cstdlib>

namespace qm {

bool DoubleClickDetector::IsDoubleClick(MouseButton button, int x, int y, uint32_t timeMs) {
  const bool isDouble = armed_ && button == button_ && timeMs - time_ <= maxIntervalMs_ &&
                        std::abs(x - x_) <= maxDistance_ && std::abs(y - y_) <= maxDistance_;
  // A double click ends the pair: the next press starts a new one.
  armed_ = !isDouble;
  button_ = button;
  x_ = x;
  y_ = y;
  time_ = timeMs;
  return isDouble;
}

}  // namespace qm
