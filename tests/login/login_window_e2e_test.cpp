// The login as a player meets it: the real launcher on the virtual display
// against the demo portal, driven with xdotool and checked from the portal's
// request log and from screenshots, which stay in the build's screenshots
// folder for people to look at.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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
  return picture.width * picture.height ? static_cast<double>(most) / (picture.width * picture.height) : 1;
}

// How many of the picture's pixels are light (text, glyphs, the page's gold).
int LightPixels(const Picture& picture) {
  int light = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const Picture::Px p = picture.At(x, y);
      if (p.r > 150 && p.g > 130) ++light;
    }
  return light;
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

void Screenshot(const std::string& name) {
  Shell("mkdir -p '" + kShots + "' && import -window root '" + kShots + "/" + name + ".png'");
}

// The demo portal and a window manager for the whole suite.
class LoginOnScreen : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Shell("(openbox >/dev/null 2>&1 & echo $! > /tmp/qm-login-openbox.pid)");
    Shell("('" + kPortal + "' --port " + kPort + " >/dev/null 2>&1 & echo $! > /tmp/qm-login-portal.pid)");
    WaitFor([] { return !Get("/control/counts").empty(); }, 10000);
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
  for (const auto& [width, height] : sizes)
    if (width == kDialogWidth) EXPECT_EQ(height, kDialogHeight);

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

}  // namespace
}  // namespace qm::test
