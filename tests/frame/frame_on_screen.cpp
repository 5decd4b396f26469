#include "frame/frame_on_screen.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "frame/frame_controller.h"

namespace qm::test {
namespace {

const std::string kPortal = QM_DEMO_PORTAL;
const std::string kLauncher = QM_FRAME_LAUNCHER;
const std::string kPanel = QM_PANEL_PROBE;
const std::string kBase = "http://127.0.0.1:" + std::to_string(QM_FRAME_PORTAL_PORT);

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

}  // namespace

std::string PortalGet(const std::string& path) { return Shell("curl -s '" + kBase + path + "'"); }

int PortalCount(const std::string& query) { return std::atoi(PortalGet("/control/count?" + query).c_str()); }

Placed WindowPlace(const std::string& id) {
  if (id.empty()) return {};
  const std::string g = "\n" + Shell("xdotool getwindowgeometry --shell " + id + " 2>/dev/null");
  if (ShellValue(g, "WIDTH") <= 0) return {};
  return {id, ShellValue(g, "X"), ShellValue(g, "Y"), ShellValue(g, "WIDTH"), ShellValue(g, "HEIGHT")};
}

void FrameOnScreen::SetUpTestSuite() {
  Shell("(openbox >/dev/null 2>&1 & echo $! > /tmp/qm-frame-openbox.pid)");
  SleepMs(500);
  Shell("('" + kPanel + "' " + std::to_string(kPanelHeight) + " >/dev/null 2>&1 & echo $! > /tmp/qm-frame-panel.pid)");
  Shell("('" + kPortal + "' --port " + std::to_string(QM_FRAME_PORTAL_PORT) +
        " >/dev/null 2>&1 & echo $! > /tmp/qm-frame-portal.pid)");
  WaitUntil([] { return !PortalGet("/control/counts").empty(); }, 10000);
}

void FrameOnScreen::TearDownTestSuite() {
  PortalGet("/control/quit");
  Shell("kill $(cat /tmp/qm-frame-panel.pid) $(cat /tmp/qm-frame-openbox.pid) 2>/dev/null; rm -f /tmp/qm-frame-*.pid");
}

void FrameOnScreen::SetUp() { PortalGet("/control/reset"); }

void FrameOnScreen::TearDown() {
  if (launcher_ > 0) {
    kill(launcher_, SIGKILL);
    waitpid(launcher_, nullptr, 0);
  }
  for (pid_t pid : LauncherProcesses()) kill(pid, SIGKILL);
  WaitUntil([this] { return LauncherProcesses().empty(); }, 5000);
}

void FrameOnScreen::StartLauncher(const std::string& account, const std::string& server) {
  PortalGet("/control/auto-login?login=" + account + "@" + server);
  errors_ = data_.path() / "launcher-stderr.txt";
  launcher_ = fork();
  if (launcher_ == 0) {
    if (!freopen(errors_.c_str(), "w", stderr)) _exit(126);
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    execl(kLauncher.c_str(), kLauncher.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
}

std::optional<Placed> FrameOnScreen::WaitForFrame(int timeoutMs) {
  std::optional<Placed> frame;
  WaitUntil(
      [&] {
        std::istringstream ids(Shell("xdotool search --onlyvisible --name '^" + kFrameTitle + "$' 2>/dev/null"));
        for (std::string id; ids >> id;) {
          const Placed place = WindowPlace(id);
          if (place.width >= kRestoredWidth) {
            frame = place;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  if (frame) frameId_ = frame->id;
  return frame;
}

std::vector<pid_t> FrameOnScreen::GameProcesses() const { return Pids(kLauncher + ".* -frameWnd="); }

std::vector<pid_t> FrameOnScreen::LauncherProcesses() const { return Pids("^" + kLauncher); }

void FrameOnScreen::ClickCaptionButton(int id) {
  const Placed frame = Frame();
  for (const CaptionButton& button : CaptionButtons()) {
    if (button.id != id) continue;
    const PixelRect place = CaptionButtonPlace(button, frame.width);
    Shell("xdotool mousemove " + std::to_string(frame.x + place.x + place.width / 2) + " " +
          std::to_string(frame.y + place.y + place.height / 2) + " click 1");
  }
}

int FrameOnScreen::WaitExit(int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 100) {
    int status = 0;
    if (waitpid(launcher_, &status, WNOHANG) == launcher_) {
      launcher_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    SleepMs(100);
  }
  return -1;
}

std::string FrameOnScreen::Errors() const { return ReadFile(errors_); }

int FrameOnScreen::GamePageRequests() const { return PortalCount("prefix=/qmr/play_gamecode"); }

}  // namespace qm::test
