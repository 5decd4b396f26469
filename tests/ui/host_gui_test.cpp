// The window hosts of this build on the virtual display, driven from inside
// the test process: a window is created, shown, moved, painted (read back from
// screenshots), its timers fire, it runs modally, and its transparency
// operations show what lies behind and let clicks through.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "desktop.h"
#include "ui/window_host.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <gtk/gtk.h>
#endif

namespace qm::test {
namespace {

constexpr Argb kRed = 0xFFCC2020, kBlue = 0xFF2040CC, kGreenKey = 0xFF00FF00, kGrey = 0xFF707070;

// A window that paints its left half in one colour and its right half in
// another and records what happens to it.
class TestWindow : public WindowController {
 public:
  TestWindow(Argb left, Argb right) : left_(left), right_(right) {}

  void OnCreate(WindowHost& host) override { host_ = &host; }
  void OnDestroy() override {
    host_ = nullptr;
    ++destroyed;
  }
  void OnPaint(Canvas& canvas) override {
    ++paints;
    const PixelSize size = host_->ClientSize();
    canvas.FillSolid({0, 0, size.width / 2, size.height}, left_);
    canvas.FillSolid({size.width / 2, 0, size.width - size.width / 2, size.height}, right_);
  }
  void OnPointerDown(const PointerPress& press) override { downs.push_back(press); }
  void OnDoubleClick(const PointerPress& press) override { doubles.push_back(press); }
  bool OnKeyDown(const KeyPress& key) override {
    keys.push_back(key);
    return true;
  }
  void OnCommand(int id) override { commands.push_back(id); }
  void OnTimer(int id) override {
    ++timerTicks;
    if (id == endModalTimer && host_) host_->EndModal(modalResult);
    if (id == nestedTimer && nested) nestedResult = nested();
  }
  void OnMoved(const PixelRect& bounds) override { moves.push_back(bounds); }
  void OnCloseRequest() override { ++closeRequests; }

  WindowHost* host_ = nullptr;
  int paints = 0, timerTicks = 0, closeRequests = 0, destroyed = 0;
  std::vector<PointerPress> downs, doubles;
  std::vector<KeyPress> keys;
  std::vector<int> commands;
  std::vector<PixelRect> moves;
  int endModalTimer = -1, modalResult = 0;
  int nestedTimer = -1, nestedResult = -1;
  std::function<int()> nested;

 private:
  Argb left_, right_;
};

bool Near(Picture::Px c, Argb colour) {
  return std::abs(c.r - static_cast<int>((colour >> 16) & 0xFF)) < 8 &&
         std::abs(c.g - static_cast<int>((colour >> 8) & 0xFF)) < 8 && std::abs(c.b - static_cast<int>(colour & 0xFF)) < 8;
}

void ClickAt(int x, int y) {
  Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
  PumpEvents(300);
}

std::unique_ptr<WindowHost> Make(TestWindow& controller, const PixelRect& bounds, const std::wstring& title,
                                 WindowKind kind = WindowKind::kTopLevel, NativeWindow owner = nullptr) {
  WindowOptions options;
  options.kind = kind;
  options.owner = owner;
  options.bounds = bounds;
  options.title = title;
  return WindowHost::Create(controller, options);
}

class HostOnScreen : public testing::Test {
 protected:
  void SetUp() override {
    if (Shell("echo $DISPLAY").size() < 2) GTEST_SKIP() << "no display";
    Shell("xdotool mousemove 5 5");
  }
};

TEST_F(HostOnScreen, CreatedHiddenThenShownMovedAndPainted) {
  TestWindow controller(kRed, kBlue);
  auto host = Make(controller, {200, 150, 160, 120}, L"Host-Paint");
  ASSERT_TRUE(host);
  EXPECT_EQ(controller.host_, host.get());
  EXPECT_FALSE(host->IsVisible());
  EXPECT_EQ(host->ClientSize(), (PixelSize{160, 120}));
  host->Show();
  PumpEvents(300);
  EXPECT_TRUE(host->IsVisible());
  auto placed = FindWindowByName("Host-Paint");
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed->x, 200);
  EXPECT_EQ(placed->y, 150);
  EXPECT_EQ(placed->width, 160);
  EXPECT_EQ(placed->height, 120);
  Picture shot = Capture(*placed, "host-painted");
  ASSERT_TRUE(shot.valid());
  EXPECT_TRUE(Near(shot.At(20, 60), kRed));
  EXPECT_TRUE(Near(shot.At(140, 60), kBlue));
  EXPECT_GT(controller.paints, 0);

  host->SetBounds({420, 330, 160, 120});
  PumpEvents(300);
  placed = FindWindowByName("Host-Paint");
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed->x, 420);
  EXPECT_EQ(placed->y, 330);
  EXPECT_EQ(host->Bounds(), (PixelRect{420, 330, 160, 120}));
  ASSERT_FALSE(controller.moves.empty());
  EXPECT_EQ(controller.moves.back().x, 420);
  EXPECT_EQ(controller.moves.back().y, 330);
  shot = Capture(*placed, "host-moved");
  EXPECT_TRUE(Near(shot.At(20, 60), kRed));

  const int before = controller.paints;
  host->Invalidate();
  PumpEvents(300);
  EXPECT_GT(controller.paints, before);

  const PixelRect screen = host->ScreenArea(), work = host->WorkArea();
  EXPECT_EQ(screen, (PixelRect{0, 0, 1600, 1000}));
  EXPECT_GT(work.width, 0);
  EXPECT_LE(work.width, screen.width);

  host->Hide();
  PumpEvents(200);
  EXPECT_FALSE(host->IsVisible());
  host.reset();
  EXPECT_EQ(controller.destroyed, 1);
}

TEST_F(HostOnScreen, TimersFireUntilStopped) {
  TestWindow controller(kGrey, kGrey);
  auto host = Make(controller, {50, 50, 40, 40}, L"Host-Timer");
  ASSERT_TRUE(host);
  host->StartTimer(7, 50);
  PumpEvents(800);
  EXPECT_GE(controller.timerTicks, 4);
  host->StopTimer(7);
  PumpEvents(100);
  const int stopped = controller.timerTicks;
  PumpEvents(400);
  EXPECT_EQ(controller.timerTicks, stopped);
}

TEST_F(HostOnScreen, RunModalReturnsWhatEndModalGaveAndNests) {
  TestWindow outer(kGrey, kGrey), inner(kBlue, kBlue);
  auto outerHost = Make(outer, {300, 300, 200, 150}, L"Host-Outer");
  ASSERT_TRUE(outerHost);
  auto innerHost = Make(inner, {350, 350, 80, 60}, L"Host-Inner", WindowKind::kOwnedPopup, outerHost->Native());
  ASSERT_TRUE(innerHost);
  bool ownerTookInput = true;
  // The outer run starts the inner one from its timer 1.
  outer.nestedTimer = 1;
  outer.nested = [&] {
    outer.nestedTimer = -1;  // once
    return innerHost->RunModal();
  };
  // The inner window looks at its owner while it runs, then ends itself with
  // 17 through its timer 2.
  inner.endModalTimer = 2;
  inner.modalResult = 17;
  inner.nestedTimer = 3;
  inner.nested = [&] {
    inner.nestedTimer = -1;
#ifdef _WIN32
    ownerTookInput = IsWindowEnabled(outerHost->Native()) != FALSE;
#else
    ownerTookInput = !gtk_window_get_modal(GTK_WINDOW(innerHost->Native()));
#endif
    innerHost->StartTimer(2, 100);
    return 0;
  };
  outer.endModalTimer = 4;
  outer.modalResult = 5;
  outerHost->StartTimer(1, 100);
  innerHost->StartTimer(3, 300);
  // Later the outer run is ended by its own timer 4.
  outerHost->StartTimer(4, 1500);
  EXPECT_EQ(outerHost->RunModal(), 5);
  EXPECT_EQ(outer.nestedResult, 17);
  EXPECT_FALSE(ownerTookInput);
  EXPECT_FALSE(outerHost->IsVisible());
  EXPECT_FALSE(innerHost->IsVisible());
  EXPECT_FALSE(outerHost->InModalRun());
}

TEST_F(HostOnScreen, PointerKeysAndCommandsReachTheController) {
  TestWindow controller(kRed, kBlue);
  auto host = Make(controller, {500, 200, 200, 100}, L"Host-Input");
  ASSERT_TRUE(host);
  host->Show();
  auto placed = FindWindowByName("Host-Input");
  ASSERT_TRUE(placed);
  ClickAt(530, 240);
  ASSERT_FALSE(controller.downs.empty());
  EXPECT_EQ(controller.downs.front(), (PointerPress{30, 40, MouseButton::kLeft}));
  PumpEvents(700);  // apart from the double click below
  controller.downs.clear();
  Shell("xdotool mousemove 560 250 click --repeat 2 --delay 80 1");
  PumpEvents(400);
  EXPECT_EQ(controller.downs.size(), 1u);
  ASSERT_EQ(controller.doubles.size(), 1u);
  EXPECT_EQ(controller.doubles.front(), (PointerPress{60, 50, MouseButton::kLeft}));

  Shell("xdotool windowfocus --sync " + placed->id + " key Escape ctrl+a");
  PumpEvents(400);
  // The Ctrl key's own press comes too, as on both systems.
  std::vector<KeyPress> pressed;
  for (const KeyPress& k : controller.keys)
    if (k.key != keys::kControl) pressed.push_back(k);
  ASSERT_EQ(pressed.size(), 2u);
  EXPECT_EQ(pressed[0], (KeyPress{keys::kEscape, false, false, false}));
  EXPECT_EQ(pressed[1], (KeyPress{'A', true, false, false}));

  EXPECT_TRUE(SendCommand(host->Native(), 77));
  EXPECT_TRUE(SendCommand(host->ChildParent(), 78));
  std::thread([native = host->Native()] { PostCommand(native, 79); }).join();
  PumpEvents(200);
  EXPECT_EQ(controller.commands, (std::vector<int>{77, 78, 79}));
}

TEST_F(HostOnScreen, SystemCloseIsOnlyARequest) {
  TestWindow controller(kGrey, kGrey);
  auto host = Make(controller, {100, 500, 120, 80}, L"Host-Close");
  ASSERT_TRUE(host);
  host->Show();
  auto placed = FindWindowByName("Host-Close");
  ASSERT_TRUE(placed);
#ifdef _WIN32
  // What Alt+F4 and the taskbar's Close become.
  PostMessageW(host->Native(), WM_SYSCOMMAND, SC_CLOSE, 0);
#else
  // What a window manager sends for Alt+F4 or the taskbar's Close.
  RequestWindowClose(placed->id);
#endif
  PumpEvents(400);
  EXPECT_EQ(controller.closeRequests, 1);
  EXPECT_TRUE(host->IsVisible());
  EXPECT_TRUE(FindWindowByName("Host-Close", 1000));
  host->Close();
  EXPECT_EQ(controller.destroyed, 1);
  PumpEvents(200);
  EXPECT_FALSE(FindWindowByName("Host-Close", 500));
}

// A window behind the transparent one counts the clicks that pass through.
struct Behind {
  TestWindow controller{kGrey, kGrey};
  std::unique_ptr<WindowHost> host;
  explicit Behind(const PixelRect& bounds) {
    host = Make(controller, bounds, L"Host-Behind");
    host->Show();
    PumpEvents(200);
  }
};

TEST_F(HostOnScreen, AlphaFaceShowsAndPassesClicksThroughTransparentPixels) {
  Behind behind({600, 500, 300, 160});
  TestWindow controller(kRed, kRed);
  auto host = Make(controller, {620, 520, 10, 10}, L"Host-Alpha");
  ASSERT_TRUE(host);
  // The message box's OK button: transparent round its rounded plate.
  auto face = LoadSkinImage(314);
  ASSERT_TRUE(face);
  ASSERT_TRUE(host->SetAlphaFace(*face));
  host->Show();
  PumpEvents(300);
  auto placed = FindWindowByName("Host-Alpha");
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed->width, 82);
  EXPECT_EQ(placed->height, 34);
  const Picture shot = Capture({"", 620, 520, 82, 34}, "host-alpha-face");
  ASSERT_TRUE(shot.valid());
  EXPECT_TRUE(Near(shot.At(0, 0), kGrey)) << "a transparent corner shows the window behind";
  EXPECT_FALSE(Near(shot.At(20, 17), kGrey));
  EXPECT_FALSE(Near(shot.At(20, 17), kRed)) << "the face, not the controller's paint";

  ClickAt(620, 520);
  EXPECT_EQ(behind.controller.downs.size(), 1u) << "the click went through the transparent pixel";
  EXPECT_TRUE(controller.downs.empty());
  PumpEvents(600);
  ClickAt(620 + 20, 520 + 17);
  EXPECT_EQ(controller.downs.size(), 1u);
  EXPECT_EQ(behind.controller.downs.size(), 1u);
}

TEST_F(HostOnScreen, ColourKeyCutsTheKeyedPixels) {
  Behind behind({600, 200, 300, 160});
  TestWindow controller(kGreenKey, kRed);
  auto host = Make(controller, {620, 220, 200, 100}, L"Host-Key");
  ASSERT_TRUE(host);
  host->SetColourKey(kGreenKey);
  host->Show();
  PumpEvents(400);
  ASSERT_TRUE(FindWindowByName("Host-Key"));
  const Picture shot = Capture({"", 620, 220, 200, 100}, "host-colour-key");
  ASSERT_TRUE(shot.valid());
  EXPECT_TRUE(Near(shot.At(30, 50), kGrey)) << "the keyed half shows the window behind";
  EXPECT_TRUE(Near(shot.At(170, 50), kRed));
  ClickAt(620 + 30, 220 + 50);
  EXPECT_EQ(behind.controller.downs.size(), 1u);
  EXPECT_TRUE(controller.downs.empty());
  PumpEvents(600);
  ClickAt(620 + 170, 220 + 50);
  EXPECT_EQ(controller.downs.size(), 1u);
}

TEST_F(HostOnScreen, OpacityReachesTheWindowSystem) {
  TestWindow controller(kRed, kRed);
  auto host = Make(controller, {100, 700, 120, 80}, L"Host-Opacity");
  ASSERT_TRUE(host);
  host->SetOpacity(229);
  host->Show();
  auto placed = FindWindowByName("Host-Opacity");
  ASSERT_TRUE(placed);
  PumpEvents(200);
  // The compositor's property: 229/255 of the full 32-bit range.
  std::istringstream in(Shell("xprop -id " + placed->id + " _NET_WM_WINDOW_OPACITY | sed 's/.*= //'"));
  unsigned long opacity = 0;
  in >> opacity;
  EXPECT_NEAR(static_cast<double>(opacity), 229.0 * 0x01010101u, 2.0);
}

TEST_F(HostOnScreen, ChildHostPaintsInsideItsParentAndCaptureFaceReadsTheFace) {
  TestWindow parent(kGrey, kGrey), child(kBlue, kBlue);
  auto parentHost = Make(parent, {900, 600, 200, 120}, L"Host-Parent");
  ASSERT_TRUE(parentHost);
  auto childHost = Make(child, {20, 30, 60, 40}, L"", WindowKind::kChild, parentHost->ChildParent());
  ASSERT_TRUE(childHost);
  childHost->Show();
  parentHost->Show();
  ASSERT_TRUE(FindWindowByName("Host-Parent"));
  const Picture shot = Capture({"", 900, 600, 200, 120}, "host-child");
  ASSERT_TRUE(shot.valid());
  EXPECT_TRUE(Near(shot.At(10, 10), kGrey));
  EXPECT_TRUE(Near(shot.At(40, 50), kBlue));
  EXPECT_TRUE(Near(shot.At(100, 50), kGrey));
  EXPECT_EQ(childHost->Bounds(), (PixelRect{20, 30, 60, 40}));

  // What the parent itself paints under an area, without its children.
  TestWindow halves(kRed, kBlue);
  auto halvesHost = Make(halves, {0, 0, 100, 50}, L"Host-Halves");
  auto under = CaptureFace(halvesHost->ChildParent(), {40, 10, 20, 20});
  ASSERT_TRUE(under);
  EXPECT_EQ(under->Width(), 20);
  EXPECT_EQ(CaptureFace(nullptr, {0, 0, 10, 10}), nullptr);
}

}  // namespace
}  // namespace qm::test
