// The rules of the window controllers, without a window system: the message
// box's answers, dragging and placement, and the double-click rule the GTK
// host follows.
#include <gtest/gtest.h>

#include <memory>

#include "fake_window_host.h"
#include "recording_canvas.h"
#include "ui/double_click.h"
#include "ui/message_box_controller.h"
#include "ui/ui_ids.h"

namespace qm {
namespace {

class FakeImage : public SkinImage {
 public:
  int Width() const override { return 253; }
  int Height() const override { return 106; }
};

struct BoxUnderTest {
  FakeWindowHost host;
  MessageBoxController box{L"卸载", L"您是否确认卸载？", std::make_unique<FakeImage>()};
  BoxUnderTest() { box.OnCreate(host); }
};

struct KeyCase {
  const char* name;
  KeyPress key;
  bool consumed;
  int answer;  // 0: none
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class MessageBoxKeys : public testing::TestWithParam<KeyCase> {};

TEST_P(MessageBoxKeys, AnswerOrPassOn) {
  const KeyCase& c = GetParam();
  BoxUnderTest t;
  EXPECT_EQ(t.box.OnKeyDown(c.key), c.consumed);
  EXPECT_EQ(t.box.answer(), c.answer);
  if (c.answer)
    EXPECT_EQ(t.host.modalEnds, std::vector<int>{c.answer});
  else
    EXPECT_TRUE(t.host.modalEnds.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, MessageBoxKeys,
    testing::Values(KeyCase{"Escape", {keys::kEscape}, true, IDCANCEL}, KeyCase{"Enter", {keys::kReturn}, true, IDOK},
                    KeyCase{"ShiftEnter", {keys::kReturn, false, true, false}, true, IDOK},
                    KeyCase{"Space", {keys::kSpace}, false, 0}, KeyCase{"Tab", {keys::kTab}, false, 0},
                    KeyCase{"LetterO", {'O'}, false, 0},
                    // Alt+F4 goes on to the system, which asks to close.
                    KeyCase{"AltF4", {keys::kF4, false, false, true}, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct CommandCase {
  const char* name;
  int id;
  int answer;
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

class MessageBoxCommands : public testing::TestWithParam<CommandCase> {};

TEST_P(MessageBoxCommands, AnswerFromButton) {
  BoxUnderTest t;
  t.box.OnCommand(GetParam().id);
  EXPECT_EQ(t.box.answer(), GetParam().answer);
  EXPECT_EQ(t.host.modalEnds.size(), GetParam().answer ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Buttons, MessageBoxCommands,
                         testing::Values(CommandCase{"Ok", IDOK, IDOK}, CommandCase{"Cancel", IDCANCEL, IDCANCEL},
                                         CommandCase{"Close", kMessageBoxCloseId, IDCANCEL},
                                         CommandCase{"Unknown", 1004, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MessageBoxController, SystemCloseAnswersCancel) {
  BoxUnderTest t;
  t.box.OnCloseRequest();
  EXPECT_EQ(t.box.answer(), IDCANCEL);
  EXPECT_EQ(t.host.modalEnds, std::vector<int>{IDCANCEL});
  EXPECT_FALSE(t.host.closed);  // the modal run's end takes the window down
}

TEST(MessageBoxController, FirstAnswerCounts) {
  BoxUnderTest t;
  t.box.OnKeyDown({keys::kEscape});
  t.box.OnCommand(IDOK);
  t.box.OnKeyDown({keys::kReturn});
  EXPECT_EQ(t.box.answer(), IDCANCEL);
  EXPECT_EQ(t.host.modalEnds, std::vector<int>{IDCANCEL});
}

TEST(MessageBoxController, EveryPointOfItsOwnSurfaceDrags) {
  BoxUnderTest t;
  for (const auto& [x, y] : {std::pair{0, 0}, {20, 80}, {126, 50}, {252, 105}, {60, 70}})
    EXPECT_EQ(t.box.HitTest(x, y), HitArea::kDrag) << x << "," << y;
}

TEST(MessageBoxController, NamesTheWindowAndPaintsItsFace) {
  BoxUnderTest t;
  EXPECT_EQ(t.host.title, L"卸载");
  RecordingCanvas canvas;
  t.box.OnPaint(canvas);
  ASSERT_EQ(canvas.calls.size(), 3u);
  EXPECT_EQ(canvas.calls[0].what, "image 253 at 0,0");
  EXPECT_EQ(canvas.calls[1].text, L"卸载");
  EXPECT_EQ(canvas.calls[2].text, L"您是否确认卸载？");
}

struct PlaceCase {
  const char* name;
  PixelRect workArea;
  std::optional<PixelRect> owner;
  PixelPoint expected;
};

void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.name; }

class MessageBoxPlacement : public testing::TestWithParam<PlaceCase> {};

TEST_P(MessageBoxPlacement, OnCreatePlacesTheBoxAtItsSize) {
  const PlaceCase& c = GetParam();
  FakeWindowHost host;
  host.workArea = c.workArea;
  host.ownerBounds = c.owner;
  MessageBoxController box(L"t", L"x", nullptr);
  box.OnCreate(host);
  EXPECT_EQ(host.bounds, (PixelRect{c.expected.x, c.expected.y, kMessageBoxWidth, kMessageBoxHeight}));
  EXPECT_EQ(PlaceMessageBox(c.workArea, c.owner), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Places, MessageBoxPlacement,
    testing::Values(
        // (1600 - 253) / 2 = 673, (1000 - 106) / 2 = 447.
        PlaceCase{"NoOwnerCentresOnTheWorkArea", {0, 0, 1600, 1000}, std::nullopt, {673, 447}},
        PlaceCase{"WorkAreaBelowATopTaskbar", {0, 40, 1600, 960}, std::nullopt, {673, 467}},
        PlaceCase{"CentredOverTheOwner", {0, 0, 1600, 1000}, PixelRect{100, 100, 1000, 700}, {473, 397}},
        PlaceCase{"OwnerOffTheLeftEdgeKeepsTheBoxInside", {0, 0, 1600, 1000}, PixelRect{-900, 50, 1000, 200}, {0, 97}},
        PlaceCase{"OwnerPastTheBottomRightKeepsTheBoxInside",
                  {0, 0, 1600, 1000},
                  PixelRect{1500, 950, 400, 300},
                  {1600 - 253, 1000 - 106}},
        PlaceCase{"UnknownWorkAreaOnlyCentres", {0, 0, 0, 0}, PixelRect{-200, -100, 100, 100}, {-276, -103}}),
    [](const auto& info) { return std::string(info.param.name); });

struct Press {
  MouseButton button;
  int x, y;
  uint32_t time;
  bool isDouble;
};

TEST(DoubleClickDetector, FollowsTheWindowsRule) {
  struct Case {
    const char* name;
    std::vector<Press> presses;
  };
  const Case cases[] = {
      {"SecondQuickPressIsDouble", {{MouseButton::kLeft, 10, 10, 1000, false}, {MouseButton::kLeft, 11, 9, 1300, true}}},
      {"ThirdQuickPressStartsOver",
       {{MouseButton::kLeft, 10, 10, 1000, false},
        {MouseButton::kLeft, 10, 10, 1100, true},
        {MouseButton::kLeft, 10, 10, 1200, false},
        {MouseButton::kLeft, 10, 10, 1300, true}}},
      {"TooSlow", {{MouseButton::kLeft, 10, 10, 1000, false}, {MouseButton::kLeft, 10, 10, 1401, false}}},
      {"AtTheLimit", {{MouseButton::kLeft, 10, 10, 1000, false}, {MouseButton::kLeft, 10, 10, 1400, true}}},
      {"TooFar", {{MouseButton::kLeft, 10, 10, 1000, false}, {MouseButton::kLeft, 16, 10, 1100, false}}},
      {"OtherButton", {{MouseButton::kLeft, 10, 10, 1000, false}, {MouseButton::kRight, 10, 10, 1100, false}}},
      {"ClockWraps", {{MouseButton::kLeft, 10, 10, 0xFFFFFF00u, false}, {MouseButton::kLeft, 10, 10, 0x40, true}}},
  };
  for (const Case& c : cases) {
    DoubleClickDetector detector(400, 5);
    for (size_t i = 0; i < c.presses.size(); ++i) {
      const Press& p = c.presses[i];
      EXPECT_EQ(detector.IsDoubleClick(p.button, p.x, p.y, p.time), p.isDouble) << c.name << " press " << i;
    }
  }
}

}  // namespace
}  // namespace qm
