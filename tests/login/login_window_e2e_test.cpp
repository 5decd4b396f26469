// The login as a player meets it: the real launcher on the virtual display
// against the demo portal, driven with xdotool and checked from the portal's
// request log and from screenshots, which stay in the build's screenshots
// folder for people to look at.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "login/login_pixels.h"
#include "support/temp_dir.h"
#include "ui/desktop.h"

namespace qm::test {
namespace {

const std::string kPortal = QM_DEMO_PORTAL;
const std::string kLauncher = QM_LOGIN_LAUNCHER;
const std::string kPort = std::to_string(QM_LOGIN_PORTAL_PORT);
const std::string kBase = "http://127.0.0.1:" + kPort;
const std::string kShots = QM_SCREENSHOT_DIR;
const std::string kTitle = "Quellmoor登录器";

struct Placed {
  std::string id;
  int x = 0, y = 0, width = 0, height = 0;
};

int ShellValue(const std::string& text, const std::string& key) {
  const auto at = text.find(key + "=");
  return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + key.size() + 1);
}

std::optional<Placed> FindWindow(const std::string& title, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 100) {
    std::istringstream ids(Shell("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null"));
    std::string id;
    if (ids >> id) {
      const std::string g = Shell("xdotool getwindowgeometry --shell " + id);
      Placed p{id, ShellValue(g, "X"), ShellValue(g, "Y"), ShellValue(g, "WIDTH"), ShellValue(g, "HEIGHT")};
      if (p.width > 0) return p;
    }
    SleepMs(100);
  }
  return std::nullopt;
}

std::string Get(const std::string& path) { return Shell("curl -s '" + kBase + path + "'"); }

int Count(const std::string& query) { return std::atoi(Get("/control/count?" + query).c_str()); }

// Waits until pred holds, at most timeoutMs.
template <typename Pred>
bool WaitFor(Pred pred, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 100) {
    if (pred()) return true;
    SleepMs(100);
  }
  return pred();
}

// The web login dialog's place in the login window, its page's and its close
// button's places in the dialog.
constexpr int kDialogLeft = 372, kDialogTop = 86, kDialogWidth = 690, kDialogHeight = 513;
constexpr int kPageTop = 61;
constexpr int kCloseLeft = kDialogWidth - 57, kCloseWidth = 28, kCloseHeight = 26;

// The share of the picture's pixels that have its most common colour: 1 for a
// plain area such as the login picture's empty dark frame.
double CommonestColourShare(const Picture& picture) {
  std::map<int, int> counts;
  int most = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const Picture::Px p = picture.At(x, y);
      most = std::max(most, ++counts[(p.r << 16) | (p.g << 8) | p.b]);
    }
  const int pixels = picture.width * picture.height;
  return pixels > 0 ? static_cast<double>(most) / pixels : 1;
}

// The sizes of the launcher's visible windows without a name (the dialog's).
std::vector<std::pair<int, int>> UnnamedLauncherWindowSizes() {
  std::vector<std::pair<int, int>> sizes;
  std::istringstream ids(Shell("xdotool search --onlyvisible --class Quellmoor 2>/dev/null"));
  for (std::string id; ids >> id;) {
    const std::string name = Shell("xdotool getwindowname " + id + " 2>/dev/null");
    if (name.find_first_not_of(" \n") != std::string::npos) continue;
    const std::string g = Shell("xdotool getwindowgeometry --shell " + id);
    sizes.emplace_back(ShellValue(g, "WIDTH"), ShellValue(g, "HEIGHT"));
  }
  return sizes;
}


// The number of pixels that differ clearly between two pictures of one size.
int ChangedPixels(const Picture& before, const Picture& after) {
  if (before.width != after.width || before.height != after.height) return -1;
  int changed = 0;
  for (int y = 0; y < before.height; ++y)
    for (int x = 0; x < before.width; ++x) {
      const Picture::Px a = before.At(x, y), b = after.At(x, y);
      if (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 60) ++changed;
    }
  return changed;
}

// The launcher's visible window without a name at the dialog's size.
std::optional<Placed> FindDialog() {
  std::istringstream ids(Shell("xdotool search --onlyvisible --class Quellmoor 2>/dev/null"));
  for (std::string id; ids >> id;) {
    const std::string name = Shell("xdotool getwindowname " + id + " 2>/dev/null");
    if (name.find_first_not_of(" \n") != std::string::npos) continue;
    const std::string g = Shell("xdotool getwindowgeometry --shell " + id);
    Placed p{id, ShellValue(g, "X"), ShellValue(g, "Y"), ShellValue(g, "WIDTH"), ShellValue(g, "HEIGHT")};
    if (p.width == kDialogWidth && p.height == kDialogHeight) return p;
  }
  return std::nullopt;
}

// Places on the login page (page pixels, from the page's top-left corner):
// the account and password fields, the second server (寒霜二区), the
// "进入游戏" button and the message line under it.
struct PagePoint {
  int x, y;
};
constexpr PagePoint kAccountField{540, 81};
constexpr PagePoint kPasswordField{540, 127};
constexpr PagePoint kSecondServer{580, 221};
constexpr PagePoint kPlayButton{517, 342};
constexpr int kMessageTop = 366, kMessageHeight = 24;

// Presses the left button at a point of the page whose top-left corner lies
// at (pageX, pageY) on the screen.
void ClickPage(int pageX, int pageY, PagePoint point) {
  Shell("xdotool mousemove --sync " + std::to_string(pageX + point.x) + " " + std::to_string(pageY + point.y) +
        " click 1");
  SleepMs(300);
}

void Screenshot(const std::string& name) {
  Shell("mkdir -p '" + kShots + "' && import -window root '" + kShots + "/" + name + ".png'");
}

// The demo portal and a window manager for the whole suite.
class LoginOnScreen : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Shell("(openbox >/dev/null 2>&1 & echo $! > /tmp/qm-login-openbox.pid)");
    Shell("('" + kPortal + "' --port " + kPort + " >/dev/null 2>&1 & echo $! > /tmp/qm-login-portal.pid)");
    // The count of every path answers "0" as soon as the portal listens.
    WaitFor([] { return !Get("/control/count?prefix=/").empty(); }, 10000);
  }
  static void TearDownTestSuite() {
    Get("/control/quit");
    Shell("kill $(cat /tmp/qm-login-openbox.pid) 2>/dev/null; rm -f /tmp/qm-login-*.pid");
  }

  void SetUp() override {
    Get("/control/reset");
    Get("/control/auto-login?login=");
  }
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  // Starts the launcher with its standard error going to a file.
  void StartLauncher() {
    errors_ = data_.path() / "launcher-stderr.txt";
    pid_ = fork();
    if (pid_ == 0) {
      freopen(errors_.c_str(), "w", stderr);
      setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
      execl(kLauncher.c_str(), kLauncher.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }

  // The exit code, or -1 when the launcher did not end within the time.
  int WaitExit(int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 100) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      SleepMs(100);
    }
    return -1;
  }

  std::string Errors() const { return ReadFile(errors_); }

  TempDir data_;
  IsolatedUserData user_;
  std::filesystem::path errors_;
  pid_t pid_ = -1;
};

TEST_F(LoginOnScreen, LoggingInOnThePageYieldsTheWholeGameUrlWithoutLoadingTheGame) {
  Get("/control/auto-login?login=demo%40%E5%AF%92%E9%9C%9C%E4%BA%8C%E5%8C%BA");  // demo@寒霜二区
  StartLauncher();
  ASSERT_EQ(WaitExit(60000), 0) << Errors();
  const std::string errors = Errors();
  const auto at = errors.find("game URL: ");
  ASSERT_NE(at, std::string::npos) << errors;
  const std::string url = errors.substr(at + 10, errors.find('\n', at) - at - 10);
  EXPECT_EQ(url.rfind(kBase + "/qmr/play_gamecode/svname/", 0), 0u) << url;
  EXPECT_NE(url.find("?uid=demo"), std::string::npos) << url;
  // The navigation was stopped before it reached the portal.
  EXPECT_EQ(Count("prefix=/qmr/play_gamecode"), 0);
  // One version check, after the login page had loaded.
  EXPECT_EQ(Count("path=/getClientVersion.php"), 1);
  const std::string order = Get("/control/requests");
  EXPECT_LT(order.find("/client/gamecode/qmr/skin/as/mac/"), order.find("/getClientVersion.php")) << order;
}

TEST_F(LoginOnScreen, WindowIsThePictureCentredAndClosesOnlyThroughThePrompt) {
  StartLauncher();
  const std::optional<Placed> window = FindWindow(kTitle, 30000);
  ASSERT_TRUE(window) << Errors();
  EXPECT_EQ(window->width, 1210);
  EXPECT_EQ(window->height, 746);
  ASSERT_TRUE(WaitFor([] { return Count("path=/getClientVersion.php") == 1; }, 30000)) << Errors();
  SleepMs(1000);

  // The dialog shows above the picture at its size: the page below its top,
  // not the picture's empty dark frame, and its close button at the top right.
  // The page draws a moment after its document completes.
  const qm::test::Placed pageArea{"", window->x + kDialogLeft, window->y + kDialogTop + kPageTop, kDialogWidth,
                                  kDialogHeight - kPageTop};
  Picture page;
  WaitFor(
      [&] {
        page = Capture(pageArea, "login-dialog-page");
        return page.valid() && CommonestColourShare(page) < 0.5;
      },
      20000);
  ASSERT_TRUE(page.valid());
  Screenshot("login-window");
  EXPECT_LT(CommonestColourShare(page), 0.5);
  EXPECT_GT(LightPixels(page), page.width * page.height / 100);
  const Picture close = Capture(
      qm::test::Placed{"", window->x + kDialogLeft + kCloseLeft, window->y + kDialogTop, kCloseWidth, kCloseHeight},
      "login-dialog-close-button");
  ASSERT_TRUE(close.valid());
  EXPECT_GT(LightPixels(close), 15);
  const auto sizes = UnnamedLauncherWindowSizes();
  EXPECT_NE(std::find(sizes.begin(), sizes.end(), std::pair{kDialogWidth, kDialogHeight}), sizes.end());
  for (const auto& [width, height] : sizes) {
    if (width == kDialogWidth) {
      EXPECT_EQ(height, kDialogHeight);
    }
  }

  // Escape and Enter on the window end nothing.
  Shell("xdotool windowactivate --sync " + window->id + " key Escape key Return");
  SleepMs(500);
  EXPECT_EQ(WaitExit(100), -1);

  // The system's close asks first; Cancel keeps everything.
  Shell("xdotool windowactivate --sync " + window->id + " key alt+F4");
  std::optional<Placed> prompt = FindWindow("关闭提示", 10000);
  ASSERT_TRUE(prompt);
  Screenshot("login-close-prompt");
  Shell("xdotool windowactivate --sync " + prompt->id + " key Escape");
  SleepMs(800);
  EXPECT_EQ(WaitExit(100), -1);
  EXPECT_TRUE(FindWindow(kTitle, 2000));

  // OK ends the process with 0.
  Shell("xdotool windowactivate --sync " + window->id + " key alt+F4");
  prompt = FindWindow("关闭提示", 10000);
  ASSERT_TRUE(prompt);
  Shell("xdotool windowactivate --sync " + prompt->id + " key Return");
  EXPECT_EQ(WaitExit(10000), 0) << Errors();
}

// The executable's version is drawn into the face 60 pixels left of the
// picture's right edge and 33 above its bottom, on the picture's plate there:
// within the reach of the label's text ("1.0.1.0", the first 40 x 16 pixels
// of its box) every pixel is the picture, none is the desktop behind it.
TEST_F(LoginOnScreen, VersionLabelLiesOnThePicture) {
  int screenWidth = 0, screenHeight = 0;
  std::istringstream(Shell("xdotool getdisplaygeometry")) >> screenWidth >> screenHeight;
  const Picture desktop = Capture(qm::test::Placed{"", 0, 0, screenWidth, screenHeight}, "login-desktop");
  ASSERT_TRUE(desktop.valid());
  StartLauncher();
  const std::optional<Placed> window = FindWindow(kTitle, 30000);
  ASSERT_TRUE(window) << Errors();
  SleepMs(800);
  const int reachX = window->x + window->width - 60, reachY = window->y + window->height - 33;
  const Picture label = Capture(qm::test::Placed{"", reachX, reachY, 40, 16}, "login-version-label");
  Screenshot("login-window-version-label");
  ASSERT_TRUE(label.valid());
  EXPECT_GT(GoldPixels(label), 15) << "the label is drawn";
  EXPECT_EQ(SamePixels(label, Crop(desktop, reachX, reachY, 40, 16)), 0) << "the desktop shows around the label";
}

// The dialog's minimize and close symbols stand over its pure green colour
// key, through which the picture's dark frame shows. In every picture of the
// two buttons (at rest, lit under the pointer, pressed) no pixel around them
// is a blend with the key.
TEST_F(LoginOnScreen, DialogWindowButtonsHaveNoGreenFringes) {
  StartLauncher();
  const std::optional<Placed> window = FindWindow(kTitle, 30000);
  ASSERT_TRUE(window) << Errors();
  std::optional<Placed> dialog;
  ASSERT_TRUE(WaitFor([&] { return (dialog = FindDialog()).has_value(); }, 10000));
  SleepMs(800);
  // Both buttons with 3 pixels round them: minimize at 605, close at 633,
  // each 28 pixels wide, at the dialog's top.
  const qm::test::Placed buttons{"", dialog->x + kDialogWidth - 85 - 3, dialog->y, 28 + 28 + 6, 31};
  // Points on the symbols themselves: around them the buttons show the key,
  // which lets the pointer through to the login window.
  const int minimizeX = dialog->x + kDialogWidth - 85 + 14, minimizeY = dialog->y + 18;
  const int closeX = dialog->x + kCloseLeft + 14, closeY = dialog->y + 15;
  struct State {
    const char* name;
    std::string pointer;  // xdotool commands that bring the button into the state
  };
  const std::vector<State> states = {
      {"normal", ""},
      {"minimize-hover", "mousemove --sync " + std::to_string(minimizeX) + " " + std::to_string(minimizeY)},
      {"close-hover", "mousemove --sync " + std::to_string(closeX) + " " + std::to_string(closeY)},
      {"close-pressed", "mousemove --sync " + std::to_string(closeX) + " " + std::to_string(closeY) + " mousedown 1"},
  };
  for (const State& state : states) {
    if (!state.pointer.empty()) Shell("xdotool " + state.pointer);
    SleepMs(1000);  // the hover picture comes after the pointer rests
    const Picture shot = Capture(buttons, std::string("login-dialog-buttons-") + state.name);
    ASSERT_TRUE(shot.valid()) << state.name;
    EXPECT_GT(LightPixels(shot), 8) << state.name << ": the symbols show";
    EXPECT_EQ(GreenishPixels(shot), 0) << state.name;
  }
  // Released away from the button: no click.
  Shell("xdotool mousemove --sync " + std::to_string(window->x + 200) + " " + std::to_string(window->y + 400) +
        " mouseup 1");
}

// The window manager's stacking order of the client windows, bottom first.
std::vector<std::string> Stacking() {
  std::vector<std::string> order;
  std::string text = Shell("xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null");
  for (size_t at = text.find("0x"); at != std::string::npos; at = text.find("0x", at + 2))
    order.push_back(std::to_string(std::stoul(text.substr(at), nullptr, 16)));
  return order;
}

long StackPlace(const std::vector<std::string>& order, const std::string& id) {
  const auto found = std::find(order.begin(), order.end(), id);
  return found == order.end() ? -1 : found - order.begin();
}

// The pixels that differ clearly between two pictures of one size, outside
// the area left out (picture pixels).
int ChangedPixelsOutside(const Picture& before, const Picture& after, const Placed& leftOut) {
  if (before.width != after.width || before.height != after.height) return -1;
  int changed = 0;
  for (int y = 0; y < before.height; ++y)
    for (int x = 0; x < before.width; ++x) {
      if (x >= leftOut.x && x < leftOut.x + leftOut.width && y >= leftOut.y && y < leftOut.y + leftOut.height) continue;
      const Picture::Px a = before.At(x, y), b = after.At(x, y);
      if (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 60) ++changed;
    }
  return changed;
}

// Another program's window over the login window.
class Cover {
 public:
  // Its process id in a file of this test process's own.
  Cover() : pidFile_("/tmp/qm-login-cover-" + std::to_string(getpid()) + ".pid") {
    Shell("(xmessage -geometry 900x600+100+100 -bg '#3060c0' -title QmCover cover >/dev/null 2>&1 & echo $! > '" +
          pidFile_ + "')");
    window_ = FindWindow("QmCover", 10000);
    SleepMs(300);
  }
  ~Cover() { Shell("kill $(cat '" + pidFile_ + "') 2>/dev/null; rm -f '" + pidFile_ + "'"); }
  bool shown() const { return window_.has_value(); }

 private:
  std::string pidFile_;
  std::optional<Placed> window_;
};

// The web login dialog stays directly above the login window whatever brings
// the window forward after another program's window was in front (a click on
// the picture, activation, a drag, minimize and restore), and while the
// close prompt is open (the prompt above both) and after its Cancel. Proven
// by the stacking the window manager reports and by the page's pixels: the
// page as it showed at the start, or with only the prompt's own place
// differing.
TEST_F(LoginOnScreen, DialogStaysDirectlyAboveItsWindowWhateverBringsTheWindowForward) {
  StartLauncher();
  std::optional<Placed> window = FindWindow(kTitle, 30000);
  ASSERT_TRUE(window) << Errors();
  std::optional<Placed> dialog;
  ASSERT_TRUE(WaitFor([&] { return (dialog = FindDialog()).has_value(); }, 10000));
  const auto pageArea = [&] {
    return qm::test::Placed{"", window->x + kDialogLeft, window->y + kDialogTop + kPageTop, kDialogWidth,
                            kDialogHeight - kPageTop};
  };
  Picture page;
  ASSERT_TRUE(WaitFor(
      [&] {
        page = Capture(pageArea(), "login-stacking-page");
        return page.valid() && CommonestColourShare(page) < 0.5;
      },
      20000));
  SleepMs(1500);  // the page's last drawing done
  page = Capture(pageArea(), "login-stacking-page");

  // The dialog directly above the window (the prompt, when there is one,
  // above the dialog) and the page on the screen as at the start.
  const auto pageOnTop = [&](const std::string& name, const std::optional<Placed>& prompt) {
    std::string why;
    const bool good = WaitFor(
        [&] {
          const std::vector<std::string> order = Stacking();
          const long windowAt = StackPlace(order, window->id), dialogAt = StackPlace(order, dialog->id);
          const long promptAt = prompt ? StackPlace(order, prompt->id) : -1;
          const Picture now = Capture(pageArea(), "login-stacking-" + name);
          const Placed leftOut =
              prompt ? Placed{"", prompt->x - pageArea().x, prompt->y - pageArea().y, prompt->width, prompt->height}
                     : Placed{};
          const int changed = ChangedPixelsOutside(page, now, leftOut);
          why = "stacking " + Shell("xprop -root _NET_CLIENT_LIST_STACKING") + " window " + window->id + " dialog " +
                dialog->id + (prompt ? " prompt " + prompt->id : "") + "; page pixels changed: " +
                std::to_string(changed);
          return windowAt >= 0 && dialogAt == windowAt + 1 && (!prompt || promptAt > dialogAt) &&
                 changed >= 0 && changed < page.width * page.height / 200;
        },
        3000);
    Screenshot("login-stacking-" + name + "-screen");
    return good ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << name << ": " << why;
  };
  ASSERT_TRUE(pageOnTop("start", std::nullopt));

  // A point of the picture right of the dialog, and one left of it to drag by.
  const auto pictureRight = [&] {
    return std::to_string(window->x + kDialogLeft + kDialogWidth + 45) + " " + std::to_string(window->y + 470);
  };
  struct Way {
    const char* name;
    std::function<void()> bringForward;
  };
  const std::vector<Way> ways = {
      {"click", [&] { Shell("xdotool mousemove " + pictureRight() + " sleep 0.2 click 1"); }},
      {"activate", [&] { Shell("xdotool windowactivate --sync " + window->id); }},
      {"drag",
       [&] {
         const int x = window->x + kDialogLeft + kDialogWidth + 45, y = window->y + 470;
         Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.2 mousedown 1");
         for (int step = 1; step <= 5; ++step) {
           Shell("xdotool mousemove --sync " + std::to_string(x - 8 * step) + " " + std::to_string(y - 6 * step));
           SleepMs(50);
         }
         Shell("xdotool mouseup 1");
         SleepMs(500);
         window = FindWindow(kTitle, 2000);
         WaitFor([&] { return (dialog = FindDialog()) && dialog->x == window->x + kDialogLeft; }, 3000);
       }},
      {"minimize-restore",
       [&] {
         Shell("xdotool windowminimize --sync " + window->id);
         SleepMs(500);
         Shell("xdotool windowactivate --sync " + window->id);
       }},
  };
  for (const Way& way : ways) {
    {
      Cover cover;
      ASSERT_TRUE(cover.shown()) << way.name;
      way.bringForward();
      SleepMs(500);
      EXPECT_TRUE(pageOnTop(way.name, std::nullopt));
    }
    SleepMs(500);
  }

  // The close prompt of Alt+F4 on the window: above the dialog, which stays
  // above the window, also when the window is clicked meanwhile; Cancel
  // leaves the page on top.
  Shell("xdotool windowactivate --sync " + window->id + " key alt+F4");
  const std::optional<Placed> prompt = FindWindow("关闭提示", 10000);
  ASSERT_TRUE(prompt);
  SleepMs(500);
  EXPECT_TRUE(pageOnTop("prompt", prompt));
  Shell("xdotool mousemove " + pictureRight() + " sleep 0.2 click 1");
  SleepMs(500);
  EXPECT_TRUE(pageOnTop("prompt-window-clicked", prompt));
  Shell("xdotool windowactivate --sync " + prompt->id + " key Escape");
  SleepMs(800);
  EXPECT_EQ(WaitExit(100), -1);
  EXPECT_TRUE(pageOnTop("prompt-cancelled", std::nullopt));
}

// Whatever lay over the page (the close prompt of the dialog's close
// button, another program's window) is painted again when it goes: the page
// shows as before within its place.
TEST_F(LoginOnScreen, PageIsPaintedAgainWhereAPromptOrAnotherWindowLay) {
  StartLauncher();
  const std::optional<Placed> window = FindWindow(kTitle, 30000);
  ASSERT_TRUE(window) << Errors();
  std::optional<Placed> dialog;
  ASSERT_TRUE(WaitFor([&] { return (dialog = FindDialog()).has_value(); }, 10000));
  const qm::test::Placed pageArea{"", window->x + kDialogLeft, window->y + kDialogTop + kPageTop, kDialogWidth,
                                  kDialogHeight - kPageTop};
  Picture page;
  ASSERT_TRUE(WaitFor(
      [&] {
        page = Capture(pageArea, "login-repaint-page");
        return page.valid() && CommonestColourShare(page) < 0.5;
      },
      20000));
  SleepMs(1500);
  page = Capture(pageArea, "login-repaint-page");
  const auto pageAsBefore = [&](const std::string& name) {
    int changed = -1;
    WaitFor(
        [&] {
          changed = ChangedPixels(page, Capture(pageArea, "login-repaint-" + name));
          return changed >= 0 && changed < page.width * page.height / 200;
        },
        2000);
    Screenshot("login-repaint-" + name + "-screen");
    return changed >= 0 && changed < page.width * page.height / 200
               ? ::testing::AssertionSuccess()
               : ::testing::AssertionFailure() << name << ": " << changed << " page pixels differ";
  };

  // The dialog's close button, its prompt over the page, Cancel.
  Shell("xdotool mousemove --sync " + std::to_string(dialog->x + kCloseLeft + 14) + " " +
        std::to_string(dialog->y + 15) + " click 1");
  const std::optional<Placed> prompt = FindWindow("关闭提示", 10000);
  ASSERT_TRUE(prompt);
  SleepMs(500);
  Screenshot("login-repaint-prompt-screen");
  Shell("xdotool windowactivate --sync " + prompt->id + " key Escape");
  // Away from the button, whose lit picture is not the page's concern.
  Shell("xdotool mousemove " + std::to_string(window->x + 100) + " " + std::to_string(window->y + 400));
  SleepMs(500);
  EXPECT_EQ(WaitExit(100), -1);
  EXPECT_TRUE(pageAsBefore("prompt-cancelled"));

  // Another program's window over the page, then gone.
  {
    Cover cover;
    ASSERT_TRUE(cover.shown());
    SleepMs(300);
  }
  SleepMs(500);
  EXPECT_TRUE(pageAsBefore("cover-gone"));
}

// A player at the keyboard and mouse: typing goes into the page's fields,
// Enter submits the page's form (and the page answers), Escape ends nothing,
// Space is typed into a field, the window drags the dialog along, and
// "进入游戏" ends the login with the game URL that the portal never served.
TEST_F(LoginOnScreen, TypingIntoThePageLogsInThroughTheDialog) {
  StartLauncher();
  const std::optional<Placed> window = FindWindow(kTitle, 30000);
  ASSERT_TRUE(window) << Errors();
  ASSERT_TRUE(WaitFor([] { return Count("path=/getClientVersion.php") == 1; }, 30000)) << Errors();
  int pageX = window->x + kDialogLeft, pageY = window->y + kDialogTop + kPageTop;
  const auto pageArea = [&] { return qm::test::Placed{"", pageX, pageY, kDialogWidth, kDialogHeight - kPageTop}; };
  const auto messageArea = [&] { return qm::test::Placed{"", pageX + 356, pageY + kMessageTop, 322, kMessageHeight}; };
  Picture page;
  ASSERT_TRUE(WaitFor(
      [&] {
        page = Capture(pageArea(), "login-typing-1-page");
        return page.valid() && CommonestColourShare(page) < 0.5;
      },
      20000));

  // The account, then Enter in the incomplete form: the page says what is
  // missing, nothing is sent, the dialog stays.
  ClickPage(pageX, pageY, kAccountField);
  Shell("xdotool type --delay 60 demo");
  SleepMs(300);
  const Picture quietMessage = Capture(messageArea(), "login-typing-2-account");
  Shell("xdotool key Return");
  SleepMs(800);
  const Picture saidMessage = Capture(messageArea(), "login-typing-3-enter-message");
  Screenshot("login-typing-3-enter");
  EXPECT_GT(ChangedPixels(quietMessage, saidMessage), 20);
  EXPECT_EQ(Count("path=/qmr/login"), 0);
  EXPECT_EQ(WaitExit(100), -1);
  ASSERT_TRUE(FindDialog());

  // Escape ends nothing and closes nothing.
  Shell("xdotool key Escape");
  SleepMs(600);
  EXPECT_EQ(WaitExit(100), -1);
  EXPECT_TRUE(FindDialog());
  EXPECT_TRUE(FindWindow(kTitle, 1000));
  Screenshot("login-typing-4-escape");

  ClickPage(pageX, pageY, kPasswordField);
  Shell("xdotool type --delay 60 secret");

  // Dragging the window by its picture (left of the dialog) brings the
  // dialog along to the same place in the window.
  const int grabX = window->x + 200, grabY = window->y + 400;
  Shell("xdotool mousemove --sync " + std::to_string(grabX) + " " + std::to_string(grabY) + " mousedown 1");
  for (int step = 1; step <= 8; ++step) {
    Shell("xdotool mousemove --sync " + std::to_string(grabX - 10 * step) + " " + std::to_string(grabY - 8 * step));
    SleepMs(50);
  }
  Shell("xdotool mouseup 1");
  SleepMs(800);
  const std::optional<Placed> moved = FindWindow(kTitle, 2000);
  ASSERT_TRUE(moved);
  EXPECT_NE(moved->x, window->x);
  EXPECT_NE(moved->y, window->y);
  std::optional<Placed> dialog;
  WaitFor(
      [&] {
        dialog = FindDialog();
        return dialog && dialog->x == moved->x + kDialogLeft && dialog->y == moved->y + kDialogTop;
      },
      3000);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->x - moved->x, kDialogLeft);
  EXPECT_EQ(dialog->y - moved->y, kDialogTop);
  Screenshot("login-typing-5-dragged");
  pageX = moved->x + kDialogLeft;
  pageY = moved->y + kDialogTop + kPageTop;

  // A space typed into the account reaches the page, which refuses such an
  // account: nothing is sent. (Were the space dropped, "demo" would log in.)
  ClickPage(pageX, pageY, kSecondServer);
  ClickPage(pageX, pageY, kAccountField);
  Shell("xdotool key ctrl+a");
  Shell("xdotool type --delay 60 'de mo'");
  ClickPage(pageX, pageY, kPlayButton);
  SleepMs(800);
  Screenshot("login-typing-6-space-in-account");
  EXPECT_EQ(Count("path=/qmr/login"), 0);
  EXPECT_EQ(WaitExit(100), -1);

  // Ctrl+A selects the field's text, which the account then replaces; Tab
  // moves on to the password field; "进入游戏" logs in.
  ClickPage(pageX, pageY, kAccountField);
  Shell("xdotool key ctrl+a");
  Shell("xdotool type --delay 60 demo");
  Shell("xdotool key Tab");
  SleepMs(300);
  Screenshot("login-typing-7-account-fixed");
  ClickPage(pageX, pageY, kPlayButton);
  ASSERT_EQ(WaitExit(20000), 0) << Errors();
  const std::string errors = Errors();
  const auto at = errors.find("game URL: ");
  ASSERT_NE(at, std::string::npos) << errors;
  const std::string url = errors.substr(at + 10, errors.find('\n', at) - at - 10);
  EXPECT_EQ(url, kBase + "/qmr/play_gamecode/svname/%E5%AF%92%E9%9C%9C%E4%BA%8C%E5%8C%BA/?uid=demo");
  EXPECT_EQ(Count("path=/qmr/login"), 1);
  EXPECT_EQ(Count("prefix=/qmr/play_gamecode"), 0);
  EXPECT_NE(Get("/control/sessions").find(" demo 寒霜二区"), std::string::npos) << Get("/control/sessions");
}

}  // namespace
}  // namespace qm::test
