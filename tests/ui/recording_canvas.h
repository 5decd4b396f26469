// A canvas that records what is drawn on it, for tests of what a window
// paints.
#pragma once

#include <string>
#include <vector>

#include "ui/canvas.h"

namespace qm {

struct Call {
  std::string what;
  std::wstring text = {};
  FloatRect rect = {};
  Argb colour = 0;
};

class RecordingCanvas : public Canvas {
 public:
  void DrawImage(const SkinImage& image, int x, int y) override {
    calls.push_back({"image " + std::to_string(image.Width()) + " at " + std::to_string(x) + "," + std::to_string(y)});
  }
  void DrawImageColoured(const SkinImage& image, int x, int y, const ColourMatrix&) override {
    calls.push_back(
        {"coloured image " + std::to_string(image.Width()) + " at " + std::to_string(x) + "," + std::to_string(y)});
  }
  void FillTiled(const SkinImage&, const PixelRect&, int, int) override { calls.push_back({"tiled"}); }
  void FillSolid(const PixelRect&, Argb) override { calls.push_back({"solid"}); }
  void DrawString(const std::wstring& text, const FontSpec& font, const TextFormat&, const FloatRect& rect,
                  Argb colour) override {
    calls.push_back({"text " + std::to_string(static_cast<int>(font.pixels)), text, rect, colour});
  }
  std::vector<Call> calls;
};

}  // namespace qm
