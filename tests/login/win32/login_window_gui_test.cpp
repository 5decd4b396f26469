// The login window and the web login dialog of the Windows build, under Wine
// on the virtual display, run in this process as the launcher runs them
// (CLanderLogin::DoModal) while a second thread plays the user with xdotool
// and reads the screen back.
//
// Wine has the web browser control but no HTML engine: the login page never
// completes there (the Linux end-to-end test covers the page itself), so the
// page stays hidden and the dialog shows its background. What runs here is
// real: the per-pixel-alpha face, the owned dialog that follows its window,
// the close prompt (the real message box), and the catch of a play_gamecode
// navigation by the real control. Only the end of the process after OK is
// a stand-in (it would end the test runner), and it says so below.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "browser/web_view.h"
#include "login/login_window.h"
#include "login/login_pixels.h"
#include "ui/desktop.h"
#include "ui/window_host.h"
#include "ui/quit_question.h"
#include "update/test_portal.h"

namespace qm::test {
namespace {

const std::string kTitle = "Quellmoor登录器";
const std::wstring kWideTitle = L"Quellmoor登录器";
constexpr Argb kGrey = 0xFF707070;

bool NearGrey(Picture::Px c) {
  return std::abs(c.r - 0x70) < 10 && std::abs(c.g - 0x70) < 10 && std::abs(c.b - 0x70) < 10;
}


// A plain grey window behind the login window: it counts the clicks that
// pass through the login window's transparent pixels.
class BehindWindow : public WindowController {
 public:
  void OnPaint(Canvas& canvas) override { canvas.FillSolid({0, 0, 1600, 1000}, kGrey); }
  void OnPointerDown(const PointerPress&) override { ++downs; }
  std::atomic<int> downs{0};
};

// Runs code on the user-interface thread from inside the login's modal run:
// a hidden window whose timer fires once.
class UiTask : public WindowController {
 public:
  explicit UiTask(std::function<void()> task) : task_(std::move(task)) {
    WindowOptions options;
    options.bounds = {0, 0, 10, 10};
    options.title = L"login test task";
    host_ = WindowHost::Create(*this, options);
  }
  void Start(int afterMs) { host_->StartTimer(1, afterMs); }
  void OnTimer(int id) override {
    host_->StopTimer(id);
    if (task_) std::exchange(task_, nullptr)();
  }

 private:
  std::function<void()> task_;
  std::unique_ptr<WindowHost> host_;
};

struct WindowRect {
  int x = 0, y = 0, width = 0, height = 0;
};

std::optional<WindowRect> RectOf(HWND window) {
  RECT r{};
  if (!window || !GetWindowRect(window, &r)) return std::nullopt;
  return WindowRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

HWND FindLoginWindow(int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 100) {
    HWND window = FindWindowW(nullptr, kWideTitle.c_str());
    if (window && IsWindowVisible(window)) return window;
    SleepMs(100);
  }
  return nullptr;
}

// The visible top-level window owned by owner (the web login dialog).
HWND FindOwnedWindow(HWND owner) {
  struct Search {
    HWND owner;
    HWND found;
  } search{owner, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetWindow(window, GW_OWNER) == s->owner && IsWindowVisible(window)) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::optional<Placed> WaitForPrompt() { return FindWindowByName("关闭提示", 10000); }

class LoginWindowUnderWine : public testing::Test {
 protected:
  void SetUp() override {
    if (Shell("echo $DISPLAY").size() < 2) GTEST_SKIP() << "no display";
    Shell("xdotool mousemove 5 5");
    environment_.loginUrl = TestPortal::BaseUrl() + L"/client/gamecode/qmr/skin/as/mac//";
    environment_.versionText = L"1.0.1.0";
    environment_.updateCheck = [this] { ++updateChecks_; };
    environment_.askToQuit = AskToQuit;  // the real prompt
    // Stand-in: the real one ends the process at once, which would end this
    // test runner; this one notes the code and ends the login's modal run.
    environment_.exitProcess = [this](int code) {
      exitCodes_.push_back(code);
      if (login_) login_->EndModal(code);
    };
    login_ = std::make_unique<CLanderLogin>(environment_);
  }

  // Runs the login modally while driver plays the user on a second thread;
  // returns the modal result.
  int RunWithDriver(const std::function<void()>& driver) {
    std::thread user(driver);
    const int result = login_->DoModal();
    user.join();
    return result;
  }

  LoginEnvironment environment_;
  std::unique_ptr<CLanderLogin> login_;
  int updateChecks_ = 0;
  std::vector<int> exitCodes_;
};

TEST_F(LoginWindowUnderWine, FaceIsThePictureWithTheVersionLabelAndTransparentPixelsLetClicksThrough) {
  BehindWindow behind;
  WindowOptions options;
  options.bounds = {0, 0, 1600, 1000};
  options.title = L"behind the login";
  auto behindHost = WindowHost::Create(behind, options);
  ASSERT_TRUE(behindHost);
  behindHost->Show();
  PumpEvents(300);

  std::optional<WindowRect> placed;
  Picture corner, label, inside;
  int downsAfterTransparentClick = -1;
  const int result = RunWithDriver([&] {
    HWND window = FindLoginWindow(20000);
    placed = RectOf(window);
    if (!placed) return;
    SleepMs(800);
    const int x = placed->x, y = placed->y;
    corner = Capture({"", x, y, 12, 12}, "login-wine-corner");
    inside = Capture({"", x + 100, y + 300, 1, 1}, "login-wine-inside");
    // The reach of the label's text ("1.0.1.0"): the first 40 x 16 pixels of
    // its box, 60 pixels left of the right edge and 33 above the bottom.
    label = Capture({"", x + placed->width - 60, y + placed->height - 33, 40, 16}, "login-wine-version-label");
    Shell("import -window root '" + ShotDir() + "/login-wine-window.png'");
    // A click on a fully transparent corner pixel lands on the window behind.
    Shell("xdotool mousemove --sync " + std::to_string(x + 5) + " " + std::to_string(y + 5) + " click 1");
    SleepMs(600);
    downsAfterTransparentClick = behind.downs;
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (const auto prompt = WaitForPrompt()) Shell("timeout 5 xdotool windowfocus --sync " + prompt->id + " key Return");
  });
  EXPECT_EQ(result, 0);
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed->width, 1210);
  EXPECT_EQ(placed->height, 746);
  ASSERT_TRUE(corner.valid() && inside.valid() && label.valid());
  EXPECT_TRUE(NearGrey(corner.At(5, 5))) << "a transparent pixel shows the window behind";
  EXPECT_FALSE(NearGrey(inside.At(0, 0)));
  EXPECT_GT(GoldPixels(label), 15) << "the version label is part of the face";
  // The label lies on the picture's plate: nothing of the window behind shows
  // round its text (and no half-transparent edge, which this display would
  // show dark instead of blended).
  int behindPixels = 0;
  for (int ly = 0; ly < label.height; ++ly)
    for (int lx = 0; lx < label.width; ++lx) behindPixels += NearGrey(label.At(lx, ly)) ? 1 : 0;
  EXPECT_EQ(behindPixels, 0) << "the window behind shows around the version label";
  EXPECT_EQ(downsAfterTransparentClick, 1);
  EXPECT_EQ(exitCodes_, std::vector<int>{0});
}

TEST_F(LoginWindowUnderWine, DialogStaysAtItsPlaceInTheWindowAfterAMove) {
  std::optional<WindowRect> before, after, dialogBefore, dialogAfter, dialogMovedBySystem, movedBySystem;
  RunWithDriver([&] {
    HWND window = FindLoginWindow(20000);
    if (!window) return;
    SleepMs(500);
    HWND dialog = FindOwnedWindow(window);
    before = RectOf(window);
    dialogBefore = RectOf(dialog);
    if (!before) return;
    // Dragged by an opaque point of the picture left of the dialog.
    const int grabX = before->x + 200, grabY = before->y + 400;
    Shell("xdotool mousemove --sync " + std::to_string(grabX) + " " + std::to_string(grabY) + " mousedown 1");
    for (int step = 1; step <= 8; ++step) {
      Shell("xdotool mousemove --sync " + std::to_string(grabX - 9 * step) + " " + std::to_string(grabY - 7 * step));
      SleepMs(60);
    }
    Shell("xdotool mouseup 1");
    SleepMs(800);
    after = RectOf(window);
    dialogAfter = RectOf(dialog);
    Shell("import -window root '" + ShotDir() + "/login-wine-dragged.png'");
    // Moved by the system (as a window manager or another program would).
    SetWindowPos(window, nullptr, 150, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SleepMs(500);
    movedBySystem = RectOf(window);
    dialogMovedBySystem = RectOf(dialog);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (const auto prompt = WaitForPrompt()) Shell("timeout 5 xdotool windowfocus --sync " + prompt->id + " key Return");
  });
  ASSERT_TRUE(before && dialogBefore);
  EXPECT_EQ(dialogBefore->x - before->x, CLanderLogin::kDialogLeft);
  EXPECT_EQ(dialogBefore->y - before->y, CLanderLogin::kDialogTop);
  EXPECT_EQ(dialogBefore->width, 690);
  EXPECT_EQ(dialogBefore->height, 513);
  ASSERT_TRUE(after && dialogAfter);
  EXPECT_NE(after->x, before->x) << "the drag moved the window";
  EXPECT_EQ(dialogAfter->x - after->x, CLanderLogin::kDialogLeft);
  EXPECT_EQ(dialogAfter->y - after->y, CLanderLogin::kDialogTop);
  ASSERT_TRUE(movedBySystem && dialogMovedBySystem);
  EXPECT_EQ(movedBySystem->x, 150);
  EXPECT_EQ(dialogMovedBySystem->x, 150 + CLanderLogin::kDialogLeft);
  EXPECT_EQ(dialogMovedBySystem->y, 90 + CLanderLogin::kDialogTop);
}

// The dialog's minimize and close symbols stand over its pure green colour
// key, through which the picture's dark frame shows. In every picture of the
// two buttons (at rest, lit under the pointer, pressed) no pixel around them
// is a blend with the key.
TEST_F(LoginWindowUnderWine, DialogWindowButtonsHaveNoGreenFringes) {
  struct Shot {
    std::string name;
    Picture picture;
  };
  std::vector<Shot> shots;
  RunWithDriver([&] {
    HWND window = FindLoginWindow(20000);
    if (!window) return;
    SleepMs(800);
    const std::optional<WindowRect> dialog = RectOf(FindOwnedWindow(window));
    if (dialog) {
      // Both buttons with 3 pixels round them: minimize at 605, close at 633,
      // each 28 pixels wide, at the dialog's top.
      const Placed buttons{"", dialog->x + 690 - 85 - 3, dialog->y, 28 + 28 + 6, 31};
      // Points on the symbols themselves: around them the buttons show the
      // key, which lets the pointer through to the login window.
      const std::string minimize = std::to_string(dialog->x + 690 - 85 + 14) + " " + std::to_string(dialog->y + 18);
      const std::string close = std::to_string(dialog->x + 690 - 57 + 14) + " " + std::to_string(dialog->y + 15);
      const std::vector<std::pair<std::string, std::string>> states = {
          {"normal", ""},
          {"minimize-hover", "mousemove --sync " + minimize},
          {"close-hover", "mousemove --sync " + close},
          {"close-pressed", "mousemove --sync " + close + " mousedown 1"},
      };
      for (const auto& [name, pointer] : states) {
        if (!pointer.empty()) Shell("xdotool " + pointer);
        SleepMs(1000);  // the hover picture comes after the pointer rests
        shots.push_back({name, Capture(buttons, "login-wine-dialog-buttons-" + name)});
      }
      // Released away from the button: no click.
      Shell("xdotool mousemove --sync " + std::to_string(dialog->x - 150) + " " + std::to_string(dialog->y + 300) +
            " mouseup 1");
      SleepMs(300);
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (const auto prompt = WaitForPrompt()) Shell("timeout 5 xdotool windowfocus --sync " + prompt->id + " key Return");
  });
  ASSERT_EQ(shots.size(), 4u);
  for (const Shot& shot : shots) {
    ASSERT_TRUE(shot.picture.valid()) << shot.name;
    EXPECT_GT(LightPixels(shot.picture), 8) << shot.name << ": the symbols show";
    EXPECT_EQ(GreenishPixels(shot.picture), 0) << shot.name;
  }
  EXPECT_EQ(exitCodes_, std::vector<int>{0});
}

// The pixels that differ clearly between two pictures of one size.
int ChangedPixels(const Picture& before, const Picture& after) {
  if (!before.valid() || before.width != after.width || before.height != after.height) return -1;
  int changed = 0;
  for (int y = 0; y < before.height; ++y)
    for (int x = 0; x < before.width; ++x) {
      const Picture::Px a = before.At(x, y), b = after.At(x, y);
      if (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 60) ++changed;
    }
  return changed;
}

// The dialog stays directly above the login window when the window comes to
// the front (a click on the picture, the window raised by the system) and
// while a prompt is open, and what the prompt covered is painted again after
// its Cancel: the dialog's pixels are what they were before.
TEST_F(LoginWindowUnderWine, DialogStaysAboveItsWindowAndIsPaintedAgainAfterThePrompt) {
  struct Look {
    std::string name;
    bool dialogDirectlyAbove = false;
    int changed = -1;
  };
  std::vector<Look> looks;
  RunWithDriver([&] {
    HWND window = FindLoginWindow(20000);
    if (!window) return;
    SleepMs(800);
    HWND dialog = FindOwnedWindow(window);
    const std::optional<WindowRect> place = RectOf(dialog);
    if (!place) return;
    // The dialog without its two buttons (which light under the pointer).
    const Placed area{"", place->x, place->y + 31, place->width, place->height - 31};
    const Picture before = Capture(area, "login-wine-dialog-before");
    const auto look = [&](const std::string& name) {
      SleepMs(800);
      Look l{name};
      l.dialogDirectlyAbove = GetWindow(window, GW_HWNDPREV) == dialog;
      l.changed = ChangedPixels(before, Capture(area, "login-wine-dialog-" + name));
      looks.push_back(l);
    };
    // A click on the picture right of the dialog.
    Shell("xdotool mousemove " + std::to_string(place->x + place->width + 45) + " " + std::to_string(place->y + 384) +
          " sleep 0.2 click 1");
    look("picture-clicked");
    // The window raised by the system.
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    look("window-raised");
    // The dialog's close button: the prompt over the dialog, then Cancel.
    Shell("xdotool mousemove " + std::to_string(place->x + 690 - 57 + 14) + " " + std::to_string(place->y + 15) +
          " sleep 0.2 click 1");
    if (const auto prompt = WaitForPrompt()) {
      Shell("import -window root '" + ShotDir() + "/login-wine-dialog-prompt.png'");
      // Its "取消" button.
      Shell("xdotool mousemove " + std::to_string(prompt->x + 178) + " " + std::to_string(prompt->y + 79) +
            " sleep 0.3 click 1");
    }
    Shell("xdotool mousemove " + std::to_string(place->x - 150) + " " + std::to_string(place->y + 300));
    for (int waited = 0; waited < 5000 && FindWindowW(nullptr, L"关闭提示"); waited += 100) SleepMs(100);
    look("prompt-cancelled");
    Shell("import -window root '" + ShotDir() + "/login-wine-dialog-prompt-cancelled-screen.png'");
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (const auto prompt = WaitForPrompt()) Shell("timeout 5 xdotool windowfocus --sync " + prompt->id + " key Return");
  });
  ASSERT_EQ(looks.size(), 3u);
  for (const Look& look : looks) {
    EXPECT_TRUE(look.dialogDirectlyAbove) << look.name;
    EXPECT_GE(look.changed, 0) << look.name;
    EXPECT_LT(look.changed, 690 * 482 / 200) << look.name;
  }
}

TEST_F(LoginWindowUnderWine, CloseAsksFirstCancelKeepsEverythingOkEndsWithZero) {
  bool firstPrompt = false, stayedAfterCancel = false, dialogStayed = false, systemClosePrompt = false;
  std::vector<int> codesAfterCancel;
  const int result = RunWithDriver([&] {
    HWND window = FindLoginWindow(20000);
    if (!window) return;
    SleepMs(500);
    HWND dialog = FindOwnedWindow(window);
    // WM_CLOSE (the taskbar's Close) gives the prompt; Cancel keeps all.
    PostMessageW(window, WM_CLOSE, 0, 0);
    auto prompt = WaitForPrompt();
    firstPrompt = prompt.has_value();
    if (!prompt) return;
    Shell("import -window root '" + ShotDir() + "/login-wine-close-prompt.png'");
    Shell("timeout 5 xdotool windowfocus --sync " + prompt->id + " key Escape");
    SleepMs(800);
    stayedAfterCancel = IsWindow(window) && IsWindowVisible(window);
    dialogStayed = IsWindow(dialog) && IsWindowVisible(dialog);
    codesAfterCancel = exitCodes_;
    // The system menu's Close (what Alt+F4 becomes) gives it again; OK
    // ends with 0. (Alt+F4 itself is pressed in the Linux end-to-end test:
    // under Wine without a window manager the key does not reliably reach
    // the window that xdotool focuses.)
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    prompt = WaitForPrompt();
    systemClosePrompt = prompt.has_value();
    if (prompt) Shell("timeout 5 xdotool windowfocus --sync " + prompt->id + " key Return");
  });
  EXPECT_TRUE(firstPrompt);
  EXPECT_TRUE(stayedAfterCancel);
  EXPECT_TRUE(dialogStayed);
  EXPECT_TRUE(codesAfterCancel.empty());
  EXPECT_TRUE(systemClosePrompt);
  EXPECT_EQ(exitCodes_, std::vector<int>{0});
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(login_->GetGameUrl().empty());
}

// The page would navigate to the game itself after the login; here the
// dialog's own control is sent there, which raises the same BeforeNavigate2.
TEST_F(LoginWindowUnderWine, GameUrlNavigationIsCancelledAndEndsTheLoginWithTheWholeUrl) {
  TestPortal portal;
  ASSERT_TRUE(portal.running());
  const std::wstring gameUrl =
      TestPortal::BaseUrl() + L"/qmr/play_gamecode/svname/%E5%AF%92%E9%9C%9C%E4%BA%8C%E5%8C%BA/?uid=demo&t=1";
  bool navigated = false;
  UiTask navigate([&] {
    if (WebFormLogin* browser = login_->dialog().browser()) navigated = browser->Navigate(gameUrl);
  });
  navigate.Start(2500);
  const int result = RunWithDriver([] {});
  EXPECT_TRUE(navigated);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(login_->GetGameUrl(), gameUrl);
  EXPECT_TRUE(exitCodes_.empty());
  SleepMs(500);
  for (const std::string& request : portal.Requests())
    EXPECT_EQ(request.find("play_gamecode"), std::string::npos) << request;
  // No document completes under Wine, so no version check ran.
  EXPECT_EQ(updateChecks_, 0);
}

// Tab and the editing shortcuts are offered to the page's accelerator
// handling with the key message itself; under Wine the control has no
// document to take them, so they go on to the focused window. Escape is
// dropped; Enter and Space go on untouched.
TEST_F(LoginWindowUnderWine, KeysOfferedToThePageGoOnWhenThereIsNoDocument) {
  std::vector<std::pair<int, bool>> consumed;
  UiTask press([&] {
    CLoginPopupDlg& dialog = login_->dialog();
    HWND target = static_cast<HWND>(dialog.host()->ChildParent());
    for (int key : std::vector<int>{keys::kTab, 'A', 'C', 'V', 'X', keys::kEscape, keys::kReturn, keys::kSpace}) {
      const MSG message{target, WM_KEYDOWN, static_cast<WPARAM>(key), 0, 0, {}};
      KeyPress press{key, key >= 'A' && key <= 'Z', false, false, &message};
      consumed.emplace_back(key, dialog.OnKeyDown(press));
    }
    login_->EndModal(0);
  });
  press.Start(1500);
  EXPECT_EQ(RunWithDriver([] {}), 0);
  const std::vector<std::pair<int, bool>> expected{{keys::kTab, false},    {'A', false},           {'C', false},
                                                   {'V', false},           {'X', false},           {keys::kEscape, true},
                                                   {keys::kReturn, false}, {keys::kSpace, false}};
  EXPECT_EQ(consumed, expected);
  ASSERT_NE(login_->dialog().browser(), nullptr);
  EXPECT_NE(login_->dialog().browser()->webView(), nullptr);
}

}  // namespace
}  // namespace qm::test
