// The message box as a player sees it: real windows on the virtual display,
// clicked and keyed with xdotool, checked from screenshots. The crops of the
// box stay in the build's screenshots folder for people to look at.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>

#include "base/text.h"
#include "desktop.h"
#include "support/temp_dir.h"
#include "ui/message_box_layout.h"
#include "ui/ui_ids.h"
#include "ui/window_host.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace qm::test {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

struct Bounds {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool empty() const { return right < 0; }
  double centreX() const { return (left + right) / 2.0; }
};

template <typename Pred>
Bounds Find(const Picture& p, int x0, int y0, int x1, int y1, Pred pred) {
  Bounds b;
  for (int y = y0; y < y1 && y < p.height; ++y)
    for (int x = x0; x < x1 && x < p.width; ++x)
      if (pred(p.At(x, y))) {
        b.left = std::min(b.left, x);
        b.right = std::max(b.right, x);
        b.top = std::min(b.top, y);
        b.bottom = std::max(b.bottom, y);
      }
  return b;
}

// Drawn text: the gold of the box's texts, also half-blended at glyph edges.
bool IsGoldText(Picture::Px c) { return c.r >= 120 && c.r > c.b + 25 && c.g > c.b; }

// Anything clearly different from the box's dark body.
bool IsNotBody(Picture::Px c) { return std::abs(c.r - 0x1E) + std::abs(c.g - 0x17) + std::abs(c.b - 0x11) > 40; }

long Brightness(const Picture& p, const PixelRect& r) {
  long sum = 0;
  for (int y = r.y; y < r.bottom(); ++y)
    for (int x = r.x; x < r.right(); ++x) {
      const auto c = p.At(x, y);
      sum += c.r + c.g + c.b;
    }
  return sum;
}

std::pair<int, int> ScreenSize() {
  std::istringstream in(Shell("xdotool getdisplaygeometry"));
  int w = 0, h = 0;
  in >> w >> h;
  return {w, h};
}

void Click(const Placed& box, const PixelRect& r) {
  Shell("xdotool mousemove " + std::to_string(box.x + r.x + r.width / 2) + " " +
        std::to_string(box.y + r.y + r.height / 2) + " click 1");
}

void ParkPointer() { Shell("xdotool mousemove 5 5"); }

// A box's screenshot once its first paint has reached the screen (its gold
// title drawn): the window is mapped before that, and on a busy machine a
// screenshot taken at once can show it still empty.
Picture CapturePaintedBox(const Placed& box, const std::string& name) {
  Picture shot;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  do {
    shot = Capture(box, name);
    if (shot.valid() && !Find(shot, 85, 7, 185, 32, IsGoldText).empty()) break;
  } while (std::chrono::steady_clock::now() < end);
  return shot;
}

// The test-only box program, built next to this one.
std::wstring Probe() {
#ifdef _WIN32
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"qm_ui_probe.exe";
#else
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  return WideFromUtf8(self.substr(0, self.rfind('/') + 1) + "qm_ui_probe");
#endif
}

class MessageBoxOnScreen : public testing::Test {
 protected:
  void SetUp() override {
    if (Env("DISPLAY").empty() && Shell("echo $DISPLAY").size() < 2) GTEST_SKIP() << "no display";
    ParkPointer();
  }
};

TEST_F(MessageBoxOnScreen, ShowsSkinnedBoxCentredWithTextsAndButtons) {
  BackgroundChild child(Probe(), {L"Probe-Look", L"Short message"});
  ASSERT_TRUE(child.started());
  auto box = FindWindowByName("Probe-Look");
  ASSERT_TRUE(box) << "the box did not appear";
  EXPECT_EQ(box->width, kMessageBoxWidth);
  EXPECT_EQ(box->height, kMessageBoxHeight);
  const auto [sw, sh] = ScreenSize();
  EXPECT_NEAR(box->x, (sw - kMessageBoxWidth) / 2, 1);
  EXPECT_NEAR(box->y, (sh - kMessageBoxHeight) / 2, 1);

  const Picture shot = CapturePaintedBox(*box, "message-box");
  ASSERT_TRUE(shot.valid());
  const MessageBoxLayout l = LayOutMessageBox(kMessageBoxWidth, kMessageBoxHeight);

  const Bounds title = Find(shot, 85, 7, 185, 32, IsGoldText);
  ASSERT_FALSE(title.empty()) << "no title drawn";
  EXPECT_NEAR(title.centreX(), 135, 3);
  const Bounds text = Find(shot, 28, 33, 248, 63, IsGoldText);
  ASSERT_FALSE(text.empty()) << "no message drawn";
  EXPECT_NEAR(text.centreX(), 138, 3);

  // The button plates sit 2 pixels inside their 82 x 34 images.
  const Bounds ok = Find(shot, 30, 58, 131, 98, IsNotBody);
  EXPECT_NEAR(ok.left, l.ok.rect.x + 2, 1);
  EXPECT_NEAR(ok.right, l.ok.rect.x + 79, 1);
  EXPECT_NEAR(ok.top, l.ok.rect.y + 2, 1);
  EXPECT_NEAR(ok.bottom, l.ok.rect.y + 31, 1);
  const Bounds cancel = Find(shot, 131, 58, 240, 98, IsNotBody);
  EXPECT_NEAR(cancel.left, l.cancel.rect.x + 2, 1);
  EXPECT_NEAR(cancel.right, l.cancel.rect.x + 79, 1);
  // The 11 x 10 close glyph at the top-left of its 28 x 26 button.
  const Bounds close = Find(shot, 222, 4, 249, 29, IsGoldText);
  ASSERT_FALSE(close.empty());
  EXPECT_GE(close.left, l.close.rect.x);
  EXPECT_LE(close.right, l.close.rect.x + 11);
  EXPECT_GE(close.top, l.close.rect.y);
  EXPECT_LE(close.bottom, l.close.rect.y + 10);

  Shell("xdotool windowfocus --sync " + box->id + " key Escape");
  EXPECT_EQ(child.Wait(10000), IDCANCEL);
}

// A plain window of one colour, as the game or the login lies behind a box.
class Backdrop : public WindowController {
 public:
  static constexpr Argb kColour = 0xFF3080C0;
  void OnPaint(Canvas& canvas) override { canvas.FillSolid({0, 0, 1600, 1000}, kColour); }
};

bool Near(Picture::Px a, Picture::Px b, int tolerance) {
  return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) <= tolerance;
}

// The box is a rectangular window: its corners show its own trim, the colour
// of the middle of its edges, and neither black nor the window behind it.
TEST_F(MessageBoxOnScreen, CornersShowTheBoxTrimOverAWindowBehind) {
  Backdrop backdrop;
  WindowOptions options;
  options.bounds = {400, 250, 800, 500};
  options.title = L"Probe-Backdrop";
  auto backdropHost = WindowHost::Create(backdrop, options);
  ASSERT_TRUE(backdropHost);
  backdropHost->Show();
  PumpEvents(400);
  BackgroundChild child(Probe(), {L"Probe-Corners", L"Corners"});
  ASSERT_TRUE(child.started());
  auto box = FindWindowByName("Probe-Corners");
  ASSERT_TRUE(box) << "the box did not appear";
  ASSERT_TRUE(CapturePaintedBox(*box, "message-box-corners-box").valid());
  const Placed around{"", box->x - 4, box->y - 4, box->width + 8, box->height + 8};
  const Picture shot = Capture(around, "message-box-corners");
  ASSERT_TRUE(shot.valid());
  const Picture::Px behind{0x30, 0x80, 0xC0};
  ASSERT_TRUE(Near(shot.At(1, 1), behind, 12)) << "the window behind is round the box";
  const int left = 4, top = 4, right = 4 + box->width - 1, bottom = 4 + box->height - 1, middleX = 4 + box->width / 2,
            middleY = 4 + box->height / 2;
  struct Corner {
    const char* name;
    int x, y;
    // Middles of the two edges that meet there.
    int alongX, alongY, downX, downY;
  };
  const Corner corners[] = {
      {"top left", left, top, middleX, top, left, middleY},
      {"top right", right, top, middleX, top, right, middleY},
      {"bottom left", left, bottom, middleX, bottom, left, middleY},
      {"bottom right", right, bottom, middleX, bottom, right, middleY},
  };
  for (const Corner& c : corners) {
    const Picture::Px corner = shot.At(c.x, c.y);
    EXPECT_TRUE(Near(corner, shot.At(c.alongX, c.alongY), 30)) << c.name << ": not the trim of the edge";
    EXPECT_TRUE(Near(corner, shot.At(c.downX, c.downY), 30)) << c.name << ": not the trim of the edge";
    EXPECT_FALSE(Near(corner, behind, 30)) << c.name;
    EXPECT_GT(corner.r + corner.g + corner.b, 60) << c.name << ": black";
  }
  Shell("xdotool windowfocus --sync " + box->id + " key Escape");
  EXPECT_EQ(child.Wait(10000), IDCANCEL);
}

TEST_F(MessageBoxOnScreen, LongTextsAreTrimmedInsideTheirRectangles) {
  BackgroundChild child(Probe(), {L"Probe-Long",
                                  L"A message far longer than two lines of the box can hold, so that its end must be "
                                  L"cut off with an ellipsis rather than run over the buttons below it."});
  auto box = FindWindowByName("Probe-Long");
  ASSERT_TRUE(box);
  const Picture shot = CapturePaintedBox(*box, "message-box-long-text");
  ASSERT_TRUE(shot.valid());
  // Inside the box's gold trim, its outermost columns.
  const Bounds text = Find(shot, 1, 33, kMessageBoxWidth - 1, 63, IsGoldText);
  ASSERT_FALSE(text.empty());
  EXPECT_GE(text.left, 28);
  EXPECT_LE(text.right, 248);
  // Nothing of the text below its rectangle: beside and between the buttons.
  EXPECT_TRUE(Find(shot, 28, 63, 44, 76, IsGoldText).empty());
  EXPECT_TRUE(Find(shot, 128, 63, 136, 76, IsGoldText).empty());
  EXPECT_TRUE(Find(shot, 220, 63, 248, 76, IsGoldText).empty());
  Click(*box, LayOutMessageBox(kMessageBoxWidth, kMessageBoxHeight).cancel.rect);
  EXPECT_EQ(child.Wait(10000), IDCANCEL);
}

TEST_F(MessageBoxOnScreen, HoverLightsAndPressShowsPressedThenOkAnswers) {
  BackgroundChild child(Probe(), {L"Probe-Hover", L"Hover test"});
  auto box = FindWindowByName("Probe-Hover");
  ASSERT_TRUE(box);
  const PixelRect ok = LayOutMessageBox(kMessageBoxWidth, kMessageBoxHeight).ok.rect;
  const Picture normal = CapturePaintedBox(*box, "button-normal");
  Shell("xdotool mousemove " + std::to_string(box->x + ok.x + 41) + " " + std::to_string(box->y + ok.y + 17));
  const Picture hover = Capture(*box, "button-hover");
  Shell("xdotool mousedown 1");
  const Picture pressed = Capture(*box, "button-pressed");
  ASSERT_TRUE(normal.valid() && hover.valid() && pressed.valid());
  const long n = Brightness(normal, ok), h = Brightness(hover, ok), p = Brightness(pressed, ok);
  // Hover and pressed show the same lit image; only hover goes through the
  // brightening matrix, so it is the brightest of the three.
  EXPECT_GT(h, n + n / 20);
  EXPECT_GT(p, n);
  EXPECT_GT(h, p);
  // Everything outside the button stays as it was.
  EXPECT_EQ(Brightness(normal, {0, 0, kMessageBoxWidth, 40}), Brightness(hover, {0, 0, kMessageBoxWidth, 40}));
  Shell("xdotool mouseup 1");
  EXPECT_EQ(child.Wait(10000), IDOK);
}

struct AnswerCase {
  const char* name;
  const char* action;  // "ok", "cancel", "close", "escape"
  int expected;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class MessageBoxAnswers : public MessageBoxOnScreen, public testing::WithParamInterface<AnswerCase> {};

TEST_P(MessageBoxAnswers, GivesTheAnswer) {
  const AnswerCase& c = GetParam();
  const std::string title = std::string("Probe-") + c.name;
  BackgroundChild child(Probe(), {WideFromUtf8(title), L"Which answer?"});
  auto box = FindWindowByName(title);
  ASSERT_TRUE(box) << Shell("ps aux | grep qm_ui_probe; xwininfo -root -tree | head -20");
  const MessageBoxLayout l = LayOutMessageBox(kMessageBoxWidth, kMessageBoxHeight);
  const std::string action = c.action;
  if (action == "ok") Click(*box, l.ok.rect);
  if (action == "cancel") Click(*box, l.cancel.rect);
  if (action == "close") Click(*box, {l.close.rect.x, l.close.rect.y, 11, 10});
  if (action == "escape") Shell("xdotool windowfocus --sync " + box->id + " key Escape");
  EXPECT_EQ(child.Wait(10000), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Buttons, MessageBoxAnswers,
                         testing::Values(AnswerCase{"Ok", "ok", IDOK}, AnswerCase{"Cancel", "cancel", IDCANCEL},
                                         AnswerCase{"Close", "close", IDCANCEL},
                                         AnswerCase{"Escape", "escape", IDCANCEL}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessageBoxOnScreen, DragByBackgroundMovesTheBox) {
  BackgroundChild child(Probe(), {L"Probe-Drag", L"Drag me"});
  auto box = FindWindowByName("Probe-Drag");
  ASSERT_TRUE(box);
  // Press on the body left of the OK button, move, release.
  const int fromX = box->x + 20, fromY = box->y + 80;
  Shell("xdotool mousemove " + std::to_string(fromX) + " " + std::to_string(fromY) + " mousedown 1");
  SleepMs(200);
  for (int step = 1; step <= 5; ++step) {
    Shell("xdotool mousemove " + std::to_string(fromX - 20 * step) + " " + std::to_string(fromY - 10 * step));
    SleepMs(60);
  }
  Shell("xdotool mouseup 1");
  SleepMs(300);
  auto moved = FindWindowByName("Probe-Drag");
  ASSERT_TRUE(moved);
  EXPECT_NEAR(moved->x, box->x - 100, 3);
  EXPECT_NEAR(moved->y, box->y - 50, 3);
  // The box still answers where it now is.
  Click(*moved, LayOutMessageBox(kMessageBoxWidth, kMessageBoxHeight).ok.rect);
  EXPECT_EQ(child.Wait(10000), IDOK);
}

TEST_F(MessageBoxOnScreen, UninstallRunAsksTheRealQuestion) {
  IsolatedUserData isolated;
  BackgroundChild child(WideFromUtf8(QM_LAUNCHER_FILE), {L"-u"});
  ASSERT_TRUE(child.started());
  auto box = FindWindowByName("卸载");
  ASSERT_TRUE(box) << "the uninstall question did not appear; windows:\n"
                   << Shell("xwininfo -root -tree | grep -v 'has no name'") << " exit " << child.Wait(100);
  EXPECT_EQ(box->width, kMessageBoxWidth);
  const Picture shot = CapturePaintedBox(*box, "uninstall-question");
  ASSERT_TRUE(shot.valid());
  EXPECT_NEAR(Find(shot, 85, 7, 185, 32, IsGoldText).centreX(), 135, 3);
  EXPECT_FALSE(Find(shot, 28, 33, 248, 63, IsGoldText).empty());
  Click(*box, LayOutMessageBox(kMessageBoxWidth, kMessageBoxHeight).cancel.rect);
  EXPECT_EQ(child.Wait(15000), 0);
}

}  // namespace
}  // namespace qm::test

namespace qm::test {
namespace {

class ImageButtonOnScreen : public MessageBoxOnScreen {};

// The probe's button window and the button's centre on the screen.
struct ButtonHost {
  Placed window;
  int cx, cy;
};

std::optional<ButtonHost> FindButtonHost() {
  auto window = FindWindowByName("Probe-Button");
  if (!window) return std::nullopt;
  return ButtonHost{*window, window->x + 20 + 42, window->y + 20 + 12};
}

void EndWithEscape(const Placed& window) { Shell("xdotool windowfocus --sync " + window.id + " key Escape"); }

TEST_F(ImageButtonOnScreen, DoubleClickCountsAsTwoClicks) {
  BackgroundChild child(Probe(), {L"button"});
  auto host = FindButtonHost();
  ASSERT_TRUE(host);
  Shell("xdotool mousemove " + std::to_string(host->cx) + " " + std::to_string(host->cy) +
        " click --repeat 2 --delay 60 1");
  SleepMs(300);
  Shell("xdotool click 1");
  SleepMs(300);
  EndWithEscape(host->window);
  EXPECT_EQ(child.Wait(10000), 3);
}

TEST_F(ImageButtonOnScreen, ToolTipAppearsAfterThePointerRestsTwoSeconds) {
  BackgroundChild child(Probe(), {L"button"});
  auto host = FindButtonHost();
  ASSERT_TRUE(host);
  // The area below the pointer, where the tooltip shows.
  const Placed below{"", host->cx - 40, host->cy + 8, 320, 60};
  const Picture before = Capture(below, "tooltip-before");
  Shell("xdotool mousemove " + std::to_string(host->cx) + " " + std::to_string(host->cy));
  SleepMs(700);
  const Picture early = Capture(below, "tooltip-early");
  SleepMs(2500);
  const Picture late = Capture(below, "tooltip-shown");
  ASSERT_TRUE(before.valid() && early.valid() && late.valid());
  // The button's own lower edge lies in the area: compare only what lies
  // below it.
  const PixelRect under{0, 12, below.width, below.height - 12};
  EXPECT_EQ(Brightness(before, under), Brightness(early, under)) << "tooltip shown too early";
  EXPECT_NE(Brightness(before, under), Brightness(late, under)) << "no tooltip after the delay";
  EndWithEscape(host->window);
  EXPECT_EQ(child.Wait(10000), 0);
}

}  // namespace
}  // namespace qm::test
