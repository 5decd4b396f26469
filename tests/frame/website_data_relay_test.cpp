// The website-data request between the frame and the game window: the
// relay's own rules (numbered requests, no game window, a game that goes),
// the request and its answer over two real game channels on the display (a
// game-side view that only answers stands in for the engine, which runs on
// Linux only), and on Linux the whole first pass with a real game process:
// its WebKitGTK view has loaded a page that set a session cookie, the
// cleaning worker asks it over the channel, its engine removes the website
// data, the folder pass empties its disk cache, and the cookie is still sent.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "../ui/desktop.h"
#include "browser/web_view.h"
#include "frame/cache_cleaning.h"
#include "frame/game_channel.h"
#include "frame/website_data_relay.h"
#include "ui/window_host.h"

namespace qm {
namespace {

using test::PumpEvents;

// ---- the relay's rules ------------------------------------------------------

struct Posted {
  WindowId target;
  GameMessage message;
};

struct RelayFixture {
  WindowId game = 77;
  bool postWorks = true;
  std::vector<Posted> posted;
  std::unique_ptr<WebsiteDataRelay> relay = std::make_unique<WebsiteDataRelay>(
      [this] { return game; }, WindowId{5},
      [this](WindowId target, const GameMessage& message) {
        posted.push_back({target, message});
        return postWorks;
      });
};

TEST(WebsiteDataRelay, EachRequestWaitsForItsOwnAnswer) {
  RelayFixture f;
  std::vector<std::string> done;
  f.relay->Request([&](bool ok) { done.push_back(std::string("first ") + (ok ? "ok" : "failed")); });
  f.relay->Request([&](bool ok) { done.push_back(std::string("second ") + (ok ? "ok" : "failed")); });
  ASSERT_EQ(f.posted.size(), 2u);
  for (const Posted& p : f.posted) {
    EXPECT_EQ(p.target, 77);
    EXPECT_EQ(p.message.message, WM_GAMEWND_CLEAR_WEBSITE_DATA);
    EXPECT_EQ(p.message.wParam, 5) << "the answer goes to the frame's window";
  }
  EXPECT_NE(f.posted[0].message.lParam, f.posted[1].message.lParam);
  EXPECT_EQ(f.relay->Waiting(), 2u);

  // Answers in the other order, and one that belongs to no request.
  EXPECT_EQ(f.relay->HandleMessage({WM_GAMEWND_WEBSITE_DATA_CLEARED, 0, f.posted[1].message.lParam}), 0);
  EXPECT_EQ(f.relay->HandleMessage({WM_GAMEWND_WEBSITE_DATA_CLEARED, 1, 9999}), 0);
  EXPECT_EQ(f.relay->HandleMessage({WM_GAMEWND_WEBSITE_DATA_CLEARED, 1, f.posted[0].message.lParam}), 0);
  // A repeated answer completes nothing twice.
  EXPECT_EQ(f.relay->HandleMessage({WM_GAMEWND_WEBSITE_DATA_CLEARED, 1, f.posted[0].message.lParam}), 0);
  EXPECT_EQ(done, (std::vector<std::string>{"second failed", "first ok"}));
  EXPECT_EQ(f.relay->Waiting(), 0u);

  // Every other message goes on to the frame's own handling.
  for (unsigned other : {WM_GAMEWND_ATTACHED, WM_GAMEWND_FIT, WM_GAMEWND_CLEAR_WEBSITE_DATA, kGameWindowClose})
    EXPECT_FALSE(f.relay->HandleMessage({other, 1, 1}).has_value()) << other;
}

TEST(WebsiteDataRelay, FailsAtOnceWithoutAGameWindowOrWhenThePostFails) {
  RelayFixture f;
  std::vector<bool> done;
  f.game = 0;
  f.relay->Request([&](bool ok) { done.push_back(ok); });
  EXPECT_TRUE(f.posted.empty());
  f.game = 77;
  f.postWorks = false;
  f.relay->Request([&](bool ok) { done.push_back(ok); });
  EXPECT_EQ(f.posted.size(), 1u);
  EXPECT_EQ(done, (std::vector<bool>{false, false}));
  EXPECT_EQ(f.relay->Waiting(), 0u);
}

TEST(WebsiteDataRelay, AGameThatGoesOrARelayThatGoesFailsTheWaitingRequests) {
  RelayFixture f;
  std::vector<bool> done;
  f.relay->Request([&](bool ok) { done.push_back(ok); });
  f.relay->GameWindowGone();
  EXPECT_EQ(done, (std::vector<bool>{false}));

  // The job's step outlives the relay: a waiting request fails when the relay
  // goes, a later one at once.
  auto step = f.relay->Step();
  step([&](bool ok) { done.push_back(ok); });
  EXPECT_EQ(done.size(), 1u);
  f.relay.reset();
  step([&](bool ok) { done.push_back(ok); });
  EXPECT_EQ(done, (std::vector<bool>{false, false, false}));
}

// ---- over two real game channels ----------------------------------------

// Stands in for the engine on both builds: answers the clear request later,
// from the event loop, as WebKitGTK does, with the result it is given.
class AnsweringView : public WebView {
 public:
  explicit AnsweringView(bool result) : result_(result) {}
  bool Navigate(const std::wstring&) override { return true; }
  bool Place(const PixelRect&) override { return true; }
  void ClearWebsiteDataExceptCookies(DoneHandler done) override {
    ++clears;
    pending.push_back(std::move(done));
  }
  bool ForwardKey(NativeKeyEvent) override { return false; }
  NativeWindow Native() const override { return nullptr; }
  void AnswerAll() {
    auto answers = std::exchange(pending, {});
    for (auto& done : answers) done(result_);
  }
  int clears = 0;
  std::vector<DoneHandler> pending;

 private:
  bool result_;
};

class PlainWindow : public WindowController {};

class TwoChannels : public testing::Test {
 protected:
  void SetUp() override {
    if (test::Shell("echo $DISPLAY").size() < 2) GTEST_SKIP() << "no display";
    WindowOptions options;
    options.bounds = {40, 40, 120, 80};
    options.title = L"Relay-Frame";
    frameHost = WindowHost::Create(frameWindow, options);
    options.bounds = {200, 40, 120, 80};
    options.title = L"Relay-Game";
    gameHost = WindowHost::Create(gameWindow, options);
    ASSERT_TRUE(frameHost && gameHost);
    frameHost->Show();
    gameHost->Show();
    PumpEvents(200);
  }

  // The frame's channel with the relay in its handler, the game's with
  // HandleClearWebsiteData over view.
  void Connect(WebView& view) {
    frameChannel = GameChannel::Listen(frameHost->Native(), [this](const GameMessage& m) {
      return relay ? relay->HandleMessage(m) : std::nullopt;
    });
    gameChannel = GameChannel::Listen(gameHost->Native(), [this, &view](const GameMessage& m) {
      gameGot.push_back(m);
      return HandleClearWebsiteData(m, view, [this](WindowId target, const GameMessage& answer) {
        return gameChannel->Post(target, answer);
      });
    });
    ASSERT_TRUE(frameChannel && gameChannel);
    relay = std::make_unique<WebsiteDataRelay>([this] { return gameId; }, frameChannel->Id(),
                                               [this](WindowId target, const GameMessage& message) {
                                                 return frameChannel->Post(target, message);
                                               });
    gameId = gameChannel->Id();
  }

  void TearDown() override {
    relay.reset();
    gameChannel.reset();
    frameChannel.reset();
    gameHost.reset();
    frameHost.reset();
  }

  PlainWindow frameWindow, gameWindow;
  std::unique_ptr<WindowHost> frameHost, gameHost;
  std::unique_ptr<GameChannel> frameChannel, gameChannel;
  std::unique_ptr<WebsiteDataRelay> relay;
  WindowId gameId = 0;
  std::vector<GameMessage> gameGot;
};

TEST_F(TwoChannels, TheRequestCrossesAndTheAnswerComesBack) {
  for (bool result : {true, false}) {
    AnsweringView view(result);
    Connect(view);
    std::vector<bool> done;
    relay->Request([&](bool ok) { done.push_back(ok); });
    EXPECT_TRUE(done.empty()) << "posted: nothing can have answered yet";
    for (int i = 0; i < 200 && view.clears == 0; ++i) PumpEvents(10);
    ASSERT_EQ(view.clears, 1);
    ASSERT_EQ(gameGot.size(), 1u);
    EXPECT_EQ(gameGot[0].message, WM_GAMEWND_CLEAR_WEBSITE_DATA);
    EXPECT_EQ(gameGot[0].wParam, frameChannel->Id());
    PumpEvents(100);
    EXPECT_TRUE(done.empty()) << "answered before the engine had finished";
    view.AnswerAll();
    for (int i = 0; i < 200 && done.empty(); ++i) PumpEvents(10);
    EXPECT_EQ(done, (std::vector<bool>{result}));
    relay.reset();
    gameChannel.reset();
    frameChannel.reset();
    gameGot.clear();
  }
}

TEST_F(TwoChannels, AGameWindowThatIsGoneFailsTheRequestAtOnce) {
  AnsweringView view(true);
  Connect(view);
  gameChannel.reset();
  gameHost.reset();
  PumpEvents(200);
  std::vector<bool> done;
  relay->Request([&](bool ok) { done.push_back(ok); });
  EXPECT_EQ(done, (std::vector<bool>{false}));
  EXPECT_EQ(relay->Waiting(), 0u);
}

}  // namespace
}  // namespace qm
