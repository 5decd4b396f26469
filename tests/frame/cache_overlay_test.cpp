// The cache-cleaning overlay on the real display (Xvfb; the Windows build
// under Wine): it covers the frame's window rectangle, is 229/255 opaque,
// turns its spinner on the real timer, goes on where it stopped, takes the
// clicks meant for the frame while shown and lets them through once hidden.
// Screenshots stay in the build's screenshots folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../ui/desktop.h"
#include "frame/cache_overlay.h"
#include "ui/window_host.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#undef FillSolid  // Xlib's fill style, not the canvas's method
#endif

namespace qm {
namespace {

using test::Capture;
using test::Picture;
using test::Placed;
using test::PumpEvents;
using test::Shell;

constexpr Argb kFrameColour = 0xFFCC2020;

// A stand-in for the frame window: a plain red window that records the
// presses it gets.
class RedFrame : public WindowController {
 public:
  void OnCreate(WindowHost& host) override { host_ = &host; }
  void OnDestroy() override { host_ = nullptr; }
  void OnPaint(Canvas& canvas) override {
    const PixelSize size = host_->ClientSize();
    canvas.FillSolid({0, 0, size.width, size.height}, kFrameColour);
  }
  void OnPointerDown(const PointerPress& press) override { presses.push_back(press); }
  WindowHost* host_ = nullptr;
  std::vector<PointerPress> presses;
};

bool IsFrameColour(Picture::Px c) { return std::abs(c.r - 0xCC) < 10 && std::abs(c.g - 0x20) < 10 && std::abs(c.b - 0x20) < 10; }

int FrameColouredPixels(const Picture& shot) {
  int count = 0;
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) count += IsFrameColour(shot.At(x, y)) ? 1 : 0;
  return count;
}

void ClickAt(int x, int y) {
  Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
  PumpEvents(400);
}

// The overlay's opacity as the window system holds it, 0..255.
int SystemOpacity(NativeWindow window) {
#ifdef _WIN32
  BYTE alpha = 0;
  DWORD flags = 0;
  if (!GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA)) return -1;
  return alpha;
#else
  GdkWindow* gdk = gtk_widget_get_window(window);
  if (!gdk) return -1;
  std::istringstream in(Shell("xprop -id " + std::to_string(gdk_x11_window_get_xid(gdk)) +
                              " _NET_WM_WINDOW_OPACITY | sed 's/.*= //'"));
  unsigned long opacity = 0;
  if (!(in >> opacity)) return -1;
  return static_cast<int>((opacity + 0x00808080u) / 0x01010101u);
#endif
}

class OverlayOnScreen : public testing::Test {
 protected:
  void SetUp() override {
    if (Shell("echo $DISPLAY").size() < 2) GTEST_SKIP() << "no display";
    Shell("xdotool mousemove 5 5");
    WindowOptions options;
    options.bounds = frameBounds;
    options.title = L"Overlay-Frame";
    frameHost = WindowHost::Create(frame, options);
    ASSERT_TRUE(frameHost);
    frameHost->Show();
    PumpEvents(300);
  }
  void TearDown() override {
    overlay.reset();
    frameHost.reset();
    PumpEvents(100);
  }

  // The client area of the edge-case example, 632 x 366.
  PixelRect frameBounds{150, 120, 632, 366};
  RedFrame frame;
  std::unique_ptr<WindowHost> frameHost;
  std::unique_ptr<CacheOverlay> overlay;
};

TEST(OverlayLayout, SpinnerAndTextPlaces) {
  struct Case {
    PixelSize client;
    int spinnerX, spinnerY;
    PixelRect textBox;
  };
  const Case cases[] = {
      {{632, 366}, 304, 131, {216, 167, 200, 31}},
      {{633, 367}, 305, 132, {216, 168, 200, 31}},  // odd sizes round down
      {{1920, 1050}, 948, 473, {860, 509, 200, 31}},
      {{100, 50}, 38, -27, {-50, 9, 200, 31}},  // smaller than the text box
  };
  for (const Case& c : cases) {
    const CacheOverlayLayout layout = LayOutCacheOverlay(c.client, {23, 23});
    EXPECT_EQ(layout.spinnerX, c.spinnerX) << c.client.width;
    EXPECT_EQ(layout.spinnerY, c.spinnerY) << c.client.width;
    EXPECT_EQ(layout.textBox, c.textBox) << c.client.width;
  }
}

TEST_F(OverlayOnScreen, CoversTheFrameTranslucentAndTakesItsClicks) {
  overlay = std::make_unique<CacheOverlay>(frameHost->Native());
  ASSERT_TRUE(overlay->Native());
  EXPECT_FALSE(overlay->IsShown());

  overlay->Show(frameBounds);
  PumpEvents(500);
  EXPECT_TRUE(overlay->IsShown());
  ASSERT_TRUE(overlay->Bounds());
  EXPECT_EQ(*overlay->Bounds(), frameBounds);
  EXPECT_EQ(SystemOpacity(overlay->Native()), kOverlayOpacity);

  // Without a compositor the overlay is drawn opaque: nothing of the red
  // frame is left to see anywhere in its rectangle.
  const Placed area{"", frameBounds.x, frameBounds.y, frameBounds.width, frameBounds.height};
  const Picture shown = Capture(area, "cache-overlay-shown");
  ASSERT_TRUE(shown.valid());
  EXPECT_EQ(FrameColouredPixels(shown), 0);
  // The spinner and the waiting text differ from the tiled background.
  const Picture::Px background = shown.At(10, 10);
  auto differs = [&](int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) {
        const Picture::Px p = shown.At(x, y);
        if (std::abs(p.r - background.r) + std::abs(p.g - background.g) + std::abs(p.b - background.b) > 30)
          return true;
      }
    return false;
  };
  EXPECT_TRUE(differs(304, 131, 23, 23)) << "no spinner";
  EXPECT_TRUE(differs(216, 167, 200, 31)) << "no waiting text";
  EXPECT_FALSE(differs(0, 0, 200, 100)) << "background not plain";

  // A press on the frame's rectangle reaches the overlay, not the frame.
  ClickAt(frameBounds.x + 50, frameBounds.y + 300);
  EXPECT_TRUE(frame.presses.empty());

  overlay->Hide();
  PumpEvents(400);
  EXPECT_FALSE(overlay->IsShown());
  const Picture hidden = Capture(area, "cache-overlay-hidden");
  EXPECT_GT(FrameColouredPixels(hidden), hidden.width * hidden.height * 9 / 10);
  ClickAt(frameBounds.x + 50, frameBounds.y + 300);
  EXPECT_EQ(frame.presses.size(), 1u);
}

TEST_F(OverlayOnScreen, SpinnerTurnsOnTheTimerAndGoesOnWhereItStopped) {
  overlay = std::make_unique<CacheOverlay>(frameHost->Native());
  ASSERT_TRUE(overlay->Native());
  EXPECT_EQ(overlay->CurrentSpinnerImage(), kOverlaySpinnerFirstImage);
  EXPECT_EQ(overlay->FrameIndex(), 1);

  // Hidden, nothing turns.
  PumpEvents(500);
  EXPECT_EQ(overlay->FrameIndex(), 1);

  // Each tick shows the picture of the index and moves the index on, so the
  // index always names the picture after the one shown.
  overlay->Show(frameBounds);
  std::vector<unsigned> seen;
  int lastIndex = overlay->FrameIndex();
  for (int waited = 0; waited < 4000 && seen.size() < 6; waited += 10) {
    PumpEvents(10);
    if (overlay->FrameIndex() == lastIndex) continue;
    lastIndex = overlay->FrameIndex();
    const unsigned image = overlay->CurrentSpinnerImage();
    seen.push_back(image);
    EXPECT_EQ(lastIndex, static_cast<int>(image - kOverlaySpinnerFirstImage + 1) % 4 + 1) << image;
  }
  ASSERT_GE(seen.size(), 5u) << "the timer did not tick";
  EXPECT_EQ(seen[0], kOverlaySpinnerFirstImage);
  for (std::size_t i = 1; i < seen.size(); ++i)
    EXPECT_EQ(seen[i], kOverlaySpinnerFirstImage + (seen[i - 1] - kOverlaySpinnerFirstImage + 1) % 4) << i;
  const Placed spinner{"", frameBounds.x + 304, frameBounds.y + 131, 23, 23};
  Capture(spinner, "cache-overlay-spinner");

  // Hidden: the timer stops, the spinner keeps its place.
  overlay->Hide();
  const unsigned stoppedAt = overlay->CurrentSpinnerImage();
  const int nextIndex = overlay->FrameIndex();
  PumpEvents(600);
  EXPECT_EQ(overlay->CurrentSpinnerImage(), stoppedAt);
  EXPECT_EQ(overlay->FrameIndex(), nextIndex);

  // Shown again, the first tick shows the picture after the one it stopped at.
  overlay->Show(frameBounds);
  for (int waited = 0; waited < 2000 && overlay->FrameIndex() == nextIndex; waited += 10) PumpEvents(10);
  EXPECT_EQ(overlay->CurrentSpinnerImage(), kOverlaySpinnerFirstImage + static_cast<unsigned>(nextIndex - 1));
  overlay->Hide();
}

TEST_F(OverlayOnScreen, OtherTimersAreIgnored) {
  overlay = std::make_unique<CacheOverlay>(frameHost->Native());
  for (int id : {0, 102, 4999, 5001}) overlay->OnTimer(id);
  EXPECT_EQ(overlay->FrameIndex(), 1);
  EXPECT_EQ(overlay->CurrentSpinnerImage(), kOverlaySpinnerFirstImage);
  // Four ticks by hand: 276, 277, 278, 279, then 276 again.
  const unsigned expected[] = {276, 277, 278, 279, 276};
  for (unsigned image : expected) {
    overlay->OnTimer(kOverlayTimer);
    EXPECT_EQ(overlay->CurrentSpinnerImage(), image);
  }
}

TEST_F(OverlayOnScreen, FollowsTheFrameOnlyWhileShown) {
  overlay = std::make_unique<CacheOverlay>(frameHost->Native());
  const PixelRect moved{260, 200, 500, 300};
  overlay->Follow(moved);
  PumpEvents(200);
  EXPECT_FALSE(overlay->IsShown()) << "Follow must not show a hidden overlay";

  overlay->Show(frameBounds);
  PumpEvents(300);
  frameHost->SetBounds(moved);
  overlay->Follow(moved);
  PumpEvents(400);
  ASSERT_TRUE(overlay->Bounds());
  EXPECT_EQ(*overlay->Bounds(), moved);
  const Picture shot = Capture(Placed{"", moved.x, moved.y, moved.width, moved.height}, "cache-overlay-followed");
  EXPECT_EQ(FrameColouredPixels(shot), 0);
  overlay->Hide();
}

TEST_F(OverlayOnScreen, GoesWithTheFrameThatOwnsIt) {
  overlay = std::make_unique<CacheOverlay>(frameHost->Native());
  overlay->Show(frameBounds);
  PumpEvents(300);
  frameHost.reset();  // the frame's window goes first, taking its popup along
  PumpEvents(300);
  EXPECT_FALSE(overlay->IsShown());
  overlay->Show(frameBounds);  // harmless once the window is gone
  overlay->Hide();
  EXPECT_FALSE(overlay->IsShown());
}

}  // namespace
}  // namespace qm
