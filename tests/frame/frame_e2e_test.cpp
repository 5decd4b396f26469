// The frame after the login, as a player meets it: the real launcher on the
// virtual display under openbox with a panel, against the demo portal. The
// states of the frame are read from the window system and from screenshots
// (kept in the build's screenshots folder, one per state), the reloads from
// the portal's request log, the click report from the game process's
// standard error.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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

// Rows of the game window's area that are bare: most of their pixels the
// toolkit's light grey background, which the page never shows (it is dark
// and green throughout).
int BareRows(const Picture& screen, const Placed& area) {
  int bare = 0;
  for (int y = std::max(0, area.y); y < std::min(screen.height, area.y + area.height); ++y) {
    int grey = 0, all = 0;
    for (int x = std::max(0, area.x); x < std::min(screen.width, area.x + area.width); x += 2) {
      const Picture::Px p = screen.At(x, y);
      const int low = std::min({p.r, p.g, p.b}), high = std::max({p.r, p.g, p.b});
      ++all;
      if (low > 200 && high - low < 16) ++grey;
    }
    if (all && grey * 2 > all) ++bare;
  }
  return bare;
}

// How alike a row of the page is to a row of the page in another size: the
// left part of both rows (the side bar keeps to the page's right edge).
double PageRowLikeness(const Picture& a, int ya, const Picture& b, int yb) {
  int alike = 0;
  const int width = std::min(a.width, b.width) - 260;
  for (int x = 0; x < width; ++x) {
    const Picture::Px p = a.At(x, ya), q = b.At(x, yb);
    if (std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) < 40) ++alike;
  }
  return width > 0 ? static_cast<double>(alike) / width : 0;
}

// Every state of the frame, and every change between them, shows the game
// page over the whole game window: its own top row (the page's header) at
// the game window's top, its own bottom row (the page's footer) at the
// bottom, the game's green between, and no row of bare toolkit background.
// For each change the time from the frame standing in its new place to the
// look that found the page filling it is printed.
TEST_F(FrameE2e, TheGamePageFillsTheGameWindowInEveryStateAndAfterEveryChange) {
  ASSERT_NO_FATAL_FAILURE(Login());
  Placed got;
  const Placed maximizedPlace = Want(0, kPanelHeight, 1600, 1000 - kPanelHeight);
  const Placed restoredPlace = Want(300, 150, 1000, 700);
  const Placed fullPlace = Want(0, 0, 1600, 1000);
  ASSERT_TRUE(FrameAt(maximizedPlace, &got));
  // The page as it is in the state the frame starts in: its header's and
  // footer's rows to compare the other states against.
  const Placed startGame{"", 0, kPanelHeight + kCaptionStripHeight, 1600, 1000 - kPanelHeight - kCaptionStripHeight};
  const Picture start = Capture(startGame, "frame-state-start");

  const auto key = [this](const std::string& name) {
    Shell("xdotool windowactivate --sync " + frameId_ + " 2>/dev/null");
    Shell("xdotool key " + name);
  };
  struct Step {
    const char* name;
    std::function<void()> act;
    Placed place;
    bool fullScreen;
  };
  const std::vector<Step> steps = {
      {"restored", [&] { ClickCaptionButton(kButtonRestore); }, restoredPlace, false},
      {"maximized", [&] { ClickCaptionButton(kButtonMaximize); }, maximizedPlace, false},
      {"full-screen", [&] { ClickCaptionButton(kButtonFullScreen); }, fullPlace, true},
      {"full-screen-left", [&] { key("F11"); }, maximizedPlace, false},
      {"boss-key-hidden-and-shown",
       [&] {
         key("F10");
         WaitUntil([&] { return !FrameMapped(); }, 5000);
         Shell("xdotool key F10");
       },
       maximizedPlace, false},
      {"minimized-and-back",
       [&] {
         ClickCaptionButton(kButtonMinimize);
         WaitUntil([&] { return !FrameMapped(); }, 5000);
         Shell("xdotool windowactivate --sync " + frameId_ + " 2>/dev/null");
       },
       maximizedPlace, false},
      {"restored-again", [&] { ClickCaptionButton(kButtonRestore); }, restoredPlace, false},
      {"full-screen-from-restored", [&] { key("F11"); }, fullPlace, true},
      {"full-screen-left-to-maximized", [&] { key("F11"); }, maximizedPlace, false},
  };
  for (const Step& step : steps) {
    step.act();
    ASSERT_TRUE(FrameAt(step.place, &got)) << step.name << ": " << got.x << "," << got.y << " " << got.width << "x"
                                           << got.height;
    ASSERT_TRUE(WaitUntil([&] { return FrameMapped(); }, 5000)) << step.name;
    const auto placed = std::chrono::steady_clock::now();
    const int strip = step.fullScreen ? 0 : kCaptionStripHeight;
    const Placed game{"", got.x, got.y + strip, got.width, got.height - strip};
    const std::string shotName = std::string("frame-state-") + step.name;
    Picture shot;
    int bare = -1;
    double top = 0, bottom = 0, green = 0;
    auto lookBegan = placed;
    const bool filled = WaitUntil(
        [&] {
          lookBegan = std::chrono::steady_clock::now();
          shot = Capture(game, shotName);
          if (!shot.valid()) return false;
          bare = BareRows(shot, {"", 0, 0, shot.width, shot.height});
          top = PageRowLikeness(shot, 3, start, 3);
          bottom = PageRowLikeness(shot, shot.height - 4, start, start.height - 4);
          green = GreenShare(shot, 0, 100, shot.width / 2, shot.height - 200);
          return bare == 0 && top > 0.9 && bottom > 0.9 && green > 0.5;
        },
        5000, 20);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(lookBegan - placed);
    std::printf("frame state %-30s the first look that found the page filling the game window began %lld ms after "
                "the frame stood in place\n",
                step.name,
                static_cast<long long>(took.count()));
    EXPECT_TRUE(filled) << step.name << ": bare rows " << bare << ", top row likeness " << top
                        << ", bottom row likeness " << bottom << ", green " << green << " (see " << shotName << ".png)";
  }
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
