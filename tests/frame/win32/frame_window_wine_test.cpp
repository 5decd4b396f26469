// The real frame window, CLander_KVDlg, wired to its real game process
// protocol, tray icon, hotkeys and prompts, checked from outside with Win32
// calls as another program sees it: the frame runs in qm_frame_window_host
// (a process of its own, as the launcher is), the game probe plays the game
// process, started by the frame with the game process command line. Only the
// login (no HTML engine under Wine), the prompts' box (answers scripted) and
// the new launcher of choose-server (recorded) are given from outside; see
// frame_window_host.cpp. Under Wine a child window of another process is not
// drawn, so the game window is checked by its state, not by pixels.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../../ui/desktop.h"
#include "base/string_rows.h"
#include "base/text.h"
#include "frame/cache_cleaning.h"
#include "frame/frame_commands.h"
#include "frame/frame_controller.h"
#include "frame/game_messages.h"
#include "frame/hotkeys.h"
#include "frame/tray_icon.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "platform/win32/owners.h"
#include "support/temp_dir.h"
#include "ui/message_box_layout.h"

namespace qm {
namespace {

using Clock = std::chrono::steady_clock;

// A server name in the URL (percent-encoded "一区") and a space, which the
// game process must get unchanged as the last thing on its command line.
const std::wstring kGameUrl = L"http://127.0.0.1:9/play_gamecode?svname=%E4%B8%80%E5%8C%BA/x&u=a b";

std::wstring BesideThisTest(const std::wstring& name) {
  const std::wstring self = QuerySystemFolders().modulePath;
  return self.substr(0, self.find_last_of(L"\\/") + 1) + name;
}

HWND Hwnd(WindowId id) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(id)); }

PixelRect RectOf(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

PixelRect WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return RectOf(r);
}

// A window's rectangle in the client coordinates of another window.
PixelRect RectInClientOf(HWND hwnd, HWND parent) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return RectOf(r);
}

PixelRect ScreenRect() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// Where the maximized frame belongs: the work area's size at the origin that
// the taskbar gives.
PixelRect MaximizedRect() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  std::optional<PixelRect> taskbar;
  RECT bar{};
  if (HWND tray = FindWindowW(L"Shell_TrayWnd", L""); tray && GetWindowRect(tray, &bar)) taskbar = RectOf(bar);
  const PixelPoint origin = MaximizedOrigin(RectOf(work), taskbar);
  return {origin.x, origin.y, work.right - work.left, work.bottom - work.top};
}

PixelRect CentredRect() {
  const PixelRect screen = ScreenRect();
  return {(screen.width - kRestoredWidth) / 2, (screen.height - kRestoredHeight) / 2, kRestoredWidth,
          kRestoredHeight};
}

// The place of the game window below the strip of a frame of that size.
PixelRect BelowStrip(const PixelRect& frame) {
  return {0, kCaptionStripHeight, frame.width, frame.height - kCaptionStripHeight};
}
PixelRect WholeClient(const PixelRect& frame) { return {0, 0, frame.width, frame.height}; }

std::string Text(const PixelRect& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
         std::to_string(r.height);
}

// Whether the notification area holds the icon of this window: a modification
// that changes nothing succeeds only for an icon that is there.
bool TrayIconPresent(HWND frame) {
  NOTIFYICONDATAW record{};
  record.cbSize = sizeof record;
  record.hWnd = frame;
  record.uID = 0;
  record.uFlags = 0;
  return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

bool ProcessAlive(DWORD pid) {
  const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

void KillProcess(DWORD pid) {
  if (const UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid)); process) TerminateProcess(process.get(), 9);
}

// Lets this thread's own windows work while waiting.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < end) {
    if (done()) return true;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(20);
  }
  return done();
}

void Settle(int ms) { WaitUntil([] { return false; }, ms); }

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    // The probe writes its log in text mode.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// What another program sees of the frame and its game window.
struct FrameView {
  PixelRect rect;
  bool visible, zoomed, iconic;
  PixelRect game;
  bool gameVisible;
  bool maximizeButton, restoreButton, fullScreenButton;
  bool operator==(const FrameView&) const = default;
};

std::string Text(const FrameView& v) {
  std::ostringstream out;
  out << "frame " << Text(v.rect) << (v.visible ? " visible" : " hidden") << (v.zoomed ? " zoomed" : "")
      << (v.iconic ? " iconic" : "") << "; game " << Text(v.game) << (v.gameVisible ? " visible" : " hidden")
      << "; buttons max " << v.maximizeButton << " restore " << v.restoreButton << " full " << v.fullScreenButton;
  return out.str();
}

// The display has no window manager. Wine leaves the size of a maximized
// window that a window manager manages to that manager, so without one the
// frame's own sizing of its maximized window would not reach the X server and
// Wine would take the stale X geometry back later. Unmanaged, Wine places the
// frame's windows itself, as Windows does. Set for the host program only, in
// the build tree's own prefix.
void LetWinePlaceTheFrameItself() {
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\qm_frame_window_host.exe\\X11 Driver", 0,
                            nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr),
            ERROR_SUCCESS);
  const UniqueHKey key(created);
  const wchar_t no[] = L"N";
  ASSERT_EQ(RegSetValueExW(key.get(), L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(no), sizeof no),
            ERROR_SUCCESS);
}

class FrameWindowOnWine : public testing::Test {
 protected:
  static void SetUpTestSuite() { LetWinePlaceTheFrameItself(); }

  void SetUp() override {
    frameLog_ = Utf8FromWide(temp_.Sub(L"frame.log"));
    probeLog_ = Utf8FromWide(temp_.Sub(L"probe.log"));
    SetEnvironmentVariableW(L"QM_FRAME_LOG", temp_.Sub(L"frame.log").c_str());
    SetEnvironmentVariableW(L"QM_PROBE_LOG", temp_.Sub(L"probe.log").c_str());
    SetEnvironmentVariableW(L"QM_FRAME_GAME_URL", kGameUrl.c_str());
    SetEnvironmentVariableW(L"QM_FRAME_ENGINE_DATA", temp_.Sub(L"engine").c_str());
    SetEnvironmentVariableW(L"QM_FRAME_LINGER_MS", L"1500");
    SetEnvironmentVariableW(L"QM_FRAME_ANSWERS", L"");
  }

  void TearDown() override {
    if (HasFailure()) std::printf("frame log:\n%s\ngame probe log:\n%s\n", FrameLog().c_str(), ProbeLog().c_str());
    if (host_ && WaitForSingleObject(host_.get(), 0) == WAIT_TIMEOUT) TerminateProcess(host_.get(), 9);
    if (host_) WaitForSingleObject(host_.get(), 5000);
    if (gamePid_ && !WaitUntil([&] { return !ProcessAlive(gamePid_); }, 5000)) KillProcess(gamePid_);
  }

  // Starts the frame process with the prompts' answers and the program of
  // its game process, and waits until the game window has come in.
  void StartFrame(const std::wstring& answers = L"", const std::wstring& gameProgram = ProbeProgram()) {
    SetEnvironmentVariableW(L"QM_FRAME_ANSWERS", answers.c_str());
    SetEnvironmentVariableW(L"QM_FRAME_GAME_PROGRAM", gameProgram.c_str());
    const std::wstring host = BesideThisTest(L"qm_frame_window_host.exe");
    std::wstring line = L"\"" + host + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    ASSERT_TRUE(CreateProcessW(host.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &created));
    host_.reset(created.hProcess);
    const UniqueHandle thread(created.hThread);
    hostPid_ = created.dwProcessId;

    ASSERT_TRUE(WaitUntil([&] { return !FrameLogged("launch ").empty(); }, 30000)) << FrameLog();
    launchLine_ = FrameLogged("launch ");
    const std::size_t at = launchLine_.find("-frameWnd=");
    ASSERT_NE(at, std::string::npos) << launchLine_;
    frame_ = Hwnd(std::atoll(launchLine_.c_str() + at + 10));
    ASSERT_TRUE(IsWindow(frame_)) << launchLine_;
    ASSERT_TRUE(WaitUntil([&] { return (game_ = ForeignChild()) != nullptr; }, 30000))
        << FrameLog() << "\n" << ProbeLog();
    GetWindowThreadProcessId(game_, &gamePid_);
    if (gameProgram == ProbeProgram()) {
      // The probe tells what it was asked: the window it announced is this one.
      ASSERT_TRUE(WaitUntil([&] { return Count(probeLog_, "sent 3025 answer 0") == 1; }, 30000)) << ProbeLog();
      EXPECT_EQ(game_, Hwnd(std::atoll(ProbeLogged("game window ").c_str())));
      EXPECT_EQ(gamePid_, static_cast<DWORD>(std::atol(ProbeLogged("game pid ").c_str())));
    }
    // The frame fits the game window once it knows it, at its next change at
    // the latest; until then the window's own first place stands. The
    // launcher announces its game window only once its web control exists,
    // and under Wine (no HTML engine) the control's first navigation takes
    // 10-20 s under load when the prefix has no URL cache index, as after
    // the cache-cleaning tests have emptied it.
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(game_) != FALSE; }, 30000)) << FrameLog();
  }

  static std::wstring ProbeProgram() { return BesideThisTest(L"qm_game_probe.exe"); }

  // The frame's child window that another process owns: the game window.
  HWND ForeignChild() const {
    struct Search {
      HWND frame;
      DWORD framePid;
      HWND found = nullptr;
    } search{frame_, hostPid_};
    EnumChildWindows(
        frame_,
        [](HWND child, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          DWORD pid = 0;
          GetWindowThreadProcessId(child, &pid);
          if (GetParent(child) != s->frame || pid == s->framePid) return TRUE;
          s->found = child;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  FrameView View() const {
    auto shown = [&](int id) {
      HWND button = GetDlgItem(frame_, id);
      return button && (GetWindowLongPtrW(button, GWL_STYLE) & WS_VISIBLE) != 0;
    };
    return {WindowRect(frame_),         IsWindowVisible(frame_) != FALSE, IsZoomed(frame_) != FALSE,
            IsIconic(frame_) != FALSE,  RectInClientOf(game_, frame_),    IsWindowVisible(game_) != FALSE,
            shown(kButtonMaximize),     shown(kButtonRestore),            shown(kButtonFullScreen)};
  }
  FrameView MaximizedView() const {
    const PixelRect r = MaximizedRect();
    return {r, true, true, false, BelowStrip(r), true, false, true, true};
  }
  FrameView RestoredView() const {
    const PixelRect r = CentredRect();
    return {r, true, false, false, BelowStrip(r), true, true, false, true};
  }
  FrameView FullScreenView() const {
    const PixelRect r = ScreenRect();
    return {r, true, true, false, WholeClient(r), true, false, false, false};
  }
  // Waits for the view; on failure the message tells what there was.
  testing::AssertionResult Becomes(const FrameView& expected, int timeoutMs = 5000) const {
    if (WaitUntil([&] { return View() == expected; }, timeoutMs)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "\n  expected " << Text(expected) << "\n  actual   " << Text(View());
  }

  // A caption button's click as the button reports it to the frame.
  void Click(int id) const {
    PostMessageW(frame_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(frame_, id)));
  }
  void SysCommand(unsigned command) const { PostMessageW(frame_, WM_SYSCOMMAND, command, 0); }
  void Hotkey(int id) const { PostMessageW(frame_, WM_HOTKEY, static_cast<WPARAM>(id), 0); }
  void TrayMouse(unsigned mouseMessage) const { PostMessageW(frame_, kTrayIconMessage, 0, mouseMessage); }

  std::string FrameLog() const { return Joined(frameLog_); }
  std::string ProbeLog() const { return Joined(probeLog_); }
  static std::string Joined(const std::string& path) {
    std::string all;
    for (const std::string& line : Lines(path)) all += line + "\n";
    return all;
  }
  static int Count(const std::string& path, const std::string& line) {
    int n = 0;
    for (const std::string& l : Lines(path)) n += l == line;
    return n;
  }
  static int CountPrefix(const std::string& path, const std::string& prefix) {
    int n = 0;
    for (const std::string& l : Lines(path)) n += l.rfind(prefix, 0) == 0;
    return n;
  }
  static std::string Logged(const std::string& path, const std::string& prefix) {
    for (const std::string& l : Lines(path))
      if (l.rfind(prefix, 0) == 0) return l.substr(prefix.size());
    return {};
  }
  std::string FrameLogged(const std::string& prefix) const { return Logged(frameLog_, prefix); }
  std::string ProbeLogged(const std::string& prefix) const { return Logged(probeLog_, prefix); }

  bool HostEnded(int timeoutMs) const { return WaitForSingleObject(host_.get(), timeoutMs) == WAIT_OBJECT_0; }
  DWORD HostExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(host_.get(), &code);
    return code;
  }

  static std::string QuitPromptLine(const std::string& answer) {
    return "prompt 关闭提示|是否退出" + Utf8FromWide(LoadStringRow(kRowLauncherTitle)) + "？ -> " + answer;
  }
  static std::string ChooseServerPromptLine(const std::string& answer) {
    return "prompt 选服|是否退出当前区服，重新选择新区服？ -> " + answer;
  }

  test::TempDir temp_;
  std::string frameLog_, probeLog_;
  UniqueHandle host_;
  DWORD hostPid_ = 0;
  std::string launchLine_;
  HWND frame_ = nullptr;
  HWND game_ = nullptr;
  DWORD gamePid_ = 0;
};

TEST_F(FrameWindowOnWine, StartsMaximizedWithTheGameProcessEmbeddedBelowTheStrip) {
  ASSERT_NO_FATAL_FAILURE(StartFrame());
  // The game process's command line, exactly: the program quoted, the
  // frame's own handle in decimal, the login's game URL unchanged at the end.
  const std::string expected = "\"" + Utf8FromWide(ProbeProgram()) +
                               "\" -frameWnd=" + std::to_string(reinterpret_cast<INT_PTR>(frame_)) +
                               " -gameurl=" + Utf8FromWide(kGameUrl);
  EXPECT_EQ(launchLine_, expected);
  EXPECT_EQ(CountPrefix(frameLog_, "launch "), 1) << FrameLog();
  EXPECT_EQ(Count(probeLog_, "navigate " + Utf8FromWide(kGameUrl)), 1) << ProbeLog();

  // The frame is the launcher's top-level window with the launcher's title.
  wchar_t title[256] = {};
  GetWindowTextW(frame_, title, 256);
  EXPECT_EQ(std::wstring(title), LoadStringRow(kRowLauncherTitle));
  EXPECT_EQ(GetAncestor(frame_, GA_ROOT), frame_);
  EXPECT_EQ(GetWindowLongPtrW(frame_, GWL_STYLE) & WS_CAPTION, 0);

  // The game window of the other process is a child of the frame.
  DWORD gameOwnerPid = 0;
  GetWindowThreadProcessId(game_, &gameOwnerPid);
  EXPECT_EQ(gameOwnerPid, gamePid_);
  EXPECT_NE(gamePid_, hostPid_);
  EXPECT_EQ(GetParent(game_), frame_);
  EXPECT_TRUE(IsChild(frame_, game_));
  EXPECT_NE(GetWindowLongPtrW(game_, GWL_STYLE) & WS_CHILD, 0);

  std::printf("maximized frame %s, screen %s\n", Text(MaximizedRect()).c_str(), Text(ScreenRect()).c_str());
  EXPECT_TRUE(Becomes(MaximizedView()));
  EXPECT_TRUE(TrayIconPresent(frame_));
  test::Shell("import -window root '" + test::ShotDir() + "/frame_window_wine.png'");
  // The buttons sit on the strip, laid out from the frame's width.
  const PixelRect frame = WindowRect(frame_);
  for (const CaptionButton& button : CaptionButtons()) {
    SCOPED_TRACE(button.id);
    ASSERT_TRUE(GetDlgItem(frame_, button.id));
    EXPECT_EQ(RectInClientOf(GetDlgItem(frame_, button.id), frame_), CaptionButtonPlace(button, frame.width));
  }
}

TEST_F(FrameWindowOnWine, CaptionButtonsRestoreMaximizeAndFullScreenWithTheGameWindowFollowing) {
  ASSERT_NO_FATAL_FAILURE(StartFrame());
  ASSERT_TRUE(Becomes(MaximizedView()));
  struct Step {
    const char* what;
    std::function<void()> act;
    FrameView expected;
  };
  const Step steps[] = {
      {"restore button", [&] { Click(kButtonRestore); }, RestoredView()},
      {"maximize button", [&] { Click(kButtonMaximize); }, MaximizedView()},
      {"restore button again", [&] { Click(kButtonRestore); }, RestoredView()},
      {"full screen from restored", [&] { Click(kButtonFullScreen); }, FullScreenView()},
      // Declining the quit prompt of a system close leaves full screen, and
      // always into the maximized state.
      {"system close, declined", [&] { SysCommand(SC_CLOSE); }, MaximizedView()},
      {"double click on the strip", [&] { PostMessageW(frame_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(700, 15)); },
       RestoredView()},
      {"double click again", [&] { PostMessageW(frame_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(500, 15)); },
       MaximizedView()},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act();
    EXPECT_TRUE(Becomes(step.expected));
    Settle(200);
    EXPECT_TRUE(Becomes(step.expected, 0)) << "did not stay";
  }
  EXPECT_EQ(Count(frameLog_, QuitPromptLine("cancel")), 1) << FrameLog();
  EXPECT_TRUE(ProcessAlive(gamePid_));
  EXPECT_TRUE(WaitForSingleObject(host_.get(), 0) == WAIT_TIMEOUT);
}

TEST_F(FrameWindowOnWine, MinimizedByItsButtonComesBackFromTheTaskbarIntoTheWorkArea) {
  ASSERT_NO_FATAL_FAILURE(StartFrame());
  ASSERT_TRUE(Becomes(MaximizedView()));
  Click(kButtonMinimize);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(frame_) != FALSE; }, 5000));
  // The taskbar button brings it back: the system restores the window, and
  // the frame puts itself into the work area again.
  SysCommand(SC_RESTORE);
  EXPECT_TRUE(Becomes(MaximizedView()));
}

TEST_F(FrameWindowOnWine, BossKeyHidesAndShowsTheFrameWhileTheTrayIconStays) {
  ASSERT_NO_FATAL_FAILURE(StartFrame());
  ASSERT_TRUE(Becomes(MaximizedView()));
  const FrameView before = View();
  Hotkey(kBossKeyHotkeyId);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(frame_); }, 5000));
  EXPECT_TRUE(TrayIconPresent(frame_));
  EXPECT_TRUE(ProcessAlive(gamePid_));
  Hotkey(kBossKeyHotkeyId);
  EXPECT_TRUE(Becomes(before));
  // The boss-key button hides too; the tray menu's item toggles both ways.
  Click(kButtonBossKey);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(frame_); }, 5000));
  PostMessageW(frame_, WM_COMMAND, MAKEWPARAM(kCommandTrayToggle, 0), 0);
  EXPECT_TRUE(Becomes(before));
  PostMessageW(frame_, WM_COMMAND, MAKEWPARAM(kCommandTrayToggle, 0), 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(frame_); }, 5000));
}

// The shown windows that the frame owns (its popups: the overlay, a prompt).
std::vector<HWND> ShownPopupsOf(HWND frame) {
  struct Search {
    HWND frame;
    std::vector<HWND> found;
  } search{frame, {}};
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetWindow(hwnd, GW_OWNER) == s->frame && IsWindowVisible(hwnd)) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The rectangles of the shown top-level windows of every other process (the
// system tray's window of the emulation, which shows the launcher's icon).
std::vector<PixelRect> WindowsOfOtherProcesses(DWORD processId) {
  struct Search {
    DWORD processId;
    std::vector<PixelRect> found;
  } search{processId, {}};
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid != s->processId && IsWindowVisible(hwnd)) s->found.push_back(WindowRect(hwnd));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Whether two pictures of one size are the same pixel for pixel, apart from
// a margin (the message box's rounded corners show what is behind them) and
// the rectangles left out.
bool SamePixels(const test::Picture& a, const test::Picture& b, int margin,
                const std::vector<PixelRect>& leftOut = {}) {
  if (!a.valid() || !b.valid() || a.width != b.width || a.height != b.height) return false;
  for (int y = margin; y < a.height - margin; ++y)
    for (int x = margin; x < a.width - margin; ++x) {
      bool skip = false;
      for (const PixelRect& r : leftOut) skip = skip || (x >= r.x && x < r.right() && y >= r.y && y < r.bottom());
      if (skip) continue;
      const test::Picture::Px p = a.At(x, y), q = b.At(x, y);
      if (p.r != q.r || p.g != q.g || p.b != q.b) return false;
    }
  return true;
}

// The boss key takes every window of the launcher off the screen, the
// cache-cleaning overlay and an open prompt (the real skinned box) with the
// frame, and the second press brings the same ones back: the overlay still
// turning while the cleaning runs, the prompt in front and still answering.
TEST_F(FrameWindowOnWine, BossKeyHidesAndShowsTheOverlayAndAnOpenPromptWithTheFrame) {
  // A cleaning that lasts through the test: many records in the temporary
  // internet files folder, made on the host side (far faster than through
  // Wine), and removed again at the end whatever is left of them.
  const std::optional<std::wstring> cacheFolder = LocateInternetCacheFolder();
  ASSERT_TRUE(cacheFolder);
  const char* prefix = std::getenv("WINEPREFIX");
  ASSERT_TRUE(prefix);
  std::string unixFolder = std::string(prefix) + "/drive_c/" + Utf8FromWide(cacheFolder->substr(3));
  for (char& c : unixFolder)
    if (c == '\\') c = '/';
  const std::string records = unixFolder + "/qm-boss-key-records";
  test::Shell("mkdir -p '" + records + "' && cd '" + records + "' && seq -f r%g 1 150000 | xargs touch");
  struct RemoveRecords {
    std::string folder;
    ~RemoveRecords() { test::Shell("rm -rf '" + folder + "'"); }
  } removeRecords{records};

  test::Shell("xdotool mousemove 5 5");
  const PixelRect screen = ScreenRect();
  const test::Picture desktop =
      test::Capture({"", 0, 0, screen.width, screen.height}, "frame_window_wine_boss_key_desktop");
  ASSERT_TRUE(desktop.valid());
  ASSERT_NO_FATAL_FAILURE(StartFrame(L"box"));
  ASSERT_TRUE(Becomes(MaximizedView()));

  Click(kButtonClearCache);
  HWND overlay = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (HWND popup : ShownPopupsOf(frame_))
          if (WindowRect(popup) == WindowRect(frame_)) overlay = popup;
        return overlay != nullptr;
      },
      5000))
      << "no overlay over the frame";
  // The quit prompt from the tray menu (the overlay covers the buttons).
  PostMessageW(frame_, WM_COMMAND, MAKEWPARAM(kCommandTrayExit, 0), 0);
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (HWND popup : ShownPopupsOf(frame_)) {
          const PixelRect r = WindowRect(popup);
          if (r.width == kMessageBoxWidth && r.height == kMessageBoxHeight) box = popup;
        }
        return box != nullptr;
      },
      5000))
      << "no prompt";
  const PixelRect boxRect = WindowRect(box), frame = WindowRect(frame_);
  const PixelRect overlayPart{frame.x + 100, frame.y + 100, 300, 150};  // away from the box and the spinner
  auto capture = [](const PixelRect& r, const std::string& name) {
    return test::Capture({"", r.x, r.y, r.width, r.height}, name);
  };
  const test::Picture boxBefore = capture(boxRect, "frame_window_wine_boss_key_prompt_before");
  const test::Picture overlayBefore = capture(overlayPart, "frame_window_wine_boss_key_overlay_before");
  capture(screen, "frame_window_wine_boss_key_before");
  ASSERT_TRUE(IsWindowVisible(overlay)) << "the cleaning ended too early for the test";

  // The boss key: nothing of the launcher is left on the screen but the tray
  // icon in the system tray.
  Hotkey(kBossKeyHotkeyId);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(frame_) && !IsWindowVisible(overlay) && !IsWindowVisible(box); },
                        5000))
      << "frame " << IsWindowVisible(frame_) << ", overlay " << IsWindowVisible(overlay) << ", prompt "
      << IsWindowVisible(box);
  const test::Picture hidden = capture(screen, "frame_window_wine_boss_key_hidden");
  EXPECT_TRUE(SamePixels(hidden, desktop, 0, WindowsOfOtherProcesses(hostPid_)))
      << "launcher pixels left on the screen (frame_window_wine_boss_key_hidden.png)";
  EXPECT_TRUE(TrayIconPresent(frame_));

  // Again: the frame, the overlay over it and the prompt over both, as they were.
  Hotkey(kBossKeyHotkeyId);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(frame_) && IsWindowVisible(overlay) && IsWindowVisible(box); },
                        5000))
      << "frame " << IsWindowVisible(frame_) << ", overlay " << IsWindowVisible(overlay) << ", prompt "
      << IsWindowVisible(box);
  EXPECT_TRUE(Becomes(MaximizedView()));
  EXPECT_EQ(WindowRect(box), boxRect);
  capture(screen, "frame_window_wine_boss_key_back");
  EXPECT_TRUE(SamePixels(capture(boxRect, "frame_window_wine_boss_key_prompt_back"), boxBefore, 6))
      << "the prompt is not drawn as before";
  EXPECT_TRUE(SamePixels(capture(overlayPart, "frame_window_wine_boss_key_overlay_back"), overlayBefore, 0))
      << "the overlay is not drawn as before";

  // The prompt still answers: its Cancel, clicked, declines, and the
  // launcher stays with its overlay while the cleaning goes on.
  const MessageBoxLayout layout = LayOutMessageBox(kMessageBoxWidth, kMessageBoxHeight);
  test::Shell("xdotool mousemove " + std::to_string(boxRect.x + layout.cancel.rect.x + layout.cancel.rect.width / 2) +
              " " + std::to_string(boxRect.y + layout.cancel.rect.y + layout.cancel.rect.height / 2) +
              " sleep 0.3 click 1");
  EXPECT_TRUE(WaitUntil([&] { return Count(frameLog_, QuitPromptLine("cancel")) == 1; }, 5000)) << FrameLog();
  EXPECT_FALSE(IsWindow(box) && IsWindowVisible(box));
  EXPECT_TRUE(ProcessAlive(gamePid_));
  EXPECT_EQ(FrameLogged("DoModal "), "");
  capture(screen, "frame_window_wine_boss_key_answered");
  ASSERT_TRUE(IsWindowVisible(overlay)) << "the cleaning ended too early for the test";

  // The overlay alone goes with the frame and comes back over it, its
  // spinner still turning.
  Hotkey(kBossKeyHotkeyId);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(frame_) && !IsWindowVisible(overlay); }, 5000));
  Hotkey(kBossKeyHotkeyId);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(frame_) && IsWindowVisible(overlay); }, 5000));
  capture(screen, "frame_window_wine_boss_key_overlay_alone");
  const PixelRect spinner{frame.x + frame.width / 2 - 20, frame.y + frame.height / 2 - 60, 40, 40};
  const test::Picture first = capture(spinner, "frame_window_wine_boss_key_spinner");
  EXPECT_TRUE(WaitUntil([&] { return !SamePixels(capture(spinner, "frame_window_wine_boss_key_spinner_later"), first, 0); },
                        3000))
      << "the spinner does not turn; overlay shown: " << IsWindowVisible(overlay);
}

// A window of this test process that takes the foreground from the frame.
struct OtherProgramWindow {
  UniqueHwnd owner;
  OtherProgramWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QmOtherProgram";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RegisterClassW(&wc);
    owner.reset(CreateWindowExW(0, wc.lpszClassName, L"other program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200, 300,
                                200, nullptr, nullptr, wc.hInstance, nullptr));
  }
};

// Makes the window the foreground window as a click of the player would:
// through the X server's focus, which Wine follows.
bool BringToFront(HWND hwnd, const std::string& title) {
  SetForegroundWindow(hwnd);
  if (WaitUntil([&] { return GetForegroundWindow() == hwnd; }, 1000)) return true;
  test::Shell("xdotool search --name '^" + title + "$' windowactivate --sync windowfocus --sync 2>/dev/null");
  return WaitUntil([&] { return GetForegroundWindow() == hwnd; }, 3000);
}

TEST_F(FrameWindowOnWine, FullScreenKeyActsOnlyWhileTheFrameIsInFront) {
  ASSERT_NO_FATAL_FAILURE(StartFrame());
  ASSERT_TRUE(Becomes(MaximizedView()));
  OtherProgramWindow other;
  ASSERT_TRUE(BringToFront(other.owner.get(), "other program"));
  Hotkey(kFullScreenHotkeyId);
  Settle(500);
  EXPECT_TRUE(Becomes(MaximizedView(), 0)) << "full screen while another program was in front";

  ASSERT_TRUE(BringToFront(frame_, Utf8FromWide(LoadStringRow(kRowLauncherTitle))));
  Hotkey(kFullScreenHotkeyId);
  EXPECT_TRUE(Becomes(FullScreenView()));
  Hotkey(kFullScreenHotkeyId);
  EXPECT_TRUE(Becomes(MaximizedView()));
}

TEST_F(FrameWindowOnWine, EnterEscapeAndF5KeepFullScreenAltF4AsksAndLeavesIt) {
  ASSERT_NO_FATAL_FAILURE(StartFrame(L"cancel"));
  ASSERT_TRUE(Becomes(MaximizedView()));
  Click(kButtonFullScreen);
  ASSERT_TRUE(Becomes(FullScreenView()));
  ASSERT_TRUE(BringToFront(frame_, Utf8FromWide(LoadStringRow(kRowLauncherTitle))));
  // Real key presses through the X server into the frame that has the focus.
  test::Shell("xdotool key Escape Return F5");
  Settle(700);
  EXPECT_TRUE(Becomes(FullScreenView(), 0));
  EXPECT_EQ(CountPrefix(frameLog_, "prompt "), 0) << FrameLog();
  EXPECT_EQ(FrameLogged("DoModal "), "");

  test::Shell("xdotool key alt+F4");
  EXPECT_TRUE(WaitUntil([&] { return Count(frameLog_, QuitPromptLine("cancel")) == 1; }, 5000)) << FrameLog();
  // Declined: the launcher stays, out of full screen into the maximized state.
  EXPECT_TRUE(Becomes(MaximizedView()));
  EXPECT_TRUE(ProcessAlive(gamePid_));
  EXPECT_EQ(FrameLogged("DoModal "), "");
}

// The pointer on the frame's own pixels: a click on the restore button, a
// double click on the strip, a click on the maximize button.
TEST_F(FrameWindowOnWine, RealClicksOnTheCaptionButtonsAndTheStrip) {
  ASSERT_NO_FATAL_FAILURE(StartFrame());
  ASSERT_TRUE(Becomes(MaximizedView()));
  auto clickAt = [](int x, int y, int clicks) {
    test::Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.3 click --repeat " +
                std::to_string(clicks) + " --delay 80 1");
  };
  auto buttonCentre = [&](int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(frame_, id), &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  POINT restore = buttonCentre(kButtonRestore);
  clickAt(restore.x, restore.y, 1);
  EXPECT_TRUE(Becomes(RestoredView()));
  test::Shell("import -window root '" + test::ShotDir() + "/frame_window_wine_restored.png'");
  const PixelRect restored = CentredRect();
  clickAt(restored.x + 400, restored.y + 15, 2);
  EXPECT_TRUE(Becomes(MaximizedView()));
  restore = buttonCentre(kButtonRestore);
  clickAt(restore.x, restore.y, 1);
  ASSERT_TRUE(Becomes(RestoredView()));
  const POINT maximize = buttonCentre(kButtonMaximize);
  clickAt(maximize.x, maximize.y, 1);
  EXPECT_TRUE(Becomes(MaximizedView()));
}

// The caption buttons' pixels on the screen in every state of the frame,
// taken a tenth of a second after the frame reached the state: each shown
// button shows its picture (not the black of a child window that is not
// painted yet), the same picture wherever the strip puts it. The first
// state is the first showing of the frame, when every button paints for the
// first time and makes its pictures from the strip under it.
TEST_F(FrameWindowOnWine, CaptionButtonsArePaintedAfterEveryChangeOfTheFrame) {
  ASSERT_NO_FATAL_FAILURE(StartFrame());
  ASSERT_TRUE(Becomes(MaximizedView()));
  // The pointer away from the strip, so that no button shows its hover picture.
  test::Shell("xdotool mousemove 5 " + std::to_string(ScreenRect().height - 5));
  std::map<int, std::string> firstSeen;  // a button's pixels, RGB rows, where it was first shown
  auto checkButtons = [&](const std::string& state) {
    SCOPED_TRACE(state);
    const PixelRect frame = WindowRect(frame_);
    const test::Picture strip = test::Capture({"", frame.x, frame.y, frame.width, kCaptionStripHeight},
                                              "frame_window_wine_buttons_" + state, 100);
    ASSERT_TRUE(strip.valid());
    int checked = 0;
    for (const CaptionButton& button : CaptionButtons()) {
      HWND hwnd = GetDlgItem(frame_, button.id);
      if (!hwnd || !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE)) continue;
      SCOPED_TRACE(button.id);
      const PixelRect place = RectInClientOf(hwnd, frame_);
      ASSERT_LE(place.right(), strip.width);
      ASSERT_LE(place.bottom(), strip.height);
      std::string pixels;
      int black = 0;
      for (int y = place.y; y < place.bottom(); ++y)
        for (int x = place.x; x < place.right(); ++x) {
          const test::Picture::Px px = strip.At(x, y);
          black += px.r == 0 && px.g == 0 && px.b == 0;
          pixels += {static_cast<char>(px.r), static_cast<char>(px.g), static_cast<char>(px.b)};
        }
      // The strip's art has no pure black; a few pixels of a symbol may be.
      EXPECT_LT(black, place.width * place.height / 4) << black << " black pixels of " << Text(place);
      const auto [seen, first] = firstSeen.emplace(button.id, pixels);
      if (!first) {
        EXPECT_TRUE(seen->second == pixels) << "the button's pixels differ from where it was first shown";
      }
      ++checked;
    }
    EXPECT_EQ(checked, 8);  // all but one of maximize and restore
  };
  checkButtons("maximized");
  Click(kButtonRestore);
  ASSERT_TRUE(Becomes(RestoredView()));
  checkButtons("restored");
  Click(kButtonMaximize);
  ASSERT_TRUE(Becomes(MaximizedView()));
  checkButtons("maximized_again");
  Click(kButtonFullScreen);
  ASSERT_TRUE(Becomes(FullScreenView()));
  ASSERT_TRUE(BringToFront(frame_, Utf8FromWide(LoadStringRow(kRowLauncherTitle))));
  Hotkey(kFullScreenHotkeyId);
  ASSERT_TRUE(Becomes(MaximizedView()));
  checkButtons("after_full_screen");
  Hotkey(kBossKeyHotkeyId);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(frame_); }, 5000));
  Hotkey(kBossKeyHotkeyId);
  ASSERT_TRUE(Becomes(MaximizedView()));
  checkButtons("after_boss_key");
}

TEST_F(FrameWindowOnWine, TrayIconLeftButtonDownShowsAHiddenOrMinimizedFrame) {
  ASSERT_NO_FATAL_FAILURE(StartFrame());
  ASSERT_TRUE(Becomes(MaximizedView()));
  Click(kButtonBossKey);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(frame_); }, 5000));
  // Only the press of the left button acts; other mouse messages do nothing.
  for (unsigned mouse : {WM_LBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDBLCLK}) TrayMouse(mouse);
  Settle(500);
  EXPECT_FALSE(IsWindowVisible(frame_));
  TrayMouse(WM_LBUTTONDOWN);
  EXPECT_TRUE(Becomes(MaximizedView()));
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == frame_; }, 3000));

  // A minimized frame is shown but stays minimized.
  Click(kButtonMinimize);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(frame_) != FALSE; }, 5000));
  TrayMouse(WM_LBUTTONDOWN);
  Settle(500);
  EXPECT_TRUE(IsWindowVisible(frame_));
  EXPECT_TRUE(IsIconic(frame_));
}

TEST_F(FrameWindowOnWine, QuitDeclinedChangesNothingConfirmedClosesTheGameAndEndsTheFrame) {
  ASSERT_NO_FATAL_FAILURE(StartFrame(L"cancel,cancel,cancel,ok"));
  ASSERT_TRUE(Becomes(MaximizedView()));
  Click(kButtonRestore);
  ASSERT_TRUE(Becomes(RestoredView()));
  const FrameView before = View();

  // Declined from the close button, the tray menu and a system close alike.
  Click(kButtonClose);
  PostMessageW(frame_, WM_COMMAND, MAKEWPARAM(kCommandTrayExit, 0), 0);
  SysCommand(SC_CLOSE);
  ASSERT_TRUE(WaitUntil([&] { return Count(frameLog_, QuitPromptLine("cancel")) == 3; }, 5000)) << FrameLog();
  Settle(300);
  EXPECT_TRUE(Becomes(before, 0));
  EXPECT_TRUE(TrayIconPresent(frame_));
  EXPECT_TRUE(ProcessAlive(gamePid_));
  EXPECT_EQ(FrameLogged("DoModal "), "");

  Click(kButtonClose);
  ASSERT_TRUE(WaitUntil([&] { return FrameLogged("DoModal ") == "0"; }, 5000)) << FrameLog();
  // The frame object still lives (the host lingers): the icon went with the
  // confirmed prompt, not with the window.
  EXPECT_TRUE(IsWindow(frame_));
  EXPECT_FALSE(TrayIconPresent(frame_));
  EXPECT_FALSE(IsWindowVisible(frame_));
  // The game window was sent WM_CLOSE: the view goes and the process ends.
  EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(gamePid_); }, 5000));
  EXPECT_NE(ProbeLog().find("got 16 0\ndestroy view\nquit 0\n"), std::string::npos) << ProbeLog();
  ASSERT_TRUE(HostEnded(10000));
  EXPECT_EQ(HostExitCode(), 0u);
  EXPECT_EQ(Count(frameLog_, QuitPromptLine("ok")), 1) << FrameLog();
  EXPECT_EQ(Count(frameLog_, "restart"), 0);
}

TEST_F(FrameWindowOnWine, ChooseServerDeclinedChangesNothingConfirmedRestartsTheLauncherOnce) {
  ASSERT_NO_FATAL_FAILURE(StartFrame(L"cancel,ok"));
  ASSERT_TRUE(Becomes(MaximizedView()));
  const FrameView before = View();
  Click(kButtonChooseServer);
  ASSERT_TRUE(WaitUntil([&] { return Count(frameLog_, ChooseServerPromptLine("cancel")) == 1; }, 5000)) << FrameLog();
  Settle(300);
  EXPECT_TRUE(Becomes(before, 0));
  EXPECT_TRUE(TrayIconPresent(frame_));
  EXPECT_TRUE(ProcessAlive(gamePid_));
  EXPECT_EQ(Count(frameLog_, "restart"), 0);

  Click(kButtonChooseServer);
  ASSERT_TRUE(WaitUntil([&] { return FrameLogged("DoModal ") == "0"; }, 5000)) << FrameLog();
  EXPECT_FALSE(IsWindowVisible(frame_));
  EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(gamePid_); }, 5000));
  EXPECT_NE(ProbeLog().find("got 16 0\ndestroy view\nquit 0\n"), std::string::npos) << ProbeLog();
  ASSERT_TRUE(HostEnded(10000));
  EXPECT_EQ(HostExitCode(), 0u);
  EXPECT_EQ(Count(frameLog_, "restart"), 1) << FrameLog();
  // The new launcher is started after the game window was closed.
  const std::vector<std::string> lines = Lines(frameLog_);
  EXPECT_EQ(lines.end() - std::find(lines.begin(), lines.end(), "restart"), 2) << FrameLog();
}

TEST_F(FrameWindowOnWine, RefreshReloadsTheGamePage) {
  ASSERT_NO_FATAL_FAILURE(StartFrame());
  Click(kButtonRefresh);
  Click(kButtonRefresh);
  EXPECT_TRUE(WaitUntil([&] { return Count(probeLog_, "navigate " + Utf8FromWide(kGameUrl)) == 3; }, 5000))
      << ProbeLog();
}

// A window of another program that announces itself to the frame as its
// game window, and counts the game messages it gets.
LRESULT CALLBACK IntruderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
int g_intruderGameMessages = 0;
LRESULT CALLBACK IntruderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GAMEWND_RELOAD || message == WM_GAMEWND_FIT) ++g_intruderGameMessages;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(FrameWindowOnWine, AnnouncementsOfAnyOtherWindowAreIgnored) {
  ASSERT_NO_FATAL_FAILURE(StartFrame());
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = IntruderProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"QmIntruder";
  RegisterClassExW(&cls);
  UniqueHwnd intruder(CreateWindowExW(0, cls.lpszClassName, L"intruder", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      cls.hInstance, nullptr));
  ASSERT_TRUE(intruder);
  g_intruderGameMessages = 0;
  // Announced as it is, and put into the frame first, as the real game
  // window does: neither makes it the game window.
  SendMessageW(frame_, WM_GAMEWND_ATTACHED, reinterpret_cast<WPARAM>(intruder.get()), 0);
  UniqueHwnd child(CreateWindowExW(0, cls.lpszClassName, L"", WS_CHILD, 0, 30, 10, 10, frame_, nullptr,
                                   cls.hInstance, nullptr));
  ASSERT_TRUE(child);
  SendMessageW(frame_, WM_GAMEWND_ATTACHED, reinterpret_cast<WPARAM>(child.get()), 0);
  Click(kButtonRefresh);
  Click(kButtonRestore);
  // The real game window still gets the reload; the intruders get nothing.
  EXPECT_TRUE(WaitUntil([&] { return Count(probeLog_, "navigate " + Utf8FromWide(kGameUrl)) == 2; }, 5000))
      << ProbeLog();
  const auto end = Clock::now() + std::chrono::milliseconds(500);
  while (Clock::now() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(10);
  }
  EXPECT_EQ(g_intruderGameMessages, 0);
}

TEST_F(FrameWindowOnWine, KillingTheFrameProcessEndsTheGameProcess) {
  ASSERT_NO_FATAL_FAILURE(StartFrame());
  TerminateProcess(host_.get(), 9);
  ASSERT_TRUE(HostEnded(5000));
  const auto killed = Clock::now();
  EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(gamePid_); }, 6000));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - killed).count();
  std::printf("game process ended %lld ms after its frame process was killed\n", static_cast<long long>(ms));
}

// The launcher's own game mode as the game process: under Wine its game view
// has no HTML engine to show the page, but its game window is the real one.
TEST_F(FrameWindowOnWine, TheLaunchersOwnGameProcessIsEmbeddedFollowsTheFrameAndEndsWithIt) {
  const std::wstring launcher = test::LauncherPath();
  if (launcher.empty()) GTEST_SKIP() << "QM_LAUNCHER names no launcher";
  ASSERT_NO_FATAL_FAILURE(StartFrame(L"ok", launcher));
  EXPECT_EQ(launchLine_, "\"" + Utf8FromWide(launcher) + "\" -frameWnd=" +
                             std::to_string(reinterpret_cast<INT_PTR>(frame_)) + " -gameurl=" + Utf8FromWide(kGameUrl));
  EXPECT_NE(gamePid_, hostPid_);
  EXPECT_NE(GetWindowLongPtrW(game_, GWL_STYLE) & WS_CHILD, 0);
  EXPECT_TRUE(Becomes(MaximizedView()));
  Click(kButtonRestore);
  EXPECT_TRUE(Becomes(RestoredView()));
  Click(kButtonFullScreen);
  EXPECT_TRUE(Becomes(FullScreenView()));
  EXPECT_TRUE(ProcessAlive(gamePid_));

  Click(kButtonClose);
  ASSERT_TRUE(WaitUntil([&] { return FrameLogged("DoModal ") == "0"; }, 5000)) << FrameLog();
  // Gone on the frame's WM_CLOSE, while the frame still lives.
  EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(gamePid_); }, 1000));
  EXPECT_TRUE(IsWindow(frame_));
  ASSERT_TRUE(HostEnded(10000));
  EXPECT_EQ(HostExitCode(), 0u);
}

}  // namespace
}  // namespace qm
