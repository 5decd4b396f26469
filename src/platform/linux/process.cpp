#include "platform/process.h"

#include <X11/Xlib.h>
#include <glib.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "base/text.h"

extern char** environ;

namespace qm {

std::wstring CurrentCommandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> args;
  size_t start = 0;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\0') {
      args.push_back(raw.substr(start, i - start));
      start = i + 1;
    }
  }
  if (args.size() <= 1) return L"\"" + WideFromUtf8(args.empty() ? std::string() : args[0]) + L"\"";
  // A starter that split the line into several arguments gets them joined
  // back with single spaces, as the one text it would have passed.
  std::string line = args[1];
  for (size_t i = 2; i < args.size(); ++i) line += " " + args[i];
  return WideFromUtf8(line);
}

namespace {

// The program's one argument is the whole command line.
std::optional<pid_t> Spawn(const std::wstring& program, const std::wstring& commandLine) {
  const std::string path = Utf8FromWide(program);
  const std::string line = Utf8FromWide(commandLine);
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  if (!commandLine.empty()) argv.push_back(const_cast<char*>(line.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ);
  if (rc != 0) {
    errno = rc;
    return std::nullopt;
  }
  return pid;
}

void ChildEnded(GPid pid, gint, gpointer data) {
  // GLib has reaped the child (waitpid on its id alone, so the children of
  // other parts of this process, the web engine's, are left to their owners).
  const std::unique_ptr<std::function<void()>> ended(static_cast<std::function<void()>*>(data));
  g_spawn_close_pid(pid);
  if (*ended) (*ended)();
}

}  // namespace

bool StartProcess(const std::wstring& program, const std::wstring& commandLine) {
  return Spawn(program, commandLine).has_value();
}

bool StartChildProcess(const std::wstring& program, const std::wstring& commandLine, ChildProcessWatch watch) {
  const std::optional<pid_t> pid = Spawn(program, commandLine);
  if (!pid) return false;
  if (watch.started) watch.started(static_cast<long>(*pid));
  g_child_watch_add(*pid, &ChildEnded, new std::function<void()>(std::move(watch.ended)));
  return true;
}

void ExitProcessNow(int code) { std::exit(code); }

long LastErrorCode() { return errno; }

namespace {
bool g_badWindow = false;
int RecordError(Display*, XErrorEvent*) {
  g_badWindow = true;
  return 0;
}
}  // namespace

bool WindowExists(long long handle) {
  if (handle <= 0) return false;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  g_badWindow = false;
  auto previous = XSetErrorHandler(RecordError);
  XWindowAttributes attributes;
  const Status ok = XGetWindowAttributes(display, static_cast<Window>(handle), &attributes);
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return ok != 0 && !g_badWindow;
}

}  // namespace qm
