// Every image of the skin is present at its size and decodes with this
// build's decoder.
#include <gtest/gtest.h>

#include <vector>

#include "ui/canvas.h"

namespace qm {
namespace {

struct SizeGroup {
  std::vector<unsigned> ids;
  int width, height;
};

TEST(SkinImages, EveryImageDecodesAtItsSize) {
  const std::vector<SizeGroup> groups = {
      {{172}, 1, 30},
      {{203}, 203, 30},
      {{206}, 92, 30},
      {{207, 208, 209, 210, 213, 217, 220, 221, 227, 228, 229, 230}, 28, 26},
      {{211, 212, 214, 224, 231, 234}, 59, 24},
      {{219, 226, 236, 252, 253, 261}, 78, 24},
      {{215, 223, 233}, 97, 24},
      {{275}, 1, 1},
      {{276, 277, 278, 279}, 23, 23},
      {{304}, 253, 106},
      {{311, 312, 313, 314}, 82, 34},
      {{316}, 11, 10},
      {{319}, 1210, 746},
      {{320, 321, 322, 323, 324, 325}, 29, 30},
  };
  for (const auto& group : groups) {
    for (unsigned id : group.ids) {
      auto image = LoadSkinImage(id);
      ASSERT_TRUE(image) << id;
      EXPECT_EQ(image->Width(), group.width) << id;
      EXPECT_EQ(image->Height(), group.height) << id;
    }
  }
}

TEST(SkinImages, UnknownIdGivesNothing) {
  EXPECT_EQ(LoadSkinImage(9999), nullptr);
  EXPECT_EQ(LoadSkinImage(269), nullptr);  // a resource of another type
}

}  // namespace
}  // namespace qm
