// The demo portal's pages in the real engine: the WebKitGTK peer program
// shows them on the virtual display, driven with xdotool, and what it showed
// is kept in the build's screenshots folder for people to look at. Checks
// are made on pixels (sizes, colours, changes), never on timings.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/owners.h"
#include "support/temp_dir.h"

extern char** environ;

namespace qm {
namespace {

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Runs a shell command and returns its standard output.
std::string Shell(const std::string& command) {
  std::string out;
  if (const ProcessPipePtr pipe{popen(command.c_str(), "r")}) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
  }
  return out;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ShotDir() {
  const std::string dir = QM_SCREENSHOT_DIR;
  Shell("mkdir -p '" + dir + "'");
  return dir;
}

struct Pixel {
  int r, g, b;
};

struct Picture {
  int width = 0, height = 0;
  std::string rgb;
  Pixel At(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return {static_cast<unsigned char>(rgb[i]), static_cast<unsigned char>(rgb[i + 1]),
            static_cast<unsigned char>(rgb[i + 2])};
  }
  bool valid() const { return width > 0 && rgb.size() == static_cast<size_t>(width) * height * 3; }
  int CountIn(int x0, int y0, int x1, int y1, const std::function<bool(Pixel)>& pred) const {
    int count = 0;
    for (int y = y0; y < y1 && y < height; ++y)
      for (int x = x0; x < x1 && x < width; ++x) count += pred(At(x, y));
    return count;
  }
  // Pixels that differ between two pictures of one size, inside a rectangle.
  int DiffersIn(const Picture& other, int x0, int y0, int x1, int y1) const {
    int count = 0;
    for (int y = y0; y < y1 && y < height; ++y)
      for (int x = x0; x < x1 && x < width; ++x) {
        const Pixel a = At(x, y), b = other.At(x, y);
        count += a.r != b.r || a.g != b.g || a.b != b.b;
      }
    return count;
  }
};

Picture LoadPng(const std::string& png) {
  Picture picture;
  std::istringstream size(Shell("identify -format '%w %h' '" + png + "' 2>/dev/null"));
  size >> picture.width >> picture.height;
  picture.rgb = Shell("convert '" + png + "' -depth 8 rgb:- 2>/dev/null");
  return picture;
}

// Screenshot of a screen rectangle, kept as <name>.png.
Picture Capture(int width, int height, const std::string& name) {
  SleepMs(300);  // let the last paint reach the screen
  const std::string png = ShotDir() + "/" + name + ".png";
  Shell("import -window root -crop " + std::to_string(width) + "x" + std::to_string(height) +
        "+0+0 +repage '" + png + "'");
  return LoadPng(png);
}

// Screenshots until one shows what is expected (the machine may be slow to
// paint), at most timeoutMs; the last one is returned either way.
Picture CaptureUntil(int width, int height, const std::string& name, const std::function<bool(const Picture&)>& shows,
                     int timeoutMs = 20000) {
  Picture picture = Capture(width, height, name);
  for (int waited = 0; waited < timeoutMs && !(picture.valid() && shows(picture)); waited += 500) {
    SleepMs(200);
    picture = Capture(width, height, name);
  }
  return picture;
}

bool Gold(Pixel p) { return p.r > 200 && p.g > 140 && p.b < 130; }
bool MessageRed(Pixel p) { return p.r > 200 && p.g > 90 && p.g < 180 && p.b < 140 && p.r - p.g > 60; }
bool LightGrey(Pixel p) { return p.r > 170 && p.g > 170 && p.b > 170 && std::abs(p.r - p.b) < 16; }
bool Grass(Pixel p) { return p.g > p.r + 15 && p.g > p.b + 15 && p.g > 50; }

class PortalRender : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr || Shell("xdpyinfo >/dev/null 2>&1 && echo ok") != "ok\n") {
      GTEST_SKIP() << "no display";
    }
    const std::string portFile = dir_.path().string() + "/port";
    std::vector<std::string> args{QM_DEMO_PORTAL, "--port", "0", "--port-file", portFile, "--lifetime", "300"};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&portal_, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    for (int waited = 0; port_ == 0 && waited < 20000; waited += 50) {
      std::ifstream(portFile) >> port_;
      if (port_ == 0) SleepMs(50);
    }
    ASSERT_NE(port_, 0) << "the demo portal did not start";
    base_ = "http://127.0.0.1:" + std::to_string(port_);
  }

  void TearDown() override {
    StopPeer();
    if (portal_ > 0) {
      kill(portal_, SIGTERM);
      int status = 0;
      waitpid(portal_, &status, 0);
    }
  }

  std::string Control(const std::string& path) { return Shell("curl -s '" + base_ + path + "'"); }
  int Count(const std::string& query) { return std::atoi(Control("/control/count?" + query).c_str()); }

  // The peer's command line, with the engine's sanitizer-unfriendly leaks
  // not reported and no accessibility bus.
  std::string PeerCommand(const std::string& options, const std::string& url) {
    return "ASAN_OPTIONS=detect_leaks=0 NO_AT_BRIDGE=1 '" + std::string(QM_WEBKIT_PEER) + "' --data-dir '" +
           dir_.path().string() + "/engine' " + options + " '" + url + "' >'" + PeerLog() + "' 2>&1";
  }
  std::string PeerLog() const { return dir_.path().string() + "/peer.log"; }

  // Runs the peer to its end (it is told to quit).
  void RunPeer(const std::string& options, const std::string& url) {
    Shell("timeout 90 sh -c \"" + PeerCommand(options, url) + "\"");
  }

  // Starts the peer in the background and waits for its window and its first load.
  std::string StartPeer(const std::string& options, const std::string& url) {
    peer_ = std::atoi(Shell(PeerCommand(options, url) + " & echo $!").c_str());
    for (int waited = 0; waited < 60000; waited += 100) {
      if (ReadText(PeerLog()).find("first-load-finished-ms") != std::string::npos) break;
      SleepMs(100);
    }
    std::istringstream ids(Shell("xdotool search --onlyvisible --pid " + std::to_string(peer_) + " 2>/dev/null"));
    std::string id;
    ids >> id;
    return id;
  }

  void StopPeer() {
    if (peer_ <= 0) return;
    kill(peer_, SIGTERM);
    for (int i = 0; i < 100 && kill(peer_, 0) == 0; ++i) SleepMs(50);
    peer_ = -1;
  }

  bool WaitFor(const std::function<bool()>& done, int timeoutMs = 15000) {
    for (int waited = 0; waited < timeoutMs; waited += 100) {
      if (done()) return true;
      SleepMs(100);
    }
    return done();
  }

  std::string LoginUrl() const { return base_ + "/client/gamecode/qmr/skin/as/mac/00-1A-2B-3C-4D-5E/"; }

  test::TempDir dir_;
  pid_t portal_ = -1;
  pid_t peer_ = -1;
  int port_ = 0;
  std::string base_;
};

TEST_F(PortalRender, LoginPageFillsExactly690By452) {
  const std::string png = ShotDir() + "/portal_login.png";
  RunPeer("--size 690x452 --screenshot '" + png + "' --quit-after 0", LoginUrl());
  EXPECT_NE(ReadText(PeerLog()).find("first-load-finished-ms "), std::string::npos) << ReadText(PeerLog());
  const Picture shot = LoadPng(png);
  ASSERT_TRUE(shot.valid()) << png;
  EXPECT_EQ(shot.width, 690);
  EXPECT_EQ(shot.height, 452);
  // The gold "进入游戏" button in the panel on the right.
  EXPECT_GT(shot.CountIn(380, 322, 655, 362, Gold), 3000);
  // No scroll bar along the right or bottom edge.
  EXPECT_EQ(shot.CountIn(676, 0, 690, 452, LightGrey), 0);
  EXPECT_EQ(shot.CountIn(0, 438, 690, 452, LightGrey), 0);
  // The page asked for nothing it does not have.
  EXPECT_EQ(Count("prefix=/static/"), 2);
  EXPECT_EQ(Control("/control/counts").find(" /favicon"), std::string::npos);
}

TEST_F(PortalRender, EnterInAnIncompleteFormShowsTheMessageAndStays) {
  const std::string window = StartPeer("--size 690x452", LoginUrl());
  ASSERT_FALSE(window.empty());
  auto buttonShown = [](const Picture& p) { return p.CountIn(380, 322, 655, 362, Gold) > 3000; };
  ASSERT_TRUE(buttonShown(CaptureUntil(690, 452, "portal_login_shown", buttonShown)));
  Shell("xdotool mousemove --window " + window + " 500 82 click 1");
  SleepMs(300);
  Shell("xdotool type --delay 40 hero && xdotool key Return");
  // "请输入密码" under the button; nothing was sent.
  auto messageShown = [](const Picture& p) { return p.CountIn(400, 368, 640, 390, MessageRed) > 40; };
  const Picture incomplete = CaptureUntil(690, 452, "portal_login_incomplete", messageShown);
  EXPECT_TRUE(messageShown(incomplete));
  EXPECT_EQ(Count("path=/qmr/login"), 0);
  EXPECT_EQ(Count("prefix=/qmr/play_gamecode"), 0);

  // The password completes the form: Enter logs in and the game page comes.
  Shell("xdotool type --delay 40 secret && xdotool key Return");
  EXPECT_TRUE(WaitFor([&] { return Count("prefix=/qmr/play_gamecode") == 1; }));
  EXPECT_EQ(Count("path=/qmr/login"), 1);
  const std::string sessions = Control("/control/sessions");
  EXPECT_NE(sessions.find(" hero 烈焰一区\n"), std::string::npos) << sessions;
}

TEST_F(PortalRender, AutoLoginFillsTheFormAndEntersTheGame) {
  ASSERT_EQ(Control("/control/auto-login?login=%E5%8B%87%E8%80%857@%E6%98%9F%E8%BE%B0%E4%BA%94%E5%8C%BA"), "on");
  const std::string png = ShotDir() + "/portal_game_auto_login.png";
  RunPeer("--size 1000x670 --after-loads 2 --screenshot '" + png + "' --quit-after 0", LoginUrl());
  const std::string log = ReadText(PeerLog());
  const std::string gameUrl =
      base_ + "/qmr/play_gamecode/svname/%E6%98%9F%E8%BE%B0%E4%BA%94%E5%8C%BA/?uid=%E5%8B%87%E8%80%857";
  EXPECT_NE(log.find("load-finished " + gameUrl + "\n"), std::string::npos) << log;

  // In order: the login page, the login, the game page.
  const std::string requests = Control("/control/requests");
  const size_t page = requests.find("GET /client/gamecode/");
  const size_t login = requests.find("POST /qmr/login\n");
  const size_t game = requests.find("GET /qmr/play_gamecode/");
  EXPECT_TRUE(page < login && login < game && game != std::string::npos) << requests;
  EXPECT_NE(Control("/control/sessions").find(" 勇者7 星辰五区\n"), std::string::npos);

  // The game page: its meadow fills the canvas, the session is shown.
  const Picture shot = LoadPng(png);
  ASSERT_TRUE(shot.valid()) << png;
  EXPECT_GT(shot.CountIn(0, 40, 750, 640, Grass), 750 * 600 / 2);
}

TEST_F(PortalRender, GamePageAnswersKeysAndMouseAndRestsWhenIdle) {
  const std::string window =
      StartPeer("--size 1000x670", base_ + "/qmr/play_gamecode/svname/%E9%9B%B7%E9%B8%A3%E4%B8%89%E5%8C%BA/?uid=hero");
  ASSERT_FALSE(window.empty());
  // Shown and at rest (the level's banner has faded): two pictures a second
  // apart are the same, nothing is drawn while nothing moves.
  Picture last;
  bool atRest = false;
  auto resting = [&](const Picture& p) {
    atRest = last.valid() && p.valid() && p.CountIn(0, 40, 750, 640, Grass) > 750 * 600 / 2 &&
             p.DiffersIn(last, 0, 0, 1000, 670) == 0;
    last = p;
    if (!atRest) SleepMs(700);
    return atRest;
  };
  const Picture before = CaptureUntil(1000, 670, "portal_game", resting, 30000);
  ASSERT_TRUE(atRest) << "the game page never came to rest";

  // Keyboard: the hero walks right for a while; the bar names the key.
  Shell("xdotool mousemove --window " + window + " 900 300");
  Shell("xdotool keydown Right && sleep 0.7 && xdotool keyup Right");
  const Picture walked = CaptureUntil(1000, 670, "portal_game_played", [&](const Picture& p) {
    return p.DiffersIn(before, 0, 40, 750, 640) > 200 && p.DiffersIn(before, 760, 0, 1000, 36) > 20;
  });
  EXPECT_GT(walked.DiffersIn(before, 0, 40, 750, 640), 200);
  EXPECT_GT(walked.DiffersIn(before, 760, 0, 1000, 36), 20);

  // Mouse: a click on the meadow sends the hero there; the bar names the mouse.
  last = Picture();
  const Picture rested = CaptureUntil(1000, 670, "portal_game_idle", resting, 30000);
  ASSERT_TRUE(atRest) << "the game page did not come to rest after the walk";
  Shell("xdotool mousemove --window " + window + " 80 560 click 1");
  const Picture clicked = CaptureUntil(1000, 670, "portal_game_clicked", [&](const Picture& p) {
    return p.DiffersIn(rested, 0, 40, 750, 640) > 200 && p.DiffersIn(rested, 760, 0, 1000, 36) > 20;
  });
  EXPECT_GT(clicked.DiffersIn(rested, 0, 40, 750, 640), 200);
  EXPECT_GT(clicked.DiffersIn(rested, 760, 0, 1000, 36), 20);
}

}  // namespace
}  // namespace qm
