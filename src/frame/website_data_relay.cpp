#include "frame/website_data_relay.h"

#include <utility>
#include <vector>

#include "browser/web_view.h"

namespace qm {

struct WebsiteDataRelay::State {
  std::function<WindowId()> gameWindow;
  WindowId ownWindow = 0;
  GameMessagePoster post;
  // Each request has its own number, which the answer carries back, so two
  // cleanings at once each wait for their own answer.
  std::int64_t lastNumber = 0;
  std::map<std::int64_t, std::function<void(bool)>> waiting;

  void Request(std::function<void(bool ok)> done) {
    const WindowId game = gameWindow ? gameWindow() : 0;
    if (game == 0) {
      if (done) done(false);
      return;
    }
    const std::int64_t number = ++lastNumber;
    waiting[number] = std::move(done);
    const GameMessage request{WM_GAMEWND_CLEAR_WEBSITE_DATA, ownWindow, number};
    if (!post || !post(game, request)) {
      auto failed = std::move(waiting[number]);
      waiting.erase(number);
      if (failed) failed(false);
    }
  }
};

WebsiteDataRelay::WebsiteDataRelay(std::function<WindowId()> gameWindow, WindowId ownWindow,
                                   GameMessagePoster post)
    : state_(std::make_shared<State>()) {
  state_->gameWindow = std::move(gameWindow);
  state_->ownWindow = ownWindow;
  state_->post = std::move(post);
}

// Requests still waiting are told that nothing was cleared for them.
WebsiteDataRelay::~WebsiteDataRelay() { GameWindowGone(); }

void WebsiteDataRelay::Request(std::function<void(bool ok)> done) { state_->Request(std::move(done)); }

std::optional<std::int64_t> WebsiteDataRelay::HandleMessage(const GameMessage& message) {
  if (message.message != WM_GAMEWND_WEBSITE_DATA_CLEARED) return std::nullopt;
  const auto found = state_->waiting.find(message.lParam);
  if (found != state_->waiting.end()) {
    auto done = std::move(found->second);
    state_->waiting.erase(found);
    if (done) done(message.wParam == 1);
  }
  return 0;
}

void WebsiteDataRelay::GameWindowGone() {
  // Taken out first: a done handler may start another request.
  auto waiting = std::exchange(state_->waiting, {});
  for (auto& [number, done] : waiting)
    if (done) done(false);
}

std::function<void(std::function<void(bool ok)> done)> WebsiteDataRelay::Step() {
  std::weak_ptr<State> weak = state_;
  return [weak](std::function<void(bool ok)> done) {
    if (const std::shared_ptr<State> state = weak.lock()) {
      state->Request(std::move(done));
    } else if (done) {
      done(false);
    }
  };
}

std::size_t WebsiteDataRelay::Waiting() const { return state_->waiting.size(); }

std::optional<std::int64_t> HandleClearWebsiteData(const GameMessage& message, WebView& view,
                                                   const GameMessagePoster& postBack) {
  if (message.message != WM_GAMEWND_CLEAR_WEBSITE_DATA) return std::nullopt;
  const WindowId answerTo = message.wParam;
  const std::int64_t number = message.lParam;
  view.ClearWebsiteDataExceptCookies([postBack, answerTo, number](bool ok) {
    if (postBack) postBack(answerTo, GameMessage{WM_GAMEWND_WEBSITE_DATA_CLEARED, ok ? 1 : 0, number});
  });
  return 0;
}

}  // namespace qm
