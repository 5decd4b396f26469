// Double clicks told from single ones by time and distance, for window
// systems that report every press (GTK) but whose windows follow the Win32
// rule: the second press of a double click is a double click instead of a
// press, and a third quick press starts over as a single press.
#pragma once

#include <cstdint>

#include "ui/window_host.h"

namespace qm {

class DoubleClickDetector {
 public:
  DoubleClickDetector(uint32_t maxIntervalMs, int maxDistance)
      : maxIntervalMs_(maxIntervalMs), maxDistance_(maxDistance) {}

  // Records a press of button at (x, y) at timeMs (a millisecond clock that
  // may wrap) and says whether it completes a double click.
  bool IsDoubleClick(MouseButton button, int x, int y, uint32_t timeMs);

 private:
  uint32_t maxIntervalMs_;
  int maxDistance_;
  bool armed_ = false;  // the last press may start a double click
  MouseButton button_ = MouseButton::kLeft;
  int x_ = 0, y_ = 0;
  uint32_t time_ = 0;
};

}  // namespace qm
