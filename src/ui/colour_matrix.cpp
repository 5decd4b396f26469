#include "ui/colour_matrix.h"

#include <algorithm>
#include <cmath>

namespace qm {

ColourMatrix HoverMatrix() {
  return {{{1.05f, 0, 0, 0, 0},
           {0, 1.05f, 0, 0, 0},
           {0, 0, 1.05f, 0, 0},
           {0, 0, 0, 1, 0},
           {0.05f, 0.05f, 0.05f, 0, 1}}};
}

ColourMatrix GreyMatrix() {
  return {{{0.3f, 0.3f, 0.3f, 0, 0},
           {0.59f, 0.59f, 0.59f, 0, 0},
           {0.11f, 0.11f, 0.11f, 0, 0},
           {0, 0, 0, 1, 0},
           {0, 0, 0, 0, 1}}};
}

namespace {

uint8_t ToByte(float v) {
  v = std::clamp(v, 0.0f, 1.0f);
  return static_cast<uint8_t>(std::lround(v * 255.0f));
}

}  // namespace

Rgba ApplyColourMatrix(const ColourMatrix& matrix, Rgba colour) {
  const float in[5] = {colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, colour.a / 255.0f, 1.0f};
  float out[4];
  for (int column = 0; column < 4; ++column) {
    float sum = 0;
    for (int row = 0; row < 5; ++row) sum += in[row] * matrix.m[row][column];
    out[column] = sum;
  }
  return {ToByte(out[0]), ToByte(out[1]), ToByte(out[2]), ToByte(out[3])};
}

void ApplyColourMatrixPremultiplied(const ColourMatrix& matrix, uint32_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = pixels[i];
    const uint8_t a = static_cast<uint8_t>(p >> 24);
    if (a == 0) {
      // Nothing visible to colour; a matrix that raised alpha would need a
      // colour here, and neither matrix of the launcher does.
      continue;
    }
    auto straight = [a](uint32_t c) { return static_cast<uint8_t>(std::min<uint32_t>(255, (c * 255 + a / 2) / a)); };
    const Rgba in{straight((p >> 16) & 0xFF), straight((p >> 8) & 0xFF), straight(p & 0xFF), a};
    const Rgba out = ApplyColourMatrix(matrix, in);
    auto pre = [&out](uint8_t c) { return static_cast<uint32_t>((c * out.a + 127) / 255); };
    pixels[i] = (static_cast<uint32_t>(out.a) << 24) | (pre(out.r) << 16) | (pre(out.g) << 8) | pre(out.b);
  }
}

}  // namespace qm
