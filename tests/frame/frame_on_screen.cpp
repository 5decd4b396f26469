#include "frame/frame_on_screen.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "frame/frame_controller.h"

namespace qm::test {
namespace {

const std::string kPortal = QM_DEMO_PORTAL;
const std::string kLauncher = QM_FRAME_LAUNCHER;
const std::string kPanel = QM_PANEL_PROBE;
const std::string kPort = std::to_string(QM_FRAME_PORTAL_PORT);
const std::string kBase = "http://127.0.0.1:" + kPort;
// Where the suite keeps the process ids of the programs it started that the
// command line alone cannot tell apart from other suites' (openbox, trayer).
const std::string kRunDir = QM_FRAME_RUN_DIR;

int ShellValue(const std::string& text, const std::string& key) {
  const auto at = text.find("\n" + key + "=");
  return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + key.size() + 2);
}

std::vector<pid_t> Pids(const std::string& pattern) {
  std::vector<pid_t> pids;
  std::istringstream lines(Shell("pgrep -f -- '" + pattern + "' 2>/dev/null"));
  for (pid_t pid; lines >> pid;) pids.push_back(pid);
  return pids;
}

// The programs of this build tree's suite, by command line: every launcher
// process (login, frame, game), the panel, and the portal on this suite's
// port (other suites run the same portal program on other ports).
std::vector<pid_t> OwnPrograms() {
  std::vector<pid_t> pids = Pids("^" + kLauncher);
  for (pid_t pid : Pids("^" + kPanel)) pids.push_back(pid);
  for (pid_t pid : Pids("^" + kPortal + " --port " + kPort + "( |$)")) pids.push_back(pid);
  return pids;
}

std::string ProcessName(pid_t pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

// Whether the process runs (a zombie that nobody has reaped yet has ended).
bool Alive(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return false;
  const auto close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

// The process recorded in the run folder under name, if it still runs that
// program.
std::optional<pid_t> Recorded(const std::string& name) {
  std::ifstream file(kRunDir + "/" + name + ".pid");
  pid_t pid = 0;
  if (!(file >> pid) || pid <= 0 || ProcessName(pid) != name) return std::nullopt;
  return pid;
}

void StartRecorded(const std::string& name, const std::string& commandLine) {
  Shell("mkdir -p '" + kRunDir + "' && (" + commandLine + " >/dev/null 2>&1 & echo $! > '" + kRunDir + "/" + name +
        ".pid')");
}

// Ends what an earlier run of the suite (or this one) left running and waits
// until it has gone, so that its windows no longer cover the screen.
void EndSuitePrograms() {
  std::vector<pid_t> pids = OwnPrograms();
  for (const char* name : {"trayer", "openbox"})
    if (const auto pid = Recorded(name)) pids.push_back(*pid);
  for (pid_t pid : pids) kill(pid, SIGKILL);
  WaitUntil(
      [&] {
        return std::none_of(pids.begin(), pids.end(), Alive);
      },
      5000, 50);
  Shell("rm -f '" + kRunDir + "'/*.pid");
  // A window manager that was killed leaves its work area on the root window.
  Shell("xprop -root -remove _NET_WORKAREA 2>/dev/null");
}

std::string WorkArea() { return Shell("xprop -root _NET_WORKAREA 2>/dev/null"); }

}  // namespace

std::string PortalGet(const std::string& path) { return Shell("curl -s -m 5 '" + kBase + path + "'"); }

int PortalCount(const std::string& query) { return std::atoi(PortalGet("/control/count?" + query).c_str()); }

Placed WindowPlace(const std::string& id) {
  if (id.empty()) return {};
  const std::string g = "\n" + Shell("xdotool getwindowgeometry --shell " + id + " 2>/dev/null");
  if (ShellValue(g, "WIDTH") <= 0) return {};
  return {id, ShellValue(g, "X"), ShellValue(g, "Y"), ShellValue(g, "WIDTH"), ShellValue(g, "HEIGHT")};
}

bool IsViewable(const std::string& id) {
  return !id.empty() && Shell("xwininfo -id " + id + " 2>/dev/null").find("Map State: IsViewable") != std::string::npos;
}

Picture Screen(const std::string& name) {
  const std::string size = Shell("xdotool getdisplaygeometry");
  Placed all;
  all.width = std::atoi(size.c_str());
  all.height = std::atoi(size.c_str() + size.find(' ') + 1);
  return Capture(all, name);
}

// Measured on the screen: about (50, 86, 33) in the middle and (30, 53, 19)
// in the darkened corners; the frame's strip, the panel and the side bar are
// brown, grey or dark, never green first.
bool IsGameGreen(const Picture::Px& p) { return p.g >= 45 && p.g >= p.r + 15 && p.g >= p.b + 25; }

double GreenShare(const Picture& picture, int x, int y, int width, int height) {
  int green = 0, all = 0;
  for (int j = std::max(0, y); j < std::min(picture.height, y + height); j += 4)
    for (int i = std::max(0, x); i < std::min(picture.width, x + width); i += 4) {
      ++all;
      if (IsGameGreen(picture.At(i, j))) ++green;
    }
  return all ? static_cast<double>(green) / all : 0;
}

void ClickAt(int x, int y, int button) {
  Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.2 click " +
        std::to_string(button));
}

void FrameOnScreen::SetUpTestSuite() {
  EndSuitePrograms();
  // --replace: whatever window manager another suite may have left goes.
  // The panel comes once the window manager runs (it publishes its work
  // area), so that it sees the panel's strut as it is mapped.
  StartRecorded("openbox", "openbox --replace");
  Shell("('" + kPortal + "' --port " + kPort + " >/dev/null 2>&1 &)");
  EXPECT_TRUE(WaitUntil([] { return WorkArea().find(" = ") != std::string::npos; }, 10000, 50)) << "no openbox";
  Shell("('" + kPanel + "' " + std::to_string(kPanelHeight) + " >/dev/null 2>&1 &)");
  const std::string wanted = " = 0, " + std::to_string(kPanelHeight) + ", ";
  EXPECT_TRUE(WaitUntil([&] { return WorkArea().find(wanted) != std::string::npos; }, 10000, 50)) << WorkArea();
  EXPECT_TRUE(WaitUntil([] { return !PortalGet("/control/count?prefix=/").empty(); }, 10000, 50));
}

void FrameOnScreen::TearDownTestSuite() {
  PortalGet("/control/quit");
  EndSuitePrograms();
}

void FrameOnScreen::StartTray() {
  // A dock without a strut in the middle of the panel: the work area stays
  // the panel's, and a menu opened at the icon has room on both sides.
  StartRecorded("trayer",
                "trayer --edge top --align center --SetDockType true --SetPartialStrut false --widthtype pixel "
                "--width 120 --height 32 --distance 4");
  EXPECT_TRUE(WaitUntil([] { return !TrayWindow().empty(); }, 10000, 50)) << "no tray";
}

std::string FrameOnScreen::TrayWindow() {
  const std::optional<pid_t> tray = Recorded("trayer");
  if (!tray) return {};
  std::istringstream ids(Shell("xdotool search --onlyvisible --pid " + std::to_string(*tray) + " 2>/dev/null"));
  std::string id;
  ids >> id;
  return id;
}

void FrameOnScreen::SetUp() {
  PortalGet("/control/reset");
  Shell("xdotool mousemove 800 600");
}

void FrameOnScreen::TearDown() {
  if (launcher_ > 0) {
    kill(launcher_, SIGKILL);
    waitpid(launcher_, nullptr, 0);
    launcher_ = -1;
  }
  for (pid_t pid : LauncherProcesses()) kill(pid, SIGKILL);
  WaitUntil([this] { return LauncherProcesses().empty(); }, 5000, 50);
  // A menu or box left open goes with its process; the pointer stays where
  // the next test expects nothing.
  Shell("xdotool mousemove 800 600");
}

void FrameOnScreen::StartLauncher(const std::string& account, const std::string& server) {
  PortalGet("/control/auto-login?login=" + (account.empty() ? std::string() : account + "@" + server));
  errors_ = data_.path() / "launcher-stderr.txt";
  launcher_ = fork();
  if (launcher_ == 0) {
    if (!freopen(errors_.c_str(), "w", stderr)) _exit(126);
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    setenv("UBSAN_OPTIONS", "print_stacktrace=1", 1);
    execl(kLauncher.c_str(), kLauncher.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
}

std::optional<Placed> FrameOnScreen::WaitForFrame(int timeoutMs) {
  // The login window has the same title and is about as large: the frame is
  // the window the game process was started for.
  std::optional<Placed> frame;
  WaitUntil(
      [&] {
        const std::string id = FrameWindowOfGameProcess();
        if (id.empty()) return false;
        const Placed place = WindowPlace(id);
        if (place.width < kRestoredWidth || !IsViewable(id)) return false;
        frame = place;
        return true;
      },
      timeoutMs);
  if (frame) frameId_ = frame->id;
  return frame;
}

std::string FrameOnScreen::FrameWindowOfGameProcess() const {
  for (pid_t pid : GameProcesses()) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    const std::string commandLine((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto at = commandLine.find("-frameWnd=");
    if (at == std::string::npos) continue;
    const unsigned long id = std::strtoul(commandLine.c_str() + at + 10, nullptr, 10);
    if (id != 0) return std::to_string(id);
  }
  return {};
}

void FrameOnScreen::Login() {
  StartLauncher();
  const std::optional<Placed> frame = WaitForFrame();
  ASSERT_TRUE(frame) << Errors();
  // The game page has come and is drawn below the strip.
  ASSERT_TRUE(WaitUntil([&] { return GamePageRequests() >= 1; }, 30000)) << Errors();
  Picture screen;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const Placed f = Frame();
        screen = Screen("frame-waiting");
        return GreenShare(screen, f.x, f.y + kCaptionStripHeight, f.width / 2, f.height - kCaptionStripHeight) > 0.5;
      },
      20000, 200))
      << "no game below the strip (see frame-waiting.png)\n"
      << Errors();
}

bool FrameOnScreen::FrameMapped() const { return IsViewable(frameId_); }

std::vector<pid_t> FrameOnScreen::GameProcesses() const { return Pids("^" + kLauncher + " .*-frameWnd="); }

std::vector<pid_t> FrameOnScreen::LauncherProcesses() const { return Pids("^" + kLauncher); }

void FrameOnScreen::ClickCaptionButton(int id) {
  const Placed frame = Frame();
  for (const CaptionButton& button : CaptionButtons()) {
    if (button.id != id) continue;
    const PixelRect place = CaptionButtonPlace(button, frame.width);
    ClickAt(frame.x + place.x + place.width / 2, frame.y + place.y + place.height / 2);
  }
}

int FrameOnScreen::WaitExit(int timeoutMs) {
  int code = -1;
  WaitUntil(
      [&] {
        int status = 0;
        if (launcher_ <= 0 || waitpid(launcher_, &status, WNOHANG) != launcher_) return false;
        launcher_ = -1;
        code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
      },
      timeoutMs, 50);
  return code;
}

std::string FrameOnScreen::Errors() const { return ReadFile(errors_); }

int FrameOnScreen::GamePageRequests() const { return PortalCount("prefix=/qmr/play_gamecode"); }

}  // namespace qm::test
