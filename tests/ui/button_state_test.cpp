#include "ui/button_state.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

struct PictureCase {
  const char* name;
  ButtonFlags flags;
  bool pressed;
  ButtonPicture expected;
  bool checkedAfter;
};

void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.name; }

class ChoosePictureTest : public testing::TestWithParam<PictureCase> {};

TEST_P(ChoosePictureTest, PicksPicture) {
  PictureCase c = GetParam();
  EXPECT_EQ(ChoosePicture(c.flags, c.pressed), c.expected) << c.name;
  EXPECT_EQ(c.flags.checked, c.checkedAfter) << c.name;
}

ButtonFlags Flags(bool disabled, bool toggle, bool hover, bool force, bool checked) {
  ButtonFlags f;
  f.disabled = disabled;
  f.toggle = toggle;
  f.hover = hover;
  f.forcePressed = force;
  f.checked = checked;
  return f;
}

INSTANTIATE_TEST_SUITE_P(
    States, ChoosePictureTest,
    testing::Values(
        PictureCase{"normal", Flags(false, false, false, false, false), false, ButtonPicture::kNormal, false},
        PictureCase{"hover", Flags(false, false, true, false, false), false, ButtonPicture::kHover, false},
        // Pressed wins over hover: pressed, then hover after the release.
        PictureCase{"pressed", Flags(false, false, true, false, false), true, ButtonPicture::kPressed, false},
        PictureCase{"forced", Flags(false, false, false, true, false), false, ButtonPicture::kPressed, false},
        PictureCase{"disabled", Flags(true, false, true, false, false), true, ButtonPicture::kDisabled, false},
        PictureCase{"checked", Flags(false, false, false, false, true), false, ButtonPicture::kChecked, true},
        PictureCase{"checked hover", Flags(false, false, true, false, true), false, ButtonPicture::kCheckedHover,
                    true},
        PictureCase{"toggle press checks", Flags(false, true, true, false, false), true,
                    ButtonPicture::kCheckedPressed, true},
        PictureCase{"toggle press unchecks", Flags(false, true, true, false, true), true, ButtonPicture::kPressed,
                    false}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (ch == ' ') ch = '_';
      return n;
    });

TEST(PointerTracker, RequestsOnceUntilLeaveAndRetriesAfterFailure) {
  PointerTracker t;
  ButtonFlags f;
  EXPECT_TRUE(t.OnMove());
  t.TrackingRequested(false);  // a failed request is repeated on the next move
  EXPECT_TRUE(t.OnMove());
  t.TrackingRequested(true);
  EXPECT_FALSE(t.OnMove());
  t.OnHover(f);
  EXPECT_TRUE(f.hover);
  t.OnLeave(f);
  EXPECT_FALSE(f.hover);
  EXPECT_TRUE(t.OnMove());
}

}  // namespace
}  // namespace qm
