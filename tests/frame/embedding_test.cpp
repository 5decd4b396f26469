// The game process protocol between real processes: this test is the frame
// (a real window with the place for the game window and the channel), the
// probe program plays the game process through the real embedding, channel,
// watchdog and game window rules. Checked through the window system: the game
// window's parent and geometry inside the frame, its visibility, and the
// probe's log of what its view was asked to do. Under Wine the foreign child
// is not drawn, so nothing here looks at pixels.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "platform/paths.h"
#include "base/text.h"
#include "frame/game_channel.h"
#include "frame/game_process.h"
#include "platform/process.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/owners.h"
#else
// Before the X11 headers, whose FillSolid and FillTiled are macros.
#include "ui/linux/gtk_owners.h"
#include "ui/linux/skin_image.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <sys/wait.h>
#endif

namespace qm {
namespace {

using Clock = std::chrono::steady_clock;

std::wstring ProbePath() {
  std::wstring self = QuerySystemFolders().modulePath;
  const size_t slash = self.find_last_of(L"\\/");
#ifdef _WIN32
  return self.substr(0, slash + 1) + L"qm_game_probe.exe";
#else
  return self.substr(0, slash + 1) + L"qm_game_probe";
#endif
}

void SetEnv(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value.c_str());
#else
  setenv(name.c_str(), value.c_str(), 1);
#endif
}

// ---- the frame window of this test, per window system ----

#ifdef _WIN32
struct NativeFrame {
  HWND hwnd = nullptr;
  UniqueHwnd owner;
  NativeFrame() {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    cls.lpszClassName = L"QmTestFrame";
    RegisterClassExW(&cls);
    owner.reset(CreateWindowExW(0, cls.lpszClassName, L"test frame", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 50, 50,
                                1000, 700, nullptr, nullptr, cls.hInstance, nullptr));
    hwnd = owner.get();
  }
  NativeWindow window() const { return hwnd; }
  NativeWindow childParent() const { return hwnd; }
  void PumpOnce() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
  void Resize(int width, int height) { SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER); }
  static HWND Hwnd(WindowId id) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(id)); }
  // The game window's rectangle in the frame's client coordinates.
  PixelRect ChildRect(WindowId game) const {
    RECT r{};
    GetWindowRect(Hwnd(game), &r);
    MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
  }
  bool IsEmbedded(WindowId game) const {
    return GetParent(Hwnd(game)) == hwnd && IsChild(hwnd, Hwnd(game)) &&
           (GetWindowLongPtrW(Hwnd(game), GWL_STYLE) & WS_CHILD) != 0;
  }
  bool IsShown(WindowId game) const { return IsWindowVisible(Hwnd(game)) != FALSE; }
  void Hide(WindowId game, int) { ShowWindow(Hwnd(game), SW_HIDE); }
};
#else
struct NativeFrame {
  GtkWidget* toplevel = nullptr;
  GtkWidget* layout = nullptr;
  UniqueWidget owner;
  NativeFrame() {
    owner.reset(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    toplevel = owner.get();
    gtk_window_set_title(GTK_WINDOW(toplevel), "test frame");
    gtk_window_set_decorated(GTK_WINDOW(toplevel), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(toplevel), 1000, 700);
    gtk_window_move(GTK_WINDOW(toplevel), 50, 50);
    layout = gtk_layout_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(toplevel), layout);
    gtk_widget_show_all(toplevel);
  }
  NativeWindow window() const { return toplevel; }
  NativeWindow childParent() const { return layout; }
  void PumpOnce() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    g_usleep(10000);
  }
  void Resize(int width, int height) { gtk_window_resize(GTK_WINDOW(toplevel), width, height); }
  static Display* X() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }
  Window Xid() const { return gdk_x11_window_get_xid(gtk_widget_get_window(toplevel)); }
  PixelRect ChildRect(WindowId game) const {
    int x = 0, y = 0;
    Window child = 0, root = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    int gx = 0, gy = 0;
    XTranslateCoordinates(X(), static_cast<Window>(game), Xid(), 0, 0, &x, &y, &child);
    XGetGeometry(X(), static_cast<Window>(game), &root, &gx, &gy, &width, &height, &border, &depth);
    return {x, y, static_cast<int>(width), static_cast<int>(height)};
  }
  bool IsEmbedded(WindowId game) const {
    Window current = static_cast<Window>(game);
    for (int depth = 0; depth < 16; ++depth) {
      Window root = 0, parent = 0, *children = nullptr;
      unsigned count = 0;
      if (!XQueryTree(X(), current, &root, &parent, &children, &count)) return false;
      if (children) XFree(children);
      if (parent == Xid()) return true;
      if (parent == root || parent == 0) return false;
      current = parent;
    }
    return false;
  }
  bool IsShown(WindowId game) const {
    XWindowAttributes attributes{};
    XGetWindowAttributes(X(), static_cast<Window>(game), &attributes);
    return attributes.map_state == IsViewable;
  }
  void Hide(WindowId, int gamePid) { kill(gamePid, SIGUSR1); }
};
#endif

// ---- processes ----

bool ProcessAlive(int pid) {
#ifdef _WIN32
  const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid)));
  return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
#else
  // Our own children are reaped here; others count as gone once zombies.
  int status = 0;
  if (waitpid(pid, &status, WNOHANG) == pid) return false;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (text.empty() || close == std::string::npos || close + 2 >= text.size()) return false;
  return text[close + 2] != 'Z';
#endif
}

void KillProcess(int pid) {
#ifdef _WIN32
  if (const UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid))); process) {
    TerminateProcess(process.get(), 9);
  }
#else
  kill(pid, SIGKILL);
#endif
}

class EmbeddingTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    ASSERT_TRUE(EnsureGtk()) << "needs an X display";
#endif
    log_ = Utf8FromWide(temp_.wide()) + "/probe.log";
    SetEnv("QM_PROBE_LOG", log_);
    frame_ = std::make_unique<NativeFrame>();
    site_ = GameEmbedSite::Create(frame_->window(), frame_->childParent());
    ASSERT_TRUE(site_);
    channel_ = GameChannel::Listen(frame_->window(), [this](const GameMessage& m) -> std::optional<std::int64_t> {
      if (m.message != WM_GAMEWND_ATTACHED) return std::nullopt;
      attached_ = m.wParam;
      return 0;
    });
    ASSERT_TRUE(channel_);
    PumpFor(300);
  }
  void TearDown() override {
    if (gamePid_ > 0 && ProcessAlive(gamePid_)) KillProcess(gamePid_);
    if (gamePid_ > 0) WaitUntil([&] { return !ProcessAlive(gamePid_); }, 3000);
    channel_.reset();
    site_.reset();
    frame_.reset();
  }

  std::string Log() const {
    std::ifstream in(log_);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  int Count(const std::string& line) const {
    std::istringstream in(Log());
    std::string l;
    int n = 0;
    while (std::getline(in, l))
      if (l == line) ++n;
    return n;
  }
  int LoggedNumber(const std::string& prefix) const {
    std::istringstream in(Log());
    std::string l;
    while (std::getline(in, l))
      if (l.rfind(prefix, 0) == 0) return std::atoi(l.c_str() + prefix.size());
    return 0;
  }
  bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < end) {
      if (done()) return true;
      if (frame_) frame_->PumpOnce();
      else std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
  }
  void PumpFor(int ms) {
    WaitUntil([] { return false; }, ms);
  }

  // Starts the probe as the game process of this frame with the real
  // command line and waits for its announcement.
  void StartGame() {
    ASSERT_TRUE(StartProcess(ProbePath(), GameProcessCommandLine(ProbePath(), channel_->Id(), kUrl)));
    ASSERT_TRUE(WaitUntil([&] { return attached_ != 0; }, 20000)) << Log();
    gamePid_ = LoggedNumber("game pid ");
    ASSERT_GT(gamePid_, 0);
  }

  PixelRect FrameClient() const {
    return {0, 0, 1000, 700};
  }

  static inline const std::wstring kUrl = L"http://127.0.0.1:9/play_gamecode?svname=%E4%B8%80%E5%8C%BA&u=a b";
  test::TempDir temp_;
  std::string log_;
  std::unique_ptr<NativeFrame> frame_;
  std::unique_ptr<GameEmbedSite> site_;
  std::unique_ptr<GameChannel> channel_;
  WindowId attached_ = 0;
  int gamePid_ = 0;
};

TEST_F(EmbeddingTest, GameWindowEmbedsUnderTheStripAndAnnouncesItself) {
  StartGame();
  EXPECT_EQ(attached_, LoggedNumber("game window "));
  EXPECT_TRUE(frame_->IsEmbedded(attached_));
  // The whole URL, spaces included, came through the command line.
  EXPECT_EQ(Count("navigate " + Utf8FromWide(kUrl)), 1) << Log();
  EXPECT_EQ(Count("sent 3025 answer 0"), 1) << Log();
  EXPECT_TRUE(WaitUntil([&] { return frame_->ChildRect(attached_) == PixelRect{0, 30, 1000, 670}; }, 3000))
      << frame_->ChildRect(attached_).y << " " << frame_->ChildRect(attached_).height;
  EXPECT_TRUE(WaitUntil([&] { return frame_->IsShown(attached_); }, 3000));
}

TEST_F(EmbeddingTest, OnlyTheGameWindowOfThisPlaceAndOfTheStartedProcessIsTheGame) {
  StartGame();
  EXPECT_TRUE(site_->HoldsGameWindow(attached_, gamePid_));
  // Anything on the display can announce a window: the frame itself, no
  // window, the root window, another program's window.
  EXPECT_FALSE(site_->HoldsGameWindow(0, gamePid_));
  EXPECT_FALSE(site_->HoldsGameWindow(channel_->Id(), gamePid_));
#ifdef _WIN32
  // The right window from another process's point of view: the frame only
  // takes the game window of the process it started.
  EXPECT_FALSE(site_->HoldsGameWindow(attached_, static_cast<long>(GetCurrentProcessId())));
  EXPECT_FALSE(site_->HoldsGameWindow(attached_, 0));
  // A child of the frame that another process put there.
  UniqueHwnd intruder(CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 30, 10, 10, frame_->hwnd, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(intruder);
  const auto idOf = [](HWND hwnd) { return static_cast<WindowId>(reinterpret_cast<INT_PTR>(hwnd)); };
  EXPECT_FALSE(site_->HoldsGameWindow(idOf(intruder.get()), gamePid_));
  EXPECT_FALSE(site_->HoldsGameWindow(idOf(GetDesktopWindow()), gamePid_));
#else
  EXPECT_FALSE(site_->HoldsGameWindow(static_cast<WindowId>(DefaultRootWindow(NativeFrame::X())), gamePid_));
  NativeFrame other;
  EXPECT_FALSE(site_->HoldsGameWindow(static_cast<WindowId>(other.Xid()), gamePid_));
#endif
}

#ifndef _WIN32
void Shell_(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::printf("failed: %s\n", command.c_str());
}

// What the screen shows at a point of the frame's client area.
struct Rgb {
  int r, g, b;
};
Rgb ScreenPixel(GtkWidget* toplevel, int x, int y) {
  int originX = 0, originY = 0;
  gdk_window_get_origin(gtk_widget_get_window(toplevel), &originX, &originY);
  const GObjectPtr<GdkPixbuf> pixbuf(
      gdk_pixbuf_get_from_window(gdk_get_default_root_window(), originX + x, originY + y, 1, 1));
  if (!pixbuf) return {-1, -1, -1};
  const guchar* p = gdk_pixbuf_get_pixels(pixbuf.get());
  return {p[0], p[1], p[2]};
}
bool IsProbeGreen(Rgb c) { return c.r == 0x2E && c.g == 0x7D && c.b == 0x32; }

TEST_F(EmbeddingTest, TheGameWindowIsDrawnInsideTheFrameBelowTheStrip) {
  StartGame();
  ASSERT_TRUE(WaitUntil([&] { return IsProbeGreen(ScreenPixel(frame_->toplevel, 500, 400)); }, 5000));
  for (auto [x, y] : {std::pair{1, 31}, std::pair{998, 698}, std::pair{500, 30}}) {
    EXPECT_TRUE(IsProbeGreen(ScreenPixel(frame_->toplevel, x, y))) << x << "," << y;
  }
  // The strip stays the frame's own.
  EXPECT_FALSE(IsProbeGreen(ScreenPixel(frame_->toplevel, 500, 15)));
  EXPECT_FALSE(IsProbeGreen(ScreenPixel(frame_->toplevel, 500, 29)));
  Shell_("import -window root -crop 1000x700+50+50 +repage '" QM_SCREENSHOT_DIR "/frame_embedded_game_window.png'");
  // Covering the whole client area, the strip is the game's too.
  EXPECT_EQ(channel_->Send(attached_, {WM_GAMEWND_FIT, 1, 0}), 0);
  EXPECT_TRUE(WaitUntil([&] { return IsProbeGreen(ScreenPixel(frame_->toplevel, 500, 15)); }, 5000));
}
#endif

TEST_F(EmbeddingTest, FitCoversTheClientOrLeavesTheStripAndShowsAHiddenWindow) {
  StartGame();
  struct Step {
    std::int64_t wParam;
    PixelRect rect;
  };
  for (const Step& step : {Step{1, {0, 0, 1000, 700}}, Step{0, {0, 30, 1000, 670}}, Step{1, {0, 0, 1000, 700}}}) {
    SCOPED_TRACE(step.wParam);
    EXPECT_EQ(channel_->Send(attached_, {WM_GAMEWND_FIT, step.wParam, 0}), 0);
    EXPECT_TRUE(WaitUntil([&] { return frame_->ChildRect(attached_) == step.rect; }, 3000))
        << frame_->ChildRect(attached_).y << " " << frame_->ChildRect(attached_).height;
  }
  // The frame changes size; the fit follows its new client area.
  frame_->Resize(800, 500);
  PumpFor(300);
  EXPECT_EQ(channel_->Send(attached_, {WM_GAMEWND_FIT, 0, 0}), 0);
  EXPECT_TRUE(WaitUntil([&] { return frame_->ChildRect(attached_) == PixelRect{0, 30, 800, 470}; }, 3000))
      << frame_->ChildRect(attached_).width << " " << frame_->ChildRect(attached_).height;

  frame_->Hide(attached_, gamePid_);
  ASSERT_TRUE(WaitUntil([&] { return !frame_->IsShown(attached_); }, 3000));
  EXPECT_EQ(channel_->Send(attached_, {WM_GAMEWND_FIT, 0, 0}), 0);
  EXPECT_TRUE(WaitUntil([&] { return frame_->IsShown(attached_); }, 3000));
}

TEST_F(EmbeddingTest, ReloadIsPostedAndNavigatesToTheGameUrlAgain) {
  StartGame();
  EXPECT_TRUE(channel_->Post(attached_, {WM_GAMEWND_RELOAD, 0, 0}));
  EXPECT_TRUE(channel_->Post(attached_, {WM_GAMEWND_RELOAD, 0, 0}));
  EXPECT_TRUE(WaitUntil([&] { return Count("navigate " + Utf8FromWide(kUrl)) == 3; }, 5000)) << Log();
}

TEST_F(EmbeddingTest, CloseEndsTheGameProcessAndLaterSendsFindNoWindow) {
  StartGame();
  EXPECT_EQ(channel_->Send(attached_, {kGameWindowClose, 0, 0}), 0);
  EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(gamePid_); }, 5000));
  const std::string log = Log();
  EXPECT_NE(log.find("destroy view\nquit 0\n"), std::string::npos) << log;
  EXPECT_NE(log.find("game ends"), std::string::npos) << log;
  EXPECT_TRUE(WaitUntil([&] { return !GameWindowExists(attached_); }, 3000));
  EXPECT_EQ(channel_->Send(attached_, {WM_GAMEWND_FIT, 0, 0}, 60000), std::nullopt);
  EXPECT_FALSE(channel_->Post(attached_, {WM_GAMEWND_RELOAD, 0, 0}) && GameWindowExists(attached_));
}

#ifndef _WIN32
TEST_F(EmbeddingTest, SendTimesOutWhenTheGameProcessDoesNotAnswer) {
  StartGame();
  kill(gamePid_, SIGSTOP);
  const auto start = Clock::now();
  EXPECT_EQ(channel_->Send(attached_, {WM_GAMEWND_FIT, 0, 0}, 700), std::nullopt);
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  std::printf("send to a stopped game process gave up after %lld ms\n", static_cast<long long>(waited));
  EXPECT_GE(waited, 650);
  kill(gamePid_, SIGCONT);
  // The late answer of the stopped request does not confuse the next one.
  EXPECT_EQ(channel_->Send(attached_, {WM_GAMEWND_FIT, 1, 0}), 0);
}
#endif

#ifndef _WIN32
// Client messages as another program on the display sends them, over a
// connection of its own.
class OtherClient {
 public:
  OtherClient() : display_(XOpenDisplay(nullptr)) {}
  void Send(WindowId target, const char* type, const long (&data)[5]) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(target);
    event.xclient.message_type = XInternAtom(display_.get(), type, False);
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i) event.xclient.data.l[i] = data[i];
    XSendEvent(display_.get(), static_cast<Window>(target), False, NoEventMask, &event);
  }
  void Sync() { XSync(display_.get(), False); }

 private:
  struct Closer {
    void operator()(Display* display) const { XCloseDisplay(display); }
  };
  std::unique_ptr<Display, Closer> display_;
};

TEST_F(EmbeddingTest, AnswersNoSendWaitsForAreDropped) {
  StartGame();
  // Answers to requests the frame never sent, for every sequence number its
  // next sends will use.
  OtherClient other;
  for (long sequence = 1; sequence <= 2000; ++sequence) {
    const long forged[5] = {sequence, 777, 1, 0, 0};
    other.Send(channel_->Id(), "_QM_GAME_ANSWER", forged);
  }
  other.Sync();
  PumpFor(500);
  // A stopped game process answers nothing: the send must wait for its
  // time-out, not take a forged answer that came before it.
  kill(gamePid_, SIGSTOP);
  EXPECT_EQ(channel_->Send(attached_, {WM_GAMEWND_FIT, 0, 0}, 700), std::nullopt);
  EXPECT_EQ(channel_->Send(attached_, {WM_GAMEWND_FIT, 0, 0}, 700), std::nullopt);
  kill(gamePid_, SIGCONT);
  EXPECT_EQ(channel_->Send(attached_, {WM_GAMEWND_FIT, 1, 0}), 0);
}

TEST_F(EmbeddingTest, APlaceWithNumbersOutsideTheScreenStaysInsideTheFrame) {
  StartGame();
  // The frame's children's container has the frame's client size, as the
  // frame's window host gives it.
  gtk_widget_set_size_request(frame_->layout, 1000, 700);
  PumpFor(200);
  OtherClient other;
  const long limits[][5] = {
      {2147483647, 2147483647, 2147483647, 2147483647, 0},
      {-2147483647 - 1, -2147483647 - 1, -2147483647 - 1, -2147483647 - 1, 0},
      {2147483600, 10, 2147483647, 100, 0},
      {10, -5, -2147483647 - 1, 2147483647, 0},
  };
  for (const auto& place : limits) other.Send(static_cast<WindowId>(frame_->Xid()), "_QM_GAME_PLACE", place);
  other.Sync();
  PumpFor(500);
  const PixelRect rect = frame_->ChildRect(attached_);
  EXPECT_GE(rect.x, 0);
  EXPECT_GE(rect.y, 0);
  EXPECT_LE(rect.x + rect.width, 1000);
  EXPECT_LE(rect.y + rect.height, 700);
  // The game's own place is taken again afterwards.
  EXPECT_EQ(channel_->Send(attached_, {WM_GAMEWND_FIT, 0, 0}), 0);
  EXPECT_TRUE(WaitUntil([&] { return frame_->ChildRect(attached_) == PixelRect{0, 30, 1000, 670}; }, 3000))
      << frame_->ChildRect(attached_).x << "," << frame_->ChildRect(attached_).y << " "
      << frame_->ChildRect(attached_).width << "x" << frame_->ChildRect(attached_).height;
}
#endif

TEST_F(EmbeddingTest, WatchdogEndsTheGameProcessWhenItsFrameProcessIsKilled) {
  // The frame is a probe process of its own here, so that it can be killed.
  ASSERT_TRUE(StartProcess(ProbePath(), L"--frame"));
  // Killed once the game process has its answer: killed between taking the
  // announcement and answering it, the frame would leave the game process
  // waiting out its send's time-out before its watchdog starts.
  ASSERT_TRUE(WaitUntil([&] { return LoggedNumber("attached ") != 0 && Count("sent 3025 answer 0") == 1; }, 20000))
      << Log();
  const int framePid = LoggedNumber("frame pid ");
  gamePid_ = LoggedNumber("game pid ");
  ASSERT_GT(framePid, 0);
  ASSERT_GT(gamePid_, 0);
  ASSERT_TRUE(ProcessAlive(gamePid_));
  KillProcess(framePid);
  const auto killed = Clock::now();
  EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(gamePid_); }, 6000));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - killed).count();
  std::printf("game process ended %lld ms after its frame process was killed\n", static_cast<long long>(ms));
  WaitUntil([&] { return !ProcessAlive(framePid); }, 2000);
#ifndef _WIN32
  // The watchdog posted the close to its own game window first. (On Windows
  // the game window, a child of the killed frame, went with its parent, so
  // only the process exit remains.)
  EXPECT_NE(Log().find("got 16 0"), std::string::npos) << Log();
#endif
}

}  // namespace
}  // namespace qm
