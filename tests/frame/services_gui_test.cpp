// The frame's services on a real display: system-wide hotkeys pressed with
// xdotool while another program has the focus, the tray icon in a real
// system tray (trayer on Linux, Wine's own tray on Windows) clicked with the
// pointer, its menu's place and items, and both prompts in the real skinned
// message box. Screenshots stay in the build's screenshots folder.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../ui/desktop.h"
#include "base/text.h"
#include "frame/exit_prompts.h"
#include "frame/hotkey_registration.h"
#include "frame/tray_icon.h"
#include "ui/message_box_layout.h"
#include "ui/ui_ids.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/owners.h"
#else
#include "ui/linux/skin_image.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#endif

namespace qm {
namespace {

using test::PumpPendingEvents;
using test::Shell;
using test::SleepMs;

std::string ShotPath(const std::string& name) {
  Shell("mkdir -p '" QM_SCREENSHOT_DIR "'");
  return std::string(QM_SCREENSHOT_DIR) + "/" + name + ".png";
}

bool HaveDisplay() { return Shell("xdotool getdisplaygeometry 2>/dev/null").size() > 2; }

// Lets the user-interface thread handle what has arrived, until pred holds or
// the time is up.
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    PumpPendingEvents();
    if (pred()) return true;
    SleepMs(10);
  }
  return pred();
}

std::string FirstWindow(const std::string& xdotoolSearch, int timeoutMs = 10000) {
  for (int waited = 0; waited < timeoutMs; waited += 100) {
    std::istringstream ids(Shell("xdotool search " + xdotoolSearch + " 2>/dev/null"));
    std::string id;
    if (ids >> id) return id;
    SleepMs(100);
  }
  return {};
}

// ---- A window of the program that the frame's messages go to ----------------

#ifdef _WIN32
struct TestFrame {
  HWND hwnd = nullptr;
  UniqueHwnd owner;
  HotkeyRegistration* hotkeys = nullptr;
  CTrayIcon* tray = nullptr;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TestFrame*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->hotkeys && self->hotkeys->HandleWindowMessage(msg, wParam, lParam)) {
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (self && self->tray && self->tray->HandleWindowMessage(msg, wParam, lParam)) return 0;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  explicit TestFrame(const wchar_t* title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QmServicesTestFrame";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RegisterClassW(&wc);
    owner.reset(CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200, 300, 200,
                                nullptr, nullptr, wc.hInstance, nullptr));
    hwnd = owner.get();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    PumpUntil([] { return false; }, 300);
  }
  NativeWindow native() const { return hwnd; }
};
#else
struct TestFrame {
  explicit TestFrame(const wchar_t*) {}
  NativeWindow native() const { return nullptr; }
  HotkeyRegistration* hotkeys = nullptr;
  CTrayIcon* tray = nullptr;
};
#endif

class FrameServicesOnScreen : public testing::Test {
 protected:
  void SetUp() override {
    if (!HaveDisplay()) GTEST_SKIP() << "no display";
#ifndef _WIN32
    ASSERT_TRUE(EnsureGtk());
#endif
    Shell("xdotool mousemove 700 500");
  }
};

// ---- Hotkeys -------------------------------------------------------------------

class HotkeysOnScreen : public FrameServicesOnScreen {
 protected:
  std::vector<int> pressed;
  HotkeyRegistration::PressedHandler Recorder() {
    return [this](int id) { pressed.push_back(id); };
  }
  bool WaitForPresses(std::size_t count, int timeoutMs = 5000) {
    return PumpUntil([&] { return pressed.size() >= count; }, timeoutMs);
  }
  void Press(const std::string& keys) { Shell("xdotool key " + keys); }
};

TEST_F(HotkeysOnScreen, FireWhileAnotherProgramHasTheFocusWhateverTheLockKeys) {
  TestFrame frame(L"QmHotkeyFrame");
  HotkeyRegistration hotkeys(frame.native(), Recorder());
  frame.hotkeys = &hotkeys;
  hotkeys.Register({{kBossKeyHotkeyId, ParseHotkeyText(L"F10")}, {kFullScreenHotkeyId, ParseHotkeyText(L"Ctrl+Shift+A")}});
  ASSERT_TRUE(hotkeys.IsRegistered(kBossKeyHotkeyId));
  ASSERT_TRUE(hotkeys.IsRegistered(kFullScreenHotkeyId));

#ifdef _WIN32
  // Wine hands WM_HOTKEY out only while one of its windows has the X focus.
  const std::string focus = FirstWindow("--name '^QmHotkeyFrame$'");
#else
  // Another program in front: the key must reach the launcher anyway.
  test::BackgroundChild other(L"/usr/bin/xmessage", {L"-title", L"QmOtherProgram", L"another program"});
  const std::string focus = FirstWindow("--name '^QmOtherProgram$'");
#endif
  ASSERT_FALSE(focus.empty());
  Shell("xdotool windowfocus --sync " + focus);

  Press("F10");
  ASSERT_TRUE(WaitForPresses(1)) << "the boss key did not arrive";
  Press("ctrl+shift+a");
  ASSERT_TRUE(WaitForPresses(2)) << "the full-screen key did not arrive";
  Press("ctrl+F10");  // other modifiers: not ours
  Press("Caps_Lock F10 Caps_Lock");
  ASSERT_TRUE(WaitForPresses(3)) << "Caps Lock kept the boss key from firing";
  Press("Num_Lock F10 Num_Lock");
  ASSERT_TRUE(WaitForPresses(4)) << "Num Lock kept the boss key from firing";
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(pressed, (std::vector<int>{2, 3, 2, 2}));

  hotkeys.UnregisterAll();
  EXPECT_FALSE(hotkeys.IsRegistered(kBossKeyHotkeyId));
  Press("F10");
  PumpUntil([] { return false; }, 500);
  EXPECT_EQ(pressed.size(), 4u) << "a withdrawn hotkey still fired";
  frame.hotkeys = nullptr;
}

TEST_F(HotkeysOnScreen, RegisteringAgainReplacesTheEarlierCombination) {
  TestFrame frame(L"QmHotkeyFrame2");
  HotkeyRegistration hotkeys(frame.native(), Recorder());
  frame.hotkeys = &hotkeys;
  hotkeys.Register({{kBossKeyHotkeyId, ParseHotkeyText(L"F7")}});
  hotkeys.Register({{kBossKeyHotkeyId, ParseHotkeyText(L"Alt+F6")}});
  ASSERT_TRUE(hotkeys.IsRegistered(kBossKeyHotkeyId));
#ifdef _WIN32
  Shell("xdotool windowfocus --sync " + FirstWindow("--name '^QmHotkeyFrame2$'"));
#endif
  Press("F7");
  Press("alt+F6");
  ASSERT_TRUE(WaitForPresses(1));
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(pressed, std::vector<int>{2});
  frame.hotkeys = nullptr;
}

#ifndef _WIN32
TEST_F(HotkeysOnScreen, AKeyThatAnotherProgramHoldsFailsQuietly) {
  // Another X client grabs F8 in every modifier state first.
  Display* other = XOpenDisplay(nullptr);
  ASSERT_NE(other, nullptr);
  const KeyCode f8 = XKeysymToKeycode(other, 0xFFC5);
  XGrabKey(other, f8, AnyModifier, DefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync);
  XSync(other, False);

  HotkeyRegistration hotkeys(nullptr, Recorder());
  hotkeys.Register({{kBossKeyHotkeyId, ParseHotkeyText(L"F8")}, {kFullScreenHotkeyId, ParseHotkeyText(L"F9")}});
  EXPECT_FALSE(hotkeys.IsRegistered(kBossKeyHotkeyId));
  EXPECT_TRUE(hotkeys.IsRegistered(kFullScreenHotkeyId)) << "one refused key must not spoil the other";
  Press("F8 F9");
  ASSERT_TRUE(WaitForPresses(1));
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(pressed, std::vector<int>{3});

  // Once the other program lets go, the key can be registered.
  XCloseDisplay(other);
  hotkeys.Register({{kBossKeyHotkeyId, ParseHotkeyText(L"F8")}});
  EXPECT_TRUE(hotkeys.IsRegistered(kBossKeyHotkeyId));
  Press("F8");
  ASSERT_TRUE(WaitForPresses(2));
  EXPECT_EQ(pressed.back(), 2);
}
#endif

// ---- Tray icon -----------------------------------------------------------------

class TrayOnScreen : public FrameServicesOnScreen {
 protected:
  void SetUp() override {
    FrameServicesOnScreen::SetUp();
    if (IsSkipped()) return;
#ifndef _WIN32
    // A system tray at the top of the screen, as a desktop panel has, with room
    // for the menu on both sides of the icon.
    if (!TrayRuns()) {
      tray_ = std::make_unique<test::BackgroundChild>(
          L"/usr/bin/trayer", std::vector<std::wstring>{L"--edge", L"top", L"--align", L"center", L"--widthtype",
                                                        L"pixel", L"--width", L"120", L"--height", L"32"});
      ASSERT_TRUE(PumpUntil([] { return TrayRuns(); }, 10000)) << "trayer did not start";
    }
#endif
  }

#ifndef _WIN32
  static bool TrayRuns() {
    Display* display = gdk_x11_get_default_xdisplay();
    return XGetSelectionOwner(display, XInternAtom(display, "_NET_SYSTEM_TRAY_S0", False)) != 0;
  }
  std::unique_ptr<test::BackgroundChild> tray_;
#endif

  int leftClicks = 0;
  std::vector<unsigned> commands;
  CTrayIcon::Callbacks Recorder() {
    return {[this] { ++leftClicks; }, [this](unsigned command) { commands.push_back(command); }};
  }
};

void ClickAt(int x, int y, int button) {
  Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.2 click " +
        std::to_string(button));
}

#ifndef _WIN32
TEST_F(TrayOnScreen, IconInTheTrayClicksAndMenu) {
  TestFrame frame(L"QmTrayFrame");
  CTrayIcon icon;
  icon.Add(L"Quellmoor登录器", frame.native(), Recorder());
  EXPECT_TRUE(icon.added());
  ASSERT_TRUE(PumpUntil([&] { return icon.IsEmbedded() && icon.ScreenRect() && icon.ScreenRect()->width > 0; }, 10000))
      << "the icon did not reach the tray";
  PumpUntil([] { return false; }, 500);
  const PixelRect place = *icon.ScreenRect();
  const int cx = place.x + place.width / 2, cy = place.y + place.height / 2;
  Shell("import -window root -crop 200x40+" + std::to_string(place.x - 100) + "+0 +repage '" + ShotPath("tray-icon") + "'");

  ClickAt(cx, cy, 1);
  ASSERT_TRUE(PumpUntil([&] { return leftClicks == 1; }, 5000)) << "left click did not arrive";

  // Each item of the menu, opened by a right click on the icon, in order.
  const unsigned expected[] = {kCommandTrayToggle, kCommandTrayClearCache, kCommandTrayExit};
  for (int item = 0; item < 3; ++item) {
    ClickAt(cx, cy, 3);
    ASSERT_TRUE(PumpUntil([&] { return icon.OpenMenuRect().has_value(); }, 5000)) << "no menu for item " << item;
    PumpUntil([] { return false; }, 300);
    const PixelRect menu = *icon.OpenMenuRect();
    EXPECT_EQ(menu.x, cx - 130);
    EXPECT_EQ(menu.y, cy);
    if (item == 0) {
      Shell("import -window root -crop 400x200+" + std::to_string(menu.x - 20) + "+0 +repage '" + ShotPath("tray-menu") +
            "'");
    }
    ClickAt(menu.x + menu.width / 2, menu.y + menu.height * (2 * item + 1) / 6, 1);
    ASSERT_TRUE(PumpUntil([&] { return commands.size() == static_cast<std::size_t>(item + 1); }, 5000))
        << "item " << item << " did not arrive";
    EXPECT_EQ(commands.back(), expected[item]);
  }
  EXPECT_EQ(leftClicks, 1);

  icon.Remove();
  EXPECT_FALSE(icon.added());
  PumpUntil([] { return false; }, 300);
  EXPECT_FALSE(icon.IsEmbedded());
  icon.Remove();  // a second time changes nothing
}
#else
TEST_F(TrayOnScreen, IconInWinesTrayClicksAndMenu) {
  TestFrame frame(L"QmTrayFrame");
  CTrayIcon icon;
  frame.tray = &icon;
  icon.Add(L"Quellmoor登录器", frame.native(), Recorder());
  EXPECT_TRUE(icon.added());
  PumpUntil([] { return false; }, 1000);
  // Wine's tray is a small window at the top left; its icon sits at its left.
  const std::string trayWindow = FirstWindow("--onlyvisible --name '^Wine System Tray$'", 10000);
  int tx = 16, ty = 16;
  if (!trayWindow.empty()) {
    const std::string g = Shell("xdotool getwindowgeometry --shell " + trayWindow);
    auto value = [&](const std::string& key) {
      const auto at = g.find(key + "=");
      return at == std::string::npos ? 0 : std::atoi(g.c_str() + at + key.size() + 1);
    };
    tx = value("X") + 12;
    ty = value("Y") + 12;
  }
  Shell("import -window root -crop 200x60+0+0 +repage '" + ShotPath("tray-icon-wine") + "'");
  ClickAt(tx, ty, 1);
  ASSERT_TRUE(PumpUntil([&] { return leftClicks == 1; }, 5000)) << "left click did not reach WM_TRAYICON";

  // The menu opened at a known cursor position: found from another thread
  // while it is tracked, its place read, then its second item chosen.
  std::atomic<bool> seen{false};
  RECT menuRect{};
  std::thread chooser([&] {
    for (int i = 0; i < 100 && !seen; ++i) {
      HWND menu = FindWindowW(L"#32768", nullptr);
      if (menu && IsWindowVisible(menu)) {
        SleepMs(300);
        GetWindowRect(menu, &menuRect);
        seen = true;
      } else {
        SleepMs(50);
      }
    }
    const int height = menuRect.bottom - menuRect.top;
    ClickAt(menuRect.left + 30, menuRect.top + height / 2, 1);
  });
  icon.OpenMenu(800, 400);
  chooser.join();
  ASSERT_TRUE(seen) << "the menu did not open";
  EXPECT_EQ(menuRect.left, 670);
  EXPECT_EQ(menuRect.top, 400);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], kCommandTrayClearCache);

  icon.Remove();
  EXPECT_FALSE(icon.added());
  frame.tray = nullptr;
}
#endif

// ---- Prompts in the skinned box ------------------------------------------------

class PromptsOnScreen : public FrameServicesOnScreen {};

// Answers the box titled title from another thread: a click on OK, or Esc.
std::thread Answer(const std::string& title, bool ok, std::string* seenWindow) {
  return std::thread([title, ok, seenWindow] {
    const std::string id = FirstWindow("--onlyvisible --name '^" + title + "$'", 15000);
    *seenWindow = id;
    if (id.empty()) return;
    SleepMs(300);
    if (ok) {
      const std::string g = Shell("xdotool getwindowgeometry --shell " + id);
      auto value = [&](const std::string& key) {
        const auto at = g.find(key + "=");
        return at == std::string::npos ? 0 : std::atoi(g.c_str() + at + key.size() + 1);
      };
      const MessageBoxLayout l = LayOutMessageBox(kMessageBoxWidth, kMessageBoxHeight);
      ClickAt(value("X") + l.ok.rect.x + l.ok.rect.width / 2, value("Y") + l.ok.rect.y + l.ok.rect.height / 2, 1);
    } else {
      Shell("xdotool windowfocus --sync " + id + " key Escape");
    }
  });
}

TEST_F(PromptsOnScreen, QuitAndChooseServerGoAheadOnlyOnOk) {
  struct Case {
    const char* title;
    bool (*prompt)(PromptOwner);
    bool ok;
  };
  const Case cases[] = {
      {"关闭提示", &QuitPrompt, true},
      {"关闭提示", &QuitPrompt, false},
      {"选服", &ChooseServerPrompt, true},
      {"选服", &ChooseServerPrompt, false},
  };
  for (const Case& c : cases) {
    std::string seen;
    std::thread answer = Answer(c.title, c.ok, &seen);
    const bool proceeds = c.prompt(0);
    answer.join();
    EXPECT_FALSE(seen.empty()) << c.title << ": no box with that title";
    EXPECT_EQ(proceeds, c.ok) << c.title;
  }
}

}  // namespace
}  // namespace qm
