// The game process's command line and the rules of its game window, through
// a recording window.
#include "frame/game_process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/launch_mode.h"

namespace qm {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(GameProcessCommandLine, ExactFormatAndReadBackWhole) {
  struct Case {
    std::wstring path;
    WindowId frame;
    std::wstring url;
    std::wstring line;
  };
  const Case cases[] = {
      {L"C:\\Users\\p\\AppData\\Roaming\\korvo_v1\\qmr\\Quellmoor.exe", 655544,
       L"http://x/play_gamecode?svname=%E4%B8%80&u=1",
       L"\"C:\\Users\\p\\AppData\\Roaming\\korvo_v1\\qmr\\Quellmoor.exe\" -frameWnd=655544 "
       L"-gameurl=http://x/play_gamecode?svname=%E4%B8%80&u=1"},
      // A handle with the top bit set is a negative signed number.
      {L"/opt/q r/Quellmoor", -2147221504, L"http://x/play_gamecode?a=b c&d=\"e\"",
       L"\"/opt/q r/Quellmoor\" -frameWnd=-2147221504 -gameurl=http://x/play_gamecode?a=b c&d=\"e\""},
      {L"q.exe", 0, L"", L"\"q.exe\" -frameWnd=0 -gameurl="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.line));
    const std::wstring line = GameProcessCommandLine(c.path, c.frame, c.url);
    EXPECT_EQ(line, c.line);
    // The game process reads the handle and the whole URL back, spaces and
    // quotes included.
    const GameArguments args = ReadGameArguments(line);
    EXPECT_EQ(args.frameHandle, c.frame);
    EXPECT_EQ(args.gameUrl, c.url);
  }
}

TEST(GameProcessCommandLine, CutTo1023Characters) {
  const std::wstring url = L"http://x/play_gamecode?q=" + std::wstring(2000, L'a');
  const std::wstring line = GameProcessCommandLine(L"C:\\q.exe", 12, url);
  EXPECT_EQ(line.size(), 1023u);
  EXPECT_EQ(line.substr(0, 40), std::wstring(L"\"C:\\q.exe\" -frameWnd=12 -gameurl=http://"));
  const std::wstring exact = L"http://x/" + std::wstring(1023 - 33 - 9, L'b');
  EXPECT_EQ(GameProcessCommandLine(L"C:\\q.exe", 12, exact).size(), 1023u);
  EXPECT_EQ(GameProcessCommandLine(L"C:\\q.exe", 12, exact).back(), L'b');
}

class RecordingGameWindow : public GameWindowPort {
 public:
  std::vector<std::string> calls;
  bool view = false;
  bool visible = false;
  PixelRect frameClient{0, 0, 1600, 960};
  PixelRect place;
  std::vector<std::wstring> navigations;
  std::vector<GameMessage> toFrame;
  int quitCode = -1;

  void CreateView() override {
    view = true;
    calls.push_back("create view");
  }
  bool HasView() override { return view; }
  void NavigateView(const std::wstring& url) override {
    navigations.push_back(url);
    calls.push_back("navigate");
  }
  void DestroyView() override {
    view = false;
    calls.push_back("destroy view");
  }
  void FitViewToClient() override { calls.push_back("fit view"); }
  PixelRect FrameClientRect() override { return frameClient; }
  void MoveGameWindow(const PixelRect& rect, bool repaint) override {
    place = rect;
    calls.push_back(repaint ? "move repaint" : "move");
  }
  bool IsGameWindowVisible() override { return visible; }
  void ShowGameWindow() override {
    visible = true;
    calls.push_back("show");
  }
  WindowId EmbedInFrame() override {
    calls.push_back("embed");
    return 0x4C00007;
  }
  void SendToFrame(const GameMessage& m) override {
    toFrame.push_back(m);
    calls.push_back("send to frame");
  }
  void StartWatchdog() override { calls.push_back("watchdog"); }
  void PostQuit(int code) override {
    quitCode = code;
    calls.push_back("quit");
  }
};

const std::wstring kUrl = L"http://127.0.0.1:18614/play_gamecode?svname=abc";

TEST(GameWindow, StartPlacesUnderTheStripEmbedsAnnouncesAndWatches) {
  RecordingGameWindow window;
  GameWindowController game(window, 4242, kUrl);
  game.Start();
  EXPECT_EQ(window.calls, (std::vector<std::string>{"create view", "navigate", "move repaint", "fit view", "embed",
                                                    "send to frame", "watchdog"}));
  EXPECT_EQ(window.navigations, std::vector<std::wstring>{kUrl});
  EXPECT_EQ(window.place, (PixelRect{0, 30, 1600, 930}));
  EXPECT_EQ(window.toFrame, (std::vector<GameMessage>{{WM_GAMEWND_ATTACHED, 0x4C00007, 0}}));
}

TEST(GameWindow, WithoutAFrameOnlyTheWatchdogStartsAndFitDoesNothing) {
  RecordingGameWindow window;
  GameWindowController game(window, 0, kUrl);
  game.Start();
  EXPECT_EQ(game.OnMessage({WM_GAMEWND_FIT, 0, 0}), 0);
  EXPECT_EQ(window.calls, std::vector<std::string>{"watchdog"});
}

TEST(GameWindow, MessagesAndTheirEffects) {
  struct Case {
    const char* name;
    GameMessage message;
    bool viewBefore, visibleBefore;
    std::optional<std::int64_t> answer;
    std::vector<std::string> calls;
    PixelRect place;
    int quitCode;
  };
  const PixelRect none{};
  const Case cases[] = {
      {"fit 1 covers the whole client", {WM_GAMEWND_FIT, 1, 0}, true, true, 0, {"move"}, {0, 0, 1600, 960}, -1},
      {"fit 0 leaves the strip", {WM_GAMEWND_FIT, 0, 0}, true, true, 0, {"move"}, {0, 30, 1600, 930}, -1},
      {"fit shows a hidden window", {WM_GAMEWND_FIT, 0, 0}, true, false, 0, {"move", "show"}, {0, 30, 1600, 930}, -1},
      {"reload navigates again", {WM_GAMEWND_RELOAD, 0, 0}, true, true, 0, {"navigate"}, none, -1},
      {"reload without view", {WM_GAMEWND_RELOAD, 0, 0}, false, true, 0, {}, none, -1},
      {"close destroys the view and quits", {kGameWindowClose, 0, 0}, true, true, 0, {"destroy view", "quit"}, none,
       0},
      {"close without view quits", {kGameWindowClose, 0, 0}, false, true, 0, {"quit"}, none, 0},
      {"attached is not the game window's", {WM_GAMEWND_ATTACHED, 1, 0}, true, true, std::nullopt, {}, none, -1},
      {"other messages go on", {0x0200, 0, 0}, true, true, std::nullopt, {}, none, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingGameWindow window;
    window.view = c.viewBefore;
    window.visible = c.visibleBefore;
    GameWindowController game(window, 4242, kUrl);
    EXPECT_EQ(game.OnMessage(c.message), c.answer);
    EXPECT_EQ(window.calls, c.calls);
    EXPECT_EQ(window.place, c.place);
    EXPECT_EQ(window.quitCode, c.quitCode);
    for (const auto& url : window.navigations) EXPECT_EQ(url, kUrl);
  }
}

TEST(GameWindow, KeysEnterAndEscapeReachThePageF5GoesBackToTheGameUrl) {
  RecordingGameWindow window;
  window.view = true;
  GameWindowController game(window, 4242, kUrl);
  EXPECT_EQ(game.RouteKeyDown(0x0D), GameKeyRoute::kToPage);
  EXPECT_EQ(game.RouteKeyDown(0x1B), GameKeyRoute::kToPage);
  EXPECT_EQ(game.RouteKeyDown('A'), GameKeyRoute::kDialogProcessing);
  EXPECT_TRUE(window.navigations.empty());
  EXPECT_EQ(game.RouteKeyDown(0x74), GameKeyRoute::kHandled);
  EXPECT_EQ(window.navigations, std::vector<std::wstring>{kUrl});
  window.view = false;
  EXPECT_EQ(game.RouteKeyDown(0x74), GameKeyRoute::kHandled);
  EXPECT_EQ(window.navigations.size(), 1u);
}

TEST(GameWindow, SizeFitsTheViewWhenThereIsOne) {
  RecordingGameWindow window;
  GameWindowController game(window, 4242, kUrl);
  game.OnSize();
  EXPECT_TRUE(window.calls.empty());
  window.view = true;
  game.OnSize();
  EXPECT_EQ(window.calls, std::vector<std::string>{"fit view"});
}

}  // namespace
}  // namespace qm
