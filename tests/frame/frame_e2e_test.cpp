// The frame after the login, as a player meets it: the real launcher on the
// virtual display under openbox with a panel, against the demo portal. The
// states of the frame are read from the window system and from screenshots
// (kept in the build's screenshots folder, one per state), the reloads from
// the portal's request log, the click report from the game process's
// standard error.
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "frame/frame_controller.h"
#include "frame/frame_on_screen.h"

namespace qm::test {
namespace {

// How alike two rows of pixels are (share of pixels within a small distance).
double RowLikeness(const Picture& a, int ya, const Picture& b, int yb) {
  int alike = 0;
  const int width = std::min(a.width, b.width);
  for (int x = 0; x < width; ++x) {
    const Picture::Px p = a.At(x, ya), q = b.At(x, yb);
    if (std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) < 40) ++alike;
  }
  return width ? static_cast<double>(alike) / width : 0;
}

// Waits until the frame's window stands at rect.
bool FrameAt(const Placed& want, Placed* got, int timeoutMs = 10000) {
  return WaitUntil(
      [&] {
        *got = WindowPlace(want.id);
        return got->x == want.x && got->y == want.y && got->width == want.width && got->height == want.height;
      },
      timeoutMs);
}

class FrameE2e : public FrameOnScreen {
 protected:
  Placed Want(int x, int y, int width, int height) const { return {frameId_, x, y, width, height}; }
};

TEST_F(FrameE2e, LoggingInOpensTheMaximizedFrameWithTheGameBelowItsStripAndEveryStateKeepsItInPlace) {
  ASSERT_NO_FATAL_FAILURE(Login());
  Placed got;

  // Maximized in the work area below the panel; the strip above the game.
  ASSERT_TRUE(FrameAt(Want(0, kPanelHeight, 1600, 1000 - kPanelHeight), &got))
      << got.x << "," << got.y << " " << got.width << "x" << got.height;
  EXPECT_EQ(GameProcesses().size(), 1u);
  EXPECT_EQ(LauncherProcesses().size(), 2u) << "the frame and its game process";
  const Picture maximized = Screen("frame-maximized");
  EXPECT_GT(GreenShare(maximized, 0, kPanelHeight + kCaptionStripHeight, 1200, 900), 0.6);
  EXPECT_LT(GreenShare(maximized, 0, kPanelHeight, 1600, kCaptionStripHeight), 0.05) << "the strip is not the game";
  // The server's name "[ 烈焰一区 ]" in light text on the dark strip, left of
  // the buttons.
  int light = 0;
  for (int y = kPanelHeight + 4; y < kPanelHeight + kCaptionStripHeight - 4; ++y)
    for (int x = 150; x < 400; ++x) {
      const Picture::Px p = maximized.At(x, y);
      if (p.r > 180 && p.g > 160 && p.b > 120) ++light;
    }
  EXPECT_GT(light, 40) << "no caption text";

  // Restore: 1000 x 700 centred on the screen, the game window follows.
  ClickCaptionButton(kButtonRestore);
  ASSERT_TRUE(FrameAt(Want(300, 150, 1000, 700), &got))
      << got.x << "," << got.y << " " << got.width << "x" << got.height;
  ASSERT_TRUE(WaitUntil([&] { return GreenShare(Screen("frame-restored"), 300, 180, 700, 600) > 0.5; }, 10000, 200));
  const Picture restored = Screen("frame-restored");
  EXPECT_LT(GreenShare(restored, 0, 300, 250, 500), 0.05) << "the game stays inside the frame";
  EXPECT_LT(GreenShare(restored, 1350, 300, 250, 500), 0.05) << "the game stays inside the frame";

  // Maximize again, then full screen: the whole screen, no strip, and Escape
  // does not leave it.
  ClickCaptionButton(kButtonMaximize);
  ASSERT_TRUE(FrameAt(Want(0, kPanelHeight, 1600, 1000 - kPanelHeight), &got));
  ClickCaptionButton(kButtonFullScreen);
  ASSERT_TRUE(FrameAt(Want(0, 0, 1600, 1000), &got))
      << got.x << "," << got.y << " " << got.width << "x" << got.height;
  Picture full;
  ASSERT_TRUE(WaitUntil(
      [&] {
        full = Screen("frame-full-screen");
        // The page's own top row now stands where the strip was.
        return RowLikeness(full, 3, maximized, kPanelHeight + kCaptionStripHeight + 3) > 0.9;
      },
      10000));
  Shell("xdotool mousemove 600 500 click 1 key Escape");
  SleepMs(1000);
  EXPECT_TRUE(FrameAt(Want(0, 0, 1600, 1000), &got, 100)) << "Escape left full screen";
  EXPECT_EQ(GameProcesses().size(), 1u);
}

TEST_F(FrameE2e, RefreshAndF5LoadTheGamePageAgainAndALinkClickIsReported) {
  ASSERT_NO_FATAL_FAILURE(Login());
  const Placed frame = Frame();
  const int before = GamePageRequests();
  ClickCaptionButton(kButtonRefresh);
  EXPECT_TRUE(WaitUntil([&] { return GamePageRequests() == before + 1; }, 10000)) << GamePageRequests();

  // The help link's "?" badge, a span inside the link in the side bar, found
  // by its amber colour: the click reports the link's address as the page
  // gives it, one line on standard error (the debug channel of this build).
  const int pageTop = frame.y + kCaptionStripHeight;
  const Picture page = Screen("frame-before-help");
  long sumX = 0, sumY = 0, count = 0;
  for (int y = pageTop; y < pageTop + 400; ++y)
    for (int x = frame.x + frame.width - 260; x < frame.x + frame.width; ++x) {
      const Picture::Px p = page.At(x, y);
      if (p.r > 190 && p.g > 120 && p.g < 190 && p.b < 90) sumX += x, sumY += y, ++count;
    }
  ASSERT_GT(count, 20) << "no help badge in the side bar (see frame-before-help.png)";
  ClickAt(static_cast<int>(sumX / count), static_cast<int>(sumY / count));
  EXPECT_TRUE(WaitUntil([&] { return Errors().find("单击事件:/qmr/help\n") != std::string::npos; }, 10000))
      << Errors();
  EXPECT_TRUE(WaitUntil([&] { return PortalCount("path=/qmr/help") == 1; }, 10000));
  Screen("frame-help-page");

  // A click beside the links reports nothing more.
  auto reports = [&] {
    const std::string errors = Errors();
    size_t count = 0;
    for (size_t at = errors.find("单击事件:"); at != std::string::npos; at = errors.find("单击事件:", at + 1)) ++count;
    return count;
  };
  const auto reportsBefore = reports();
  ClickAt(frame.x + 600, pageTop + 400);
  SleepMs(1000);
  EXPECT_EQ(reports(), reportsBefore) << Errors();

  // F5 in the game window goes back to the game URL.
  const int beforeF5 = GamePageRequests();
  Shell("xdotool key F5");
  EXPECT_TRUE(WaitUntil([&] { return GamePageRequests() == beforeF5 + 1; }, 10000)) << GamePageRequests();
  EXPECT_TRUE(WaitUntil([&] { return GreenShare(Screen("frame-after-f5"), 0, pageTop, 1200, 600) > 0.5; }, 10000));
}

TEST_F(FrameE2e, KillingTheLauncherEndsTheGameProcessWithinTwoSeconds) {
  ASSERT_NO_FATAL_FAILURE(Login());
  ASSERT_EQ(GameProcesses().size(), 1u);
  kill(launcher_, SIGKILL);
  EXPECT_EQ(WaitExit(5000), 128 + SIGKILL);
  // The watchdog looks once a second and ends the process a second later.
  EXPECT_TRUE(WaitUntil([&] { return GameProcesses().empty(); }, 3500));
}

TEST_F(FrameE2e, AGameProcessThatEndsOnItsOwnIsReapedAndTheFrameStays) {
  ASSERT_NO_FATAL_FAILURE(Login());
  const std::vector<pid_t> games = GameProcesses();
  ASSERT_EQ(games.size(), 1u);
  kill(games[0], SIGKILL);
  // The frame reaps it: gone from the process table, not left as a zombie.
  EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::exists("/proc/" + std::to_string(games[0])); }, 5000))
      << "the ended game process stayed in the process table";
  // The frame lives on; its buttons have no game window to send to.
  ClickCaptionButton(kButtonRefresh);
  EXPECT_EQ(WaitExit(1000), -1) << Errors();
  EXPECT_TRUE(FrameMapped());
}

}  // namespace
}  // namespace qm::test
