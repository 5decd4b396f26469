#include "ui/colour_matrix.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

struct MatrixCase {
  const char* name;
  ColourMatrix (*matrix)();
  Rgba in, out;
};

void PrintTo(const MatrixCase& c, std::ostream* os) { *os << c.name; }

class ColourMatrixTest : public testing::TestWithParam<MatrixCase> {};

TEST_P(ColourMatrixTest, MapsColour) {
  const MatrixCase& c = GetParam();
  EXPECT_EQ(ApplyColourMatrix(c.matrix(), c.in), c.out) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Launcher, ColourMatrixTest,
    testing::Values(
        // 1.05 * v + 0.05: black lifts to 13, mid grey 100 -> 118, alpha kept.
        MatrixCase{"hover black", HoverMatrix, {0, 0, 0, 255}, {13, 13, 13, 255}},
        MatrixCase{"hover grey", HoverMatrix, {100, 100, 100, 128}, {118, 118, 118, 128}},
        MatrixCase{"hover gold", HoverMatrix, {218, 194, 157, 255}, {242, 216, 178, 255}},
        // Clamped at the top.
        MatrixCase{"hover white", HoverMatrix, {255, 250, 240, 255}, {255, 255, 255, 255}},
        MatrixCase{"grey red", GreyMatrix, {255, 0, 0, 200}, {77, 77, 77, 200}},
        MatrixCase{"grey green", GreyMatrix, {0, 255, 0, 255}, {150, 150, 150, 255}},
        MatrixCase{"grey blue", GreyMatrix, {0, 0, 255, 255}, {28, 28, 28, 255}},
        MatrixCase{"grey white", GreyMatrix, {255, 255, 255, 10}, {255, 255, 255, 10}}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (ch == ' ') ch = '_';
      return n;
    });

TEST(ColourMatrixPremultiplied, ColoursVisiblePixelsAndLeavesTransparentOnes) {
  // Half-transparent mid grey (premultiplied 50 of alpha 128 is straight 100).
  uint32_t pixels[] = {0x80323232u, 0x00000000u, 0xFF000000u};
  ApplyColourMatrixPremultiplied(HoverMatrix(), pixels, 3);
  EXPECT_EQ(pixels[0] >> 24, 0x80u);
  // straight 100 -> 118, premultiplied by 128/255 -> 59
  EXPECT_NEAR(static_cast<int>(pixels[0] & 0xFF), 59, 1);
  EXPECT_EQ(pixels[1], 0u);
  EXPECT_EQ(pixels[2], 0xFF0D0D0Du);
}

}  // namespace
}  // namespace qm
