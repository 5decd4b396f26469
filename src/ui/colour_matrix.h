// 5x5 colour matrices applied to the row vector (R, G, B, A, 1), components
// in 0..1, results clamped to 0..1: the hover highlight and the grey look of
// the image buttons.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm {

struct ColourMatrix {
  float m[5][5];
};

// R', G', B' = 1.05 * channel + 0.05; alpha unchanged.
ColourMatrix HoverMatrix();
// R' = G' = B' = 0.3 R + 0.59 G + 0.11 B; alpha unchanged.
ColourMatrix GreyMatrix();

struct Rgba {
  uint8_t r, g, b, a;
  bool operator==(const Rgba&) const = default;
};

// One straight (not premultiplied) colour through the matrix.
Rgba ApplyColourMatrix(const ColourMatrix& matrix, Rgba colour);

// Pixels in the native-endian 0xAARRGGBB layout with premultiplied colour
// (the off-screen surfaces of the Linux build): each is unpremultiplied, put
// through the matrix and premultiplied again.
void ApplyColourMatrixPremultiplied(const ColourMatrix& matrix, uint32_t* pixels, size_t count);

}  // namespace qm
