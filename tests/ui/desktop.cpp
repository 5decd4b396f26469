#include "desktop.h"

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include "base/text.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/owners.h"
#else
#include <X11/Xlib.h>
#include <glib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/owners.h"
extern char** environ;
#endif

namespace qm::test {

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void PumpPendingEvents() {
#ifdef _WIN32
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
#else
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
#endif
}

void PumpEvents(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    PumpPendingEvents();
    SleepMs(5);
  } while (std::chrono::steady_clock::now() < end);
}

std::string ShotDir() {
  static const std::string dir = [] {
    const std::string d = QM_SCREENSHOT_DIR;
    Shell("mkdir -p '" + d + "'");
    return d;
  }();
  return dir;
}

namespace {

int ShellValue(const std::string& text, const std::string& key) {
  const auto at = text.find(key + "=");
  return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + key.size() + 1);
}

}  // namespace

std::optional<Placed> FindWindowByName(const std::string& title, int timeoutMs) {
  // Measured on the clock: under Wine each look costs a second or more on a
  // busy machine, so counting the pauses alone waited many times the time.
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    std::istringstream ids(Shell("xdotool search --onlyvisible --name '^" + title + "$'"));
    std::string id;
    if (ids >> id) {
      const std::string g = Shell("xdotool getwindowgeometry --shell " + id);
      Placed p{id, ShellValue(g, "X"), ShellValue(g, "Y"), ShellValue(g, "WIDTH"), ShellValue(g, "HEIGHT")};
      if (p.width > 0) return p;
    }
    PumpEvents(100);
  }
  return std::nullopt;
}

Picture Capture(const Placed& box, const std::string& name, int settleMs) {
  if (settleMs > 0) PumpEvents(settleMs);  // let the last paint reach the screen
  const std::string png = ShotDir() + "/" + name + ".png";
  const std::string raw = ShotDir() + "/." + name + ".rgb";
  const std::string geometry = std::to_string(box.width) + "x" + std::to_string(box.height) + "+" +
                               std::to_string(box.x) + "+" + std::to_string(box.y);
  Shell("import -window root -crop " + geometry + " +repage '" + png + "' && convert '" + png + "' -depth 8 'rgb:" +
        raw + "'");
  Picture p{box.width, box.height, ReadHostFile(raw)};
  Shell("rm -f '" + raw + "'");
  return p;
}

#ifdef _WIN32

namespace {

std::wstring WindowsPathOf(const std::string& hostPath) {
  std::wstring path = L"Z:" + WideFromUtf8(hostPath);
  for (auto& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

}  // namespace

std::string ReadHostFile(const std::string& hostPath) {
  std::ifstream in(WindowsPathOf(hostPath).c_str(), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Wine starts Unix programs through CreateProcess but cannot wait for them,
// so the command runs from a script file (UTF-8, untouched by code pages)
// that writes its output and then a marker file, which is polled.
std::string Shell(const std::string& command) {
  // Named by a random token of this process as well as its id: process ids
  // are only unique within one Wine server, and test programs in other
  // prefixes (other build trees) write to the same /tmp.
  static const std::string token = std::to_string(std::random_device{}());
  static int counter = 0;
  const std::string base = "/tmp/qm-ui-shell-" + std::to_string(GetCurrentProcessId()) + "-" + token + "-" +
                           std::to_string(++counter);
  {
    std::ofstream script(WindowsPathOf(base + ".sh").c_str(), std::ios::binary);
    script << "( " << command << " ) > " << base << ".out 2>/dev/null\necho $? > " << base << ".tmp\nmv " << base
           << ".tmp " << base << ".done\n";
  }
  std::wstring wide = WideFromUtf8("/bin/sh " + base + ".sh");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info))
    return {};
  // Not waited for: Wine cannot wait for a Unix program (see above).
  const UniqueHandle thread(info.hThread), process(info.hProcess);
  const std::wstring done = WindowsPathOf(base + ".done");
  for (int i = 0; i < 3000 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(10);
  std::string out = ReadHostFile(base + ".out");
  DeleteFileW(done.c_str());
  DeleteFileW(WindowsPathOf(base + ".sh").c_str());
  DeleteFileW(WindowsPathOf(base + ".out").c_str());
  return out;
}

struct BackgroundChild::State {
  UniqueHandle process, thread;
  bool started = false;
};

BackgroundChild::BackgroundChild(const std::wstring& program, const std::vector<std::wstring>& args) : state_(new State) {
  std::wstring line = L"\"" + program + L"\"";
  // Arguments are quoted only when they must be: the launch modes read the
  // command line's text as it stands.
  for (const auto& a : args)
    line += a.empty() || a.find_first_of(L" \t") != std::wstring::npos ? L" \"" + a + L"\"" : L" " + a;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  state_->started =
      CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info) != FALSE;
  if (state_->started) {
    state_->process.reset(info.hProcess);
    state_->thread.reset(info.hThread);
  }
}

BackgroundChild::~BackgroundChild() {
  if (state_->started && WaitForSingleObject(state_->process.get(), 0) != WAIT_OBJECT_0) {
    TerminateProcess(state_->process.get(), 255);
    WaitForSingleObject(state_->process.get(), 5000);
  }
  delete state_;
}

bool BackgroundChild::started() const { return state_->started; }

int BackgroundChild::Wait(int timeoutMs) {
  if (!state_->started) return -1;
  if (WaitForSingleObject(state_->process.get(), static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(state_->process.get(), &code);
  return static_cast<int>(code);
}

void RequestWindowClose(const std::string&) {}

#else

void RequestWindowClose(const std::string& xWindowId) {
  struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
  };
  const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) return;
  const Window window = std::strtoul(xWindowId.c_str(), nullptr, 10);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display.get(), window, False, NoEventMask, &event);
  XFlush(display.get());
}

std::string ReadHostFile(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::string Shell(const std::string& command) {
  std::string out;
  const ProcessPipePtr pipe(popen(command.c_str(), "r"));
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
  return out;
}

struct BackgroundChild::State {
  pid_t pid = -1;
  bool ended = false;
  int code = -1;
};

BackgroundChild::BackgroundChild(const std::wstring& program, const std::vector<std::wstring>& args) : state_(new State) {
  std::vector<std::string> strings{Utf8FromWide(program)};
  for (const auto& a : args) strings.push_back(Utf8FromWide(a));
  std::vector<char*> argv;
  for (auto& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);
  if (posix_spawn(&state_->pid, strings[0].c_str(), nullptr, nullptr, argv.data(), environ) != 0) state_->pid = -1;
}

BackgroundChild::~BackgroundChild() {
  if (state_->pid > 0 && !state_->ended) {
    kill(state_->pid, SIGKILL);
    waitpid(state_->pid, nullptr, 0);
  }
  delete state_;
}

bool BackgroundChild::started() const { return state_->pid > 0; }

int BackgroundChild::Wait(int timeoutMs) {
  if (state_->pid <= 0) return -1;
  if (state_->ended) return state_->code;
  for (int waited = 0; waited <= timeoutMs; waited += 10) {
    int status = 0;
    if (waitpid(state_->pid, &status, WNOHANG) == state_->pid) {
      state_->ended = true;
      state_->code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return state_->code;
    }
    SleepMs(10);
  }
  return -1;
}

#endif

}  // namespace qm::test
