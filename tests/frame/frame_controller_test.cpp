// The frame's rules through a recording window: the window states and their
// geometry, the caption buttons, the routing of commands, keys and system
// commands, the messages to the game window and the caption strip.
#include "frame/frame_controller.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/text.h"
#include "frame/caption_font.h"
#include "frame/hotkeys.h"

namespace qm {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A window that behaves like a top-level Win32 window for what the frame
// looks at: SC_MAXIMIZE zooms it, SC_RESTORE returns it to the place it had
// before it was zoomed, moves change its client width.
class RecordingFrameWindow : public FrameWindowPort {
 public:
  PixelRect screen{0, 0, 1600, 1000};
  PixelRect workArea{0, 0, 1600, 960};
  std::optional<PixelRect> taskbar = PixelRect{0, 960, 1600, 40};

  PixelRect rect{0, 0, 1000, 700};
  PixelRect normalPlace{0, 0, 1000, 700};
  bool zoomed = false;
  bool minimized = false;
  bool minimizeTakesEffect = true;  // false: as if the player brought it back at once
  bool visible = true;
  std::map<int, bool> buttonShown;
  std::map<int, PixelRect> buttonPlace;
  std::vector<std::pair<WindowId, GameMessage>> sent, posted;
  std::map<int, int> timers;
  std::vector<std::string> actions;  // prompts, drags, game start, ...
  std::vector<PixelRect> invalidated;
  std::wstring startedGameUrl;

  PixelRect WorkArea() override { return workArea; }
  std::optional<PixelRect> TaskbarRect() override { return taskbar; }
  PixelRect ScreenRect() override { return screen; }
  int ClientWidth() override { return rect.width; }
  bool IsZoomed() override { return zoomed; }
  void SysCommand(unsigned command) override {
    if (command == kSysCommandMaximize) {
      if (!zoomed) normalPlace = rect;
      zoomed = true;
      minimized = false;
      rect = screen;
    } else if (command == kSysCommandRestore) {
      // From minimized a window returns to the state it had; otherwise a
      // zoomed window goes back to its normal place.
      if (minimized) {
        minimized = false;
      } else if (zoomed) {
        rect = normalPlace;
        zoomed = false;
      }
    } else if (command == kSysCommandMinimize) {
      minimized = minimizeTakesEffect;
    }
  }
  void MoveWindow(const PixelRect& r) override {
    rect = r;
    if (!zoomed) normalPlace = r;
  }
  void InvalidateWithErase(const PixelRect& r) override { invalidated.push_back(r); }
  void UpdateNow() override { actions.push_back("update"); }
  void SetTimer(int id, int ms) override { timers[id] = ms; }
  void KillTimer(int id) override { timers.erase(id); }
  void BeginMoveDrag() override { actions.push_back("drag"); }
  void ShowFrame(bool show) override { visible = show; }
  bool IsFrameVisible() override { return visible; }
  void BringToForeground() override { actions.push_back("foreground"); }
  void PlaceButton(int id, const PixelRect& r) override { buttonPlace[id] = r; }
  void ShowButton(int id, bool show) override { buttonShown[id] = show; }
  void SendToGameWindow(WindowId w, const GameMessage& m) override { sent.push_back({w, m}); }
  void PostToGameWindow(WindowId w, const GameMessage& m) override { posted.push_back({w, m}); }
  void StartGameProcess(const std::wstring& url) override { startedGameUrl = url; }
  void QuitPrompt() override {
    actions.push_back("quit prompt");
    if (whilePromptOpen) whilePromptOpen();
  }
  void ChooseServerPrompt() override {
    actions.push_back("choose server prompt");
    if (whilePromptOpen) whilePromptOpen();
  }
  void ShowPrompts(bool show) override {
    promptsShown = show;
    actions.push_back(show ? "prompts shown" : "prompts hidden");
  }
  void StartCacheCleaning() override { actions.push_back("clean cache"); }
  void ShowCacheOverlay(bool show) override {
    overlayShown = show;
    actions.push_back(show ? "overlay shown" : "overlay hidden");
  }

  // What happens while a prompt waits for its answer (events of the modal run).
  std::function<void()> whilePromptOpen;
  bool promptsShown = true;
  bool overlayShown = false;

  std::set<int> ShownButtons() const {
    std::set<int> ids;
    for (const auto& [id, shown] : buttonShown)
      if (shown) ids.insert(id);
    return ids;
  }
  std::vector<GameMessage> SentMessages() const {
    std::vector<GameMessage> messages;
    for (const auto& s : sent) messages.push_back(s.second);
    return messages;
  }
  void ClearRecords() {
    sent.clear();
    posted.clear();
    actions.clear();
    invalidated.clear();
  }
};

const std::wstring kGameUrl = L"http://127.0.0.1:18614/play_gamecode?svname=%E4%B8%80%E5%8C%BA/x&u=a b";
constexpr WindowId kGameWindow = 0x2A0004;

const std::set<int> kAllButtons = {1001, 1008, 1002, 1003, 1004, 1005, 1030, 1021, 1007};
std::set<int> AllBut(int hidden) {
  std::set<int> ids = kAllButtons;
  ids.erase(hidden);
  return ids;
}

struct Started {
  RecordingFrameWindow window;
  FrameController frame{window};
  explicit Started(bool attach = true) {
    window.buttonShown = {};
    for (int id : kAllButtons) window.buttonShown[id] = true;  // the template shows them all
    frame.Start(kGameUrl);
    if (attach) frame.OnGameWindowAttached(kGameWindow);
    window.ClearRecords();
  }
};

TEST(CaptionButtons, TableOfImagesTooltipsAndPlaces) {
  struct Row {
    int id;
    unsigned normal, hover, pressed;
    const wchar_t* tooltip;
    PixelRect placeAt1600;
  };
  const Row expected[] = {
      {1001, 207, 208, 227, nullptr, {1572, 3, 28, 26}},
      {1008, 220, 213, 228, nullptr, {1543, 3, 28, 26}},
      {1002, 221, 217, 229, nullptr, {1543, 3, 28, 26}},
      {1003, 209, 210, 230, nullptr, {1514, 3, 28, 26}},
      {1004, 224, 214, 234, L"全屏/取消全屏（快捷键F11）", {1408, 3, 85, 24}},
      {1005, 223, 215, 233, L"老板键（快捷键F10）", {1306, 3, 97, 24}},
      {1030, 252, 253, 261, L"清除缓存", {1216, 3, 85, 24}},
      {1021, 226, 219, 236, L"刷新", {1142, 3, 78, 24}},
      {1007, 211, 212, 231, L"选择新的服务器", {1078, 3, 59, 24}},
  };
  const auto& buttons = CaptionButtons();
  ASSERT_EQ(buttons.size(), std::size(expected));
  for (size_t i = 0; i < buttons.size(); ++i) {
    SCOPED_TRACE(expected[i].id);
    EXPECT_EQ(buttons[i].id, expected[i].id);
    EXPECT_EQ(buttons[i].normalImage, expected[i].normal);
    EXPECT_EQ(buttons[i].hoverImage, expected[i].hover);
    EXPECT_EQ(buttons[i].pressedImage, expected[i].pressed);
    EXPECT_EQ(buttons[i].tooltip == nullptr, expected[i].tooltip == nullptr);
    if (expected[i].tooltip) {
      EXPECT_EQ(std::wstring(buttons[i].tooltip), expected[i].tooltip);
    }
    EXPECT_EQ(CaptionButtonPlace(buttons[i], 1600), expected[i].placeAt1600);
    EXPECT_EQ(CaptionButtonPlace(buttons[i], 1000).x, expected[i].placeAt1600.x - 600);
  }
}

TEST(MaximizedOrigin, FollowsTheTaskbarOnTopOrLeft) {
  struct Case {
    const char* name;
    PixelRect workArea;
    std::optional<PixelRect> taskbar;
    PixelPoint origin;
  };
  const Case cases[] = {
      {"bottom", {0, 0, 1600, 960}, PixelRect{0, 960, 1600, 40}, {0, 0}},
      {"right", {0, 0, 1540, 1000}, PixelRect{1540, 0, 60, 1000}, {0, 0}},
      {"top", {0, 40, 1600, 960}, PixelRect{0, 0, 1600, 40}, {0, 40}},
      {"left", {60, 0, 1540, 1000}, PixelRect{0, 0, 60, 1000}, {60, 0}},
      {"none", {0, 32, 1600, 968}, std::nullopt, {0, 0}},
      {"auto-hidden", {0, 0, 1600, 1000}, PixelRect{0, 998, 1600, 40}, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MaximizedOrigin(c.workArea, c.taskbar), c.origin);
  }
}

TEST(MaximizedOrigin, PanelDerivedFromAnX11WorkAreaGivesItsOrigin) {
  const PixelRect screen{0, 0, 1600, 1000};
  const PixelRect top{0, 32, 1600, 968}, left{200, 0, 1400, 1000}, bottom{0, 0, 1600, 968};
  EXPECT_EQ(MaximizedOrigin(top, PanelBeforeWorkArea(screen, top)), (PixelPoint{0, 32}));
  EXPECT_EQ(MaximizedOrigin(left, PanelBeforeWorkArea(screen, left)), (PixelPoint{200, 0}));
  EXPECT_EQ(PanelBeforeWorkArea(screen, bottom), std::nullopt);
  EXPECT_EQ(MaximizedOrigin(bottom, PanelBeforeWorkArea(screen, bottom)), (PixelPoint{0, 0}));
}

TEST(FrameStart, MaximizesIntoTheWorkAreaForEachTaskbarEdge) {
  struct Case {
    const char* name;
    PixelRect workArea;
    PixelRect taskbar;
    PixelRect frame;
  };
  const Case cases[] = {
      {"bottom", {0, 0, 1600, 960}, {0, 960, 1600, 40}, {0, 0, 1600, 960}},
      {"right", {0, 0, 1540, 1000}, {1540, 0, 60, 1000}, {0, 0, 1540, 1000}},
      {"top", {0, 40, 1600, 960}, {0, 0, 1600, 40}, {0, 40, 1600, 960}},
      {"left", {60, 0, 1540, 1000}, {0, 0, 60, 1000}, {60, 0, 1540, 1000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingFrameWindow window;
    window.workArea = c.workArea;
    window.taskbar = c.taskbar;
    FrameController frame(window);
    frame.Start(kGameUrl);
    EXPECT_EQ(window.rect, c.frame);
    EXPECT_TRUE(window.zoomed);
    EXPECT_TRUE(frame.maximized());
    EXPECT_FALSE(frame.fullScreen());
    EXPECT_FALSE(frame.minimizedByButton());
    EXPECT_FALSE(window.buttonShown[kButtonMaximize]);
    EXPECT_TRUE(window.buttonShown[kButtonRestore]);
    EXPECT_EQ(window.buttonPlace[kButtonClose], (PixelRect{c.frame.width - 28, 3, 28, 26}));
    EXPECT_EQ(window.startedGameUrl, kGameUrl);
    // No game window yet: nothing is sent to it.
    EXPECT_TRUE(window.sent.empty());
    EXPECT_EQ(window.invalidated.back(), (PixelRect{0, 0, c.frame.width, 30}));
  }
}

TEST(FrameStart, ServerNameAndCaptionText) {
  Started s;
  EXPECT_EQ(s.frame.serverName(), L"一区");
  EXPECT_EQ(s.frame.CaptionText(), L"[ 一区 ]");
  EXPECT_EQ(s.frame.gameUrl(), kGameUrl);  // the URL itself stays undecoded
  RecordingFrameWindow window;
  FrameController noName(window);
  noName.Start(L"http://portal/play_gamecode?a=1");
  EXPECT_EQ(noName.CaptionText(), L"");
}

TEST(FrameStates, FirstRestoreGivesTheCentredPlace) {
  Started s;
  s.frame.OnCommand(kButtonRestore);
  EXPECT_EQ(s.window.rect, (PixelRect{300, 150, 1000, 700}));
  EXPECT_FALSE(s.frame.maximized());
  EXPECT_EQ(s.window.ShownButtons(), AllBut(kButtonRestore));
  EXPECT_EQ(s.window.buttonPlace[kButtonClose], (PixelRect{972, 3, 28, 26}));
  EXPECT_EQ(s.window.buttonPlace[kButtonChooseServer], (PixelRect{478, 3, 59, 24}));
  EXPECT_EQ(s.window.SentMessages(), (std::vector<GameMessage>{{WM_GAMEWND_FIT, 0, 0}}));
  EXPECT_EQ(s.window.invalidated, (std::vector<PixelRect>{{0, 0, 1000, 30}}));
}

// One step of the player and the frame's state after it.
struct Step {
  const char* what;
  std::function<void(FrameController&)> act;
  bool fullScreen, maximized, minimizedByButton;
  PixelRect rect;
  std::set<int> shownButtons;
  std::vector<GameMessage> sent;
};

void RunSteps(Started& s, const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    s.window.ClearRecords();
    step.act(s.frame);
    EXPECT_EQ(s.frame.fullScreen(), step.fullScreen);
    EXPECT_EQ(s.frame.maximized(), step.maximized);
    EXPECT_EQ(s.frame.minimizedByButton(), step.minimizedByButton);
    EXPECT_EQ(s.window.rect, step.rect);
    EXPECT_EQ(s.window.ShownButtons(), step.shownButtons);
    EXPECT_EQ(s.window.SentMessages(), step.sent);
  }
}

const PixelRect kWork{0, 0, 1600, 960};
const PixelRect kScreen{0, 0, 1600, 1000};
const PixelRect kCentred{300, 150, 1000, 700};
auto Command(int id) {
  return [id](FrameController& f) { f.OnCommand(id); };
}
const GameMessage kFit0{WM_GAMEWND_FIT, 0, 0};
const GameMessage kFit1{WM_GAMEWND_FIT, 1, 0};

TEST(FrameStates, FullScreenFromRestoredAndBackEndsMaximized) {
  Started s;
  RunSteps(s, {
                  {"restore", Command(kButtonRestore), false, false, false, kCentred, AllBut(kButtonRestore), {kFit0}},
                  {"full screen", Command(kButtonFullScreen), true, false, false, kScreen, {}, {kFit1}},
                  {"cancel command", Command(kCommandCancel), false, true, false, kWork, AllBut(kButtonMaximize),
                   {kFit0}},
              });
}

TEST(FrameStates, MaximizeRestoreAndMinimizeFlag) {
  Started s;
  s.window.minimizeTakesEffect = false;
  RunSteps(s, {
                  {"minimize", Command(kButtonMinimize), false, true, true, kWork, AllBut(kButtonMaximize), {}},
                  {"maximize clears it", Command(kButtonMaximize), false, true, false, kWork,
                   AllBut(kButtonMaximize), {kFit0}},
                  {"minimize again", Command(kButtonMinimize), false, true, true, kWork, AllBut(kButtonMaximize), {}},
                  {"restore clears it", Command(kButtonRestore), false, false, false, kCentred,
                   AllBut(kButtonRestore), {kFit0}},
                  {"minimize restored", Command(kButtonMinimize), false, false, true, kCentred,
                   AllBut(kButtonRestore), {}},
                  {"full screen clears it", Command(kButtonFullScreen), true, false, false, kScreen, {}, {kFit1}},
                  {"cancel leaves full screen", Command(kCommandCancel), false, true,
                   false, kWork, AllBut(kButtonMaximize), {kFit0}},
                  {"cancel when not full screen", Command(kCommandCancel), false, true, false, kWork,
                   AllBut(kButtonMaximize), {}},
              });
  EXPECT_TRUE(s.window.actions.empty());
}

TEST(FrameStates, DoubleClickTogglesAndLeavesTheMinimizeFlag) {
  Started s;
  s.frame.OnCommand(kButtonMinimize);
  s.window.minimized = false;  // the player brought it back
  RunSteps(s, {
                  {"double click zoomed", [](FrameController& f) { f.OnLeftButtonDoubleClick(); }, false, false, true,
                   kCentred, AllBut(kButtonRestore), {kFit0}},
                  {"double click restored", [](FrameController& f) { f.OnLeftButtonDoubleClick(); }, false, true,
                   true, kWork, AllBut(kButtonMaximize), {kFit0}},
              });
}

TEST(FrameStates, DoubleClickRestoreInvalidatesTheRestoredStrip) {
  Started s;
  s.frame.OnLeftButtonDoubleClick();
  EXPECT_EQ(s.window.invalidated, (std::vector<PixelRect>{{0, 0, 1000, 30}}));
}

TEST(FrameStates, EnterFullScreenHidesEveryButtonAndUpdatesAtOnce) {
  Started s;
  s.frame.OnCommand(kButtonFullScreen);
  EXPECT_TRUE(s.window.ShownButtons().empty());
  EXPECT_EQ(s.window.actions, (std::vector<std::string>{"update"}));
  EXPECT_TRUE(s.frame.maximized());  // keeps its value
}

TEST(FrameMessages, NothingGoesToTheGameWindowBeforeItIsKnown) {
  Started s(/*attach=*/false);
  for (int id : {kButtonRestore, kButtonMaximize, kButtonFullScreen, kCommandCancel, kButtonRefresh})
    s.frame.OnCommand(id);
  s.frame.OnSize();
  s.frame.OnLeftButtonDoubleClick();
  s.frame.OnTimer(kTimerFitAfterRestore);
  EXPECT_TRUE(s.window.sent.empty());
  EXPECT_TRUE(s.window.posted.empty());
}

TEST(FrameMessages, AttachedStoresTheHandleAndAnswersZero) {
  Started s(/*attach=*/false);
  EXPECT_EQ(s.frame.OnGameWindowAttached(kGameWindow), 0);
  EXPECT_EQ(s.frame.gameWindow(), kGameWindow);
  s.frame.OnCommand(kButtonRefresh);
  ASSERT_EQ(s.window.posted.size(), 1u);
  EXPECT_EQ(s.window.posted[0].first, kGameWindow);
  EXPECT_EQ(s.window.posted[0].second, (GameMessage{WM_GAMEWND_RELOAD, 0, 0}));
  EXPECT_TRUE(s.window.sent.empty());  // refresh is posted, never sent
}

TEST(FrameMessages, NothingGoesToTheGameWindowAfterItsProcessHasEnded) {
  Started s;
  ASSERT_EQ(s.frame.gameWindow(), kGameWindow);
  s.frame.OnCommand(kCommandGameProcessEnded);
  EXPECT_EQ(s.frame.gameWindow(), 0);
  s.window.ClearRecords();
  for (int id : {kButtonRestore, kButtonMaximize, kButtonFullScreen, kCommandCancel, kButtonRefresh})
    s.frame.OnCommand(id);
  s.frame.OnSize();
  EXPECT_TRUE(s.window.sent.empty());
  EXPECT_TRUE(s.window.posted.empty());
}

TEST(FrameMessages, SizeFitsAfterTheFullScreenFlag) {
  Started s;
  s.frame.OnSize();
  s.frame.OnCommand(kButtonFullScreen);
  s.window.ClearRecords();
  s.frame.OnSize();
  EXPECT_EQ(s.window.SentMessages(), (std::vector<GameMessage>{kFit1}));
  s.frame.OnCommand(kCommandCancel);
  s.window.ClearRecords();
  s.frame.OnSize();
  EXPECT_EQ(s.window.SentMessages(), (std::vector<GameMessage>{kFit0}));
  for (const auto& [to, message] : s.window.sent) EXPECT_EQ(to, kGameWindow);
}

TEST(FrameCommands, RoutingTable) {
  struct Case {
    int id;
    std::vector<std::string> actions;
    bool visibleAfter;
  };
  const Case cases[] = {
      {1001, {"quit prompt"}, true},
      {1005, {}, false},
      {1007, {"choose server prompt"}, true},
      {1030, {"clean cache", "overlay shown"}, true},
      {32775, {}, false},
      {32776, {"clean cache", "overlay shown"}, true},
      {32777, {"quit prompt"}, true},
      {32778, {}, true},
      {10002, {"overlay hidden"}, true},
      {4242, {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    Started s;
    const PixelRect before = s.window.rect;
    s.frame.OnCommand(c.id);
    EXPECT_EQ(s.window.actions, c.actions);
    EXPECT_EQ(s.window.visible, c.visibleAfter);
    EXPECT_EQ(s.window.rect, before);
    EXPECT_TRUE(s.window.sent.empty());
  }
}

TEST(FrameKeys, EnterAndEscapeAreNotTranslatedF5IsTheAcceleratorThatDoesNothing) {
  Started s;
  s.frame.OnCommand(kButtonFullScreen);
  s.window.ClearRecords();
  EXPECT_EQ(s.frame.RouteKeyDown(kKeyReturn, false, false, false), FrameKeyRoute::kNotTranslated);
  EXPECT_EQ(s.frame.RouteKeyDown(kKeyEscape, false, false, false), FrameKeyRoute::kNotTranslated);
  EXPECT_EQ(s.frame.RouteKeyDown(kKeyEscape, true, false, false), FrameKeyRoute::kNotTranslated);
  EXPECT_EQ(s.frame.RouteKeyDown(kKeyF5, false, false, false), FrameKeyRoute::kAcceleratorF5);
  EXPECT_EQ(s.frame.RouteKeyDown(kKeyF5, true, false, false), FrameKeyRoute::kDialogProcessing);
  EXPECT_EQ(s.frame.RouteKeyDown('A', false, false, false), FrameKeyRoute::kDialogProcessing);
  s.frame.OnCommand(kCommandAcceleratorF5);
  EXPECT_TRUE(s.frame.fullScreen());  // nothing left full screen
  EXPECT_TRUE(s.window.actions.empty());
  EXPECT_TRUE(s.window.sent.empty());
  EXPECT_TRUE(s.window.posted.empty());
}

TEST(FrameSysCommands, CloseRequestPromptsThenLeavesFullScreen) {
  Started s;
  s.frame.OnCommand(kButtonFullScreen);
  s.window.ClearRecords();
  s.frame.OnCloseRequest();  // the player declined the quit prompt
  EXPECT_EQ(s.window.actions, (std::vector<std::string>{"quit prompt"}));
  EXPECT_FALSE(s.frame.fullScreen());
  EXPECT_EQ(s.window.rect, kWork);
  s.window.ClearRecords();
  s.frame.OnCloseRequest();
  EXPECT_EQ(s.window.actions, (std::vector<std::string>{"quit prompt"}));
  EXPECT_EQ(s.window.rect, kWork);
}

TEST(FrameSysCommands, ReturnFromMinimizedFitsTheWorkArea10msAfterTheRestore) {
  Started s;
  EXPECT_TRUE(s.frame.OnSysCommand(kSysCommandMinimize));
  s.window.SysCommand(kSysCommandMinimize);
  EXPECT_TRUE(s.frame.OnSysCommand(kSysCommandRestore | 2));  // low bits are the system's own
  EXPECT_EQ(s.window.timers, (std::map<int, int>{{102, 10}}));
  s.window.SysCommand(kSysCommandRestore);
  s.window.rect = kScreen;  // the system gives back the monitor-sized maximized place
  s.frame.OnTimer(kTimerFitAfterRestore);
  EXPECT_EQ(s.window.rect, kWork);
  EXPECT_TRUE(s.window.timers.empty());
  EXPECT_EQ(s.window.SentMessages(), (std::vector<GameMessage>{kFit0}));
  // A restored frame starts no timer; other timers do nothing.
  s.frame.OnCommand(kButtonRestore);
  s.frame.OnSysCommand(kSysCommandRestore);
  EXPECT_TRUE(s.window.timers.empty());
  s.window.ClearRecords();
  s.frame.OnTimer(5000);
  EXPECT_EQ(s.window.rect, kCentred);
  EXPECT_TRUE(s.window.sent.empty());
}

TEST(FrameMouse, DragsByTheStripOnlyWhenNotZoomed) {
  Started s;
  s.frame.OnLeftButtonDown();
  EXPECT_TRUE(s.window.actions.empty());
  s.frame.OnCommand(kButtonRestore);
  s.frame.OnLeftButtonDown();
  EXPECT_EQ(s.window.actions, (std::vector<std::string>{"drag"}));
}

TEST(FrameHotkeys, BossKeyAndFullScreenKey) {
  {
    Started s;
    s.frame.OnHotkey(2, false);
    EXPECT_FALSE(s.window.visible);
    s.frame.OnHotkey(2, false);
    EXPECT_TRUE(s.window.visible);
  }
  {
    Started s;
    s.frame.OnCommand(kButtonRestore);
    s.frame.OnCommand(kButtonMinimize);
    s.window.ClearRecords();
    s.frame.OnHotkey(2, false);
    EXPECT_TRUE(s.window.visible);
    EXPECT_FALSE(s.frame.minimizedByButton());
    EXPECT_EQ(s.window.rect, kCentred);
    EXPECT_EQ(s.window.actions, (std::vector<std::string>{"foreground"}));
  }
  {
    Started s;
    s.frame.OnHotkey(3, false);
    EXPECT_FALSE(s.frame.fullScreen());
    s.frame.OnCommand(kButtonMinimize);
    s.frame.OnHotkey(3, true);
    EXPECT_TRUE(s.frame.fullScreen());
    EXPECT_TRUE(s.frame.minimizedByButton());  // the full-screen key keeps it
    s.frame.OnHotkey(3, true);
    EXPECT_FALSE(s.frame.fullScreen());
    EXPECT_EQ(s.window.rect, kWork);
  }
}

// Every way of hiding and showing the launcher takes the overlay of a
// running cleaning and the open prompt with the frame, and brings back the
// same ones: the prompt last (in front), the overlay only while a cleaning
// still runs.
TEST(FrameBossKey, TheOverlayAndTheOpenPromptGoAndComeBackWithTheFrame) {
  struct Way {
    const char* what;
    std::function<void(FrameController&)> hide, show;
  };
  const Way ways[] = {
      {"boss key twice", [](FrameController& f) { f.OnHotkey(kBossKeyHotkeyId, false); },
       [](FrameController& f) { f.OnHotkey(kBossKeyHotkeyId, false); }},
      {"boss-key button, tray item", [](FrameController& f) { f.OnCommand(kButtonBossKey); },
       [](FrameController& f) { f.OnCommand(kCommandTrayToggle); }},
      {"tray item twice", [](FrameController& f) { f.OnCommand(kCommandTrayToggle); },
       [](FrameController& f) { f.OnCommand(kCommandTrayToggle); }},
      {"boss key, tray icon click", [](FrameController& f) { f.OnHotkey(kBossKeyHotkeyId, true); },
       [](FrameController& f) { f.OnTrayIconClicked(false); }},
  };
  using Actions = std::vector<std::string>;
  for (const Way& way : ways) {
    SCOPED_TRACE(way.what);
    Started s;
    s.frame.OnCommand(kButtonClearCache);
    ASSERT_TRUE(s.window.overlayShown);
    int promptRuns = 0;
    s.window.whilePromptOpen = [&] {
      ++promptRuns;
      s.window.ClearRecords();
      way.hide(s.frame);
      EXPECT_FALSE(s.window.visible);
      EXPECT_FALSE(s.window.overlayShown);
      EXPECT_FALSE(s.window.promptsShown);
      EXPECT_EQ(s.window.actions, (Actions{"prompts hidden", "overlay hidden"}));
      s.window.ClearRecords();
      way.show(s.frame);
      EXPECT_TRUE(s.window.visible);
      EXPECT_TRUE(s.window.overlayShown);
      EXPECT_TRUE(s.window.promptsShown);
      ASSERT_FALSE(s.window.actions.empty());
      EXPECT_EQ(s.window.actions.back(), "prompts shown");
    };
    s.frame.OnCommand(kButtonClose);
    EXPECT_EQ(promptRuns, 1);
    EXPECT_EQ(s.frame.promptsOpen(), 0);

    // The prompt answered: the overlay alone goes and comes back.
    s.window.ClearRecords();
    way.hide(s.frame);
    EXPECT_EQ(s.window.actions, (Actions{"overlay hidden"}));
    way.show(s.frame);
    EXPECT_TRUE(s.window.visible);
    EXPECT_TRUE(s.window.overlayShown);

    // The cleaning ended while the launcher was hidden: the frame comes back
    // alone.
    way.hide(s.frame);
    s.frame.OnCommand(kCommandCacheCleaned);
    s.window.ClearRecords();
    way.show(s.frame);
    EXPECT_TRUE(s.window.visible);
    EXPECT_FALSE(s.window.overlayShown);
    for (const std::string& action : s.window.actions) EXPECT_NE(action, "overlay shown");
  }
}

TEST(FrameBossKey, ACleaningAskedWhileHiddenShowsItsOverlayWithTheFrame) {
  Started s;
  s.frame.OnHotkey(kBossKeyHotkeyId, false);
  s.window.ClearRecords();
  s.frame.OnCommand(kCommandTrayClearCache);
  EXPECT_EQ(s.window.actions, (std::vector<std::string>{"clean cache"}));
  EXPECT_FALSE(s.window.overlayShown);
  s.frame.OnHotkey(kBossKeyHotkeyId, false);
  EXPECT_TRUE(s.window.visible);
  EXPECT_TRUE(s.window.overlayShown);
}

TEST(FrameCacheCleaning, TheOverlayStaysUntilTheLastCleaningHasEnded) {
  Started s;
  s.frame.OnCommand(kButtonClearCache);
  s.frame.OnCommand(kCommandTrayClearCache);
  EXPECT_EQ(s.frame.cleaningsRunning(), 2);
  s.frame.OnCommand(kCommandCacheCleaned);
  EXPECT_TRUE(s.window.overlayShown);
  s.frame.OnCommand(kCommandCacheCleaned);
  EXPECT_FALSE(s.window.overlayShown);
  EXPECT_EQ(s.frame.cleaningsRunning(), 0);
  // An end reported once more than started changes nothing.
  s.frame.OnCommand(kCommandCacheCleaned);
  EXPECT_EQ(s.frame.cleaningsRunning(), 0);
}

// A canvas that writes down what is drawn.
class RecordingCanvas : public Canvas {
 public:
  struct Fill {
    int w, h;  // the image's size
    PixelRect rect;
    int originX, originY;
  };
  std::vector<Fill> fills;
  std::vector<std::wstring> texts;
  std::vector<FontSpec> fonts;
  std::vector<FloatRect> textBoxes;
  std::vector<Argb> colours;
  void DrawImage(const SkinImage&, int, int) override {}
  void DrawImageColoured(const SkinImage&, int, int, const ColourMatrix&) override {}
  void FillTiled(const SkinImage& image, const PixelRect& rect, int originX, int originY) override {
    fills.push_back({image.Width(), image.Height(), rect, originX, originY});
  }
  void FillSolid(const PixelRect&, Argb) override {}
  void DrawString(const std::wstring& text, const FontSpec& font, const TextFormat&, const FloatRect& rect,
                  Argb colour) override {
    texts.push_back(text);
    fonts.push_back(font);
    textBoxes.push_back(rect);
    colours.push_back(colour);
  }
};

TEST(CaptionStrip, ThreePartsAndTheServerName) {
  Started s;
  RecordingCanvas canvas;
  s.frame.PaintCaptionStrip(canvas, 1600);
  ASSERT_EQ(canvas.fills.size(), 3u);
  // PNG 203 (203 x 30) at the left, PNG 172 tiled between, PNG 206 (92 x 30) at the right.
  EXPECT_EQ(canvas.fills[0].rect, (PixelRect{0, 0, 203, 30}));
  EXPECT_EQ(canvas.fills[0].w, 203);
  EXPECT_EQ(canvas.fills[0].originX, 0);
  EXPECT_EQ(canvas.fills[1].rect, (PixelRect{203, 0, 1600 - 203 - 92, 30}));
  EXPECT_EQ(canvas.fills[1].w, 1);
  EXPECT_EQ(canvas.fills[1].originX, 203);
  EXPECT_EQ(canvas.fills[2].rect, (PixelRect{1508, 0, 92, 30}));
  EXPECT_EQ(canvas.fills[2].originX, 1508);
  ASSERT_EQ(canvas.texts.size(), 1u);
  EXPECT_EQ(canvas.texts[0], L"[ 一区 ]");
  EXPECT_EQ(canvas.colours[0], 0xFFFFF3CDu);
  EXPECT_EQ(canvas.fonts[0].pixels, 14);
  EXPECT_EQ(canvas.fonts[0].style, FontStyle::kRegular);
  EXPECT_EQ(canvas.textBoxes[0].x, 208);
  EXPECT_EQ(canvas.textBoxes[0].y, 4);
}

TEST(CaptionStrip, NothingInFullScreenNoTextWithoutServerName) {
  Started s;
  s.frame.OnCommand(kButtonFullScreen);
  RecordingCanvas canvas;
  s.frame.PaintCaptionStrip(canvas, 1600);
  EXPECT_TRUE(canvas.fills.empty());
  EXPECT_TRUE(canvas.texts.empty());

  RecordingFrameWindow window;
  FrameController frame(window);
  frame.Start(L"http://portal/play_gamecode?svname");
  frame.PaintCaptionStrip(canvas, 1000);
  EXPECT_EQ(canvas.fills.size(), 3u);
  EXPECT_TRUE(canvas.texts.empty());
}

TEST(CaptionStrip, TheFontFamilyHasChineseGlyphsOrIsTheOneAskedFor) {
  const std::wstring family = CaptionFontFamily();
  std::printf("caption font family: %s\n", Utf8FromWide(family).c_str());
  const std::set<std::wstring> chinese = {kCaptionPreferredFamily, L"Microsoft YaHei", L"SimHei", L"SimSun",
                                          L"NSimSun", L"Noto Sans CJK SC", L"Noto Sans SC", L"Source Han Sans SC",
                                          L"WenQuanYi Micro Hei", L"WenQuanYi Zen Hei", L"Droid Sans Fallback",
                                          L"AR PL UMing CN", L"Noto Serif CJK SC"};
  EXPECT_TRUE(chinese.count(family)) << Narrow(family);
#ifndef _WIN32
  // This machine has the Noto CJK fonts and no "微软雅黑".
  EXPECT_EQ(family, L"Noto Sans CJK SC");
#endif
}

}  // namespace
}  // namespace qm
