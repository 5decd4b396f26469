// A stand-in for the two processes of the game frame, built on the real
// channel, embedding and watchdog, for the tests that need real processes.
//
//   game_probe "<path>" -frameWnd=<id> -gameurl=<url>
//       plays the game process: the game window embedded into the frame <id>,
//       announced with WM_GAMEWND_ATTACHED, answering FIT, RELOAD and CLOSE
//       through GameWindowController, with the frame watchdog running. Its
//       "view" only writes what happens to it to the log file named by the
//       environment variable QM_PROBE_LOG.
//   game_probe --frame
//       plays the frame: a window with the place for the game window that
//       starts a game probe for itself with the game process command line and
//       stores the handle it announces. Logs "frame <id>" and "attached <id>".
//
// On Linux, SIGUSR1 hides the game window (to see FIT show it again).
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/launch_mode.h"
#include "platform/paths.h"
#include "base/text.h"
#include "frame/event_loop.h"
#include "frame/game_channel.h"
#include "frame/game_process.h"
#include "platform/process.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/owners.h"
#else
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include "ui/linux/gtk_owners.h"
#include "ui/linux/skin_image.h"
#endif

namespace qm {
namespace {

void Log(const std::string& line) {
  const char* path = std::getenv("QM_PROBE_LOG");
  if (!path) return;
  if (FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

int ProcessId() {
#ifdef _WIN32
  return static_cast<int>(GetCurrentProcessId());
#else
  return static_cast<int>(getpid());
#endif
}

class ProbeGameWindow : public GameWindowPort {
 public:
  ProbeGameWindow(EmbeddedGameWindow& window, WindowId frame) : window_(window), frame_(frame) {}
  void SetChannel(GameChannel* channel) { channel_ = channel; }

  void CreateView() override {
    view_ = true;
    Log("create view");
#ifndef _WIN32
    // A green stand-in for the page, so that a screenshot shows where the
    // game window is drawn inside the frame.
    // The frame's window may be destroyed first, and the stand-in with it:
    // the owner's slot is then emptied, so it destroys nothing twice.
    GtkWidget** slot = area_.put();
    *slot = gtk_drawing_area_new();
    g_signal_connect(*slot, "destroy", G_CALLBACK(gtk_widget_destroyed), slot);
    g_signal_connect(area_.get(), "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* cr, gpointer) -> gboolean {
                       cairo_set_source_rgb(cr, 0x2E / 255.0, 0x7D / 255.0, 0x32 / 255.0);
                       cairo_paint(cr);
                       return TRUE;
                     }),
                     nullptr);
    gtk_fixed_put(GTK_FIXED(window_.ChildParent()), area_.get(), 0, 0);
    gtk_widget_show(area_.get());
#endif
  }
  bool HasView() override { return view_; }
  void NavigateView(const std::wstring& url) override { Log("navigate " + Utf8FromWide(url)); }
  void DestroyView() override {
    view_ = false;
    Log("destroy view");
#ifndef _WIN32
    area_.reset();
#endif
  }
  void FitViewToClient() override {
#ifndef _WIN32
    GtkAllocation allocation;
    gtk_widget_get_allocation(window_.Window(), &allocation);
    if (area_) gtk_widget_set_size_request(area_.get(), allocation.width, allocation.height);
#endif
  }
  PixelRect FrameClientRect() override { return window_.FrameClientRect(); }
  void MoveGameWindow(const PixelRect& rect, bool repaint) override { window_.Move(rect, repaint); }
  bool IsGameWindowVisible() override { return window_.IsVisible(); }
  void ShowGameWindow() override {
    Log("show");
    window_.Show();
  }
  WindowId EmbedInFrame() override { return window_.Embed(); }
  void SendToFrame(const GameMessage& message) override {
    const auto answer = channel_->Send(frame_, message);
    Log("sent " + std::to_string(message.message) + " answer " + (answer ? std::to_string(*answer) : "none"));
  }
  void StartWatchdog() override { StartFrameWatchdog(frame_, window_.Id()); }
  void PostQuit(int code) override {
    Log("quit " + std::to_string(code));
    QuitEventLoop();
  }

 private:
  EmbeddedGameWindow& window_;
  WindowId frame_;
  GameChannel* channel_ = nullptr;
  bool view_ = false;
#ifndef _WIN32
  UniqueWidget area_;
#endif
};

int RunGame(const GameArguments& args) {
  Log("game pid " + std::to_string(ProcessId()));
  std::unique_ptr<EmbeddedGameWindow> window = EmbeddedGameWindow::Create(args.frameHandle);
  if (!window) {
    Log("no game window");
    return 3;
  }
  Log("game window " + std::to_string(window->Id()));
  ProbeGameWindow port(*window, args.frameHandle);
  GameWindowController game(port, args.frameHandle, args.gameUrl);
  std::unique_ptr<GameChannel> channel =
      GameChannel::Listen(window->Window(), [&](const GameMessage& message) -> std::optional<std::int64_t> {
        Log("got " + std::to_string(message.message) + " " + std::to_string(message.wParam));
        return game.OnMessage(message);
      });
  port.SetChannel(channel.get());
  window->SetResizeHandler([&](int, int) { game.OnSize(); });
#ifndef _WIN32
  g_unix_signal_add(
      SIGUSR1,
      +[](gpointer data) -> gboolean {
        gtk_widget_hide(static_cast<EmbeddedGameWindow*>(data)->Window());
        Log("hidden");
        return G_SOURCE_CONTINUE;
      },
      window.get());
#endif
  game.Start();
  RunEventLoop();
  Log("game ends");
  return 0;
}

#ifdef _WIN32
using FrameOwner = UniqueHwnd;
FrameOwner CreateFrameWindow() {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = DefWindowProcW;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = L"QmProbeFrame";
  RegisterClassExW(&cls);
  return FrameOwner(CreateWindowExW(0, cls.lpszClassName, L"probe frame", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                    100, 100, 1000, 700, nullptr, nullptr, cls.hInstance, nullptr));
}
#else
using FrameOwner = UniqueWidget;
FrameOwner CreateFrameWindow() {
  GtkWidget* frame = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(frame), "probe frame");
  gtk_window_set_decorated(GTK_WINDOW(frame), FALSE);
  gtk_window_set_default_size(GTK_WINDOW(frame), 1000, 700);
  gtk_container_add(GTK_CONTAINER(frame), gtk_layout_new(nullptr, nullptr));
  gtk_widget_show_all(frame);
  return FrameOwner(frame);
}
NativeWindow ChildParentOf(NativeWindow frame) { return gtk_bin_get_child(GTK_BIN(frame)); }
#endif

int RunFrame() {
  const FrameOwner owner = CreateFrameWindow();  // outlives the site and the channel
  NativeWindow frame = owner.get();
#ifdef _WIN32
  NativeWindow childParent = frame;
#else
  NativeWindow childParent = ChildParentOf(frame);
#endif
  std::unique_ptr<GameEmbedSite> site = GameEmbedSite::Create(frame, childParent);
  WindowId gameWindow = 0;
  std::unique_ptr<GameChannel> channel =
      GameChannel::Listen(frame, [&](const GameMessage& message) -> std::optional<std::int64_t> {
        if (message.message != WM_GAMEWND_ATTACHED) return std::nullopt;
        gameWindow = message.wParam;
        Log("attached " + std::to_string(gameWindow));
        return 0;
      });
  if (!site || !channel) return 4;
  Log("frame pid " + std::to_string(ProcessId()));
  Log("frame " + std::to_string(channel->Id()));
  const std::wstring executable = QuerySystemFolders().modulePath;
  StartProcess(executable, GameProcessCommandLine(executable, channel->Id(), L"http://127.0.0.1:9/play_gamecode?frame"));
  RunEventLoop();
  return 0;
}

}  // namespace
}  // namespace qm

#ifdef _WIN32
int wmain() {
#else
int main() {
  if (!qm::EnsureGtk()) return 2;
#endif
  const std::wstring line = qm::CurrentCommandLine();
  if (line.find(L"--frame") != std::wstring::npos) return qm::RunFrame();
  const qm::GameArguments args = qm::ReadGameArguments(line);
  if (args.frameHandle == 0) return 1;
  return qm::RunGame(args);
}
