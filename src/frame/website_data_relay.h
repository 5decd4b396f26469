// The first cache-cleaning pass on Linux, carried across the process
// boundary. The game view's engine (WebKitGTK, created in the game process)
// owns its website data: its network process keeps the cookie database and
// the disk cache open while the game runs. The frame therefore never removes
// that data itself; it asks the game window to have its own engine remove
// everything but cookies (WM_GAMEWND_CLEAR_WEBSITE_DATA, posted) and waits
// for the answer (WM_GAMEWND_WEBSITE_DATA_CLEARED, posted back). The engine
// then updates its databases and its in-memory state together, and the
// cookies are never touched.
//
// Frame side: WebsiteDataRelay, whose Step() is CacheCleaningJob's
// clearWebsiteData. Game side: HandleClearWebsiteData in the game window's
// channel handler. Both run on their process's user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "frame/game_messages.h"

namespace qm {

class WebView;

// Queues message for the window target (GameChannel::Post); false when
// target names no window.
using GameMessagePoster = std::function<bool(WindowId target, const GameMessage& message)>;

class WebsiteDataRelay {
 public:
  // gameWindow: the game window as it is now (0 while there is none);
  // ownWindow: the frame's channel id, where the answer goes; post: the
  // frame channel's Post.
  WebsiteDataRelay(std::function<WindowId()> gameWindow, WindowId ownWindow, GameMessagePoster post);
  ~WebsiteDataRelay();
  WebsiteDataRelay(const WebsiteDataRelay&) = delete;
  WebsiteDataRelay& operator=(const WebsiteDataRelay&) = delete;

  // Asks the game window to clear its website data other than cookies; done
  // runs once, with the game's answer when it arrives, or at once with false
  // when there is no game window or the request cannot be posted.
  void Request(std::function<void(bool ok)> done);

  // For the frame channel's handler: takes WM_GAMEWND_WEBSITE_DATA_CLEARED
  // (answer 0) and completes its request; nullopt for every other message.
  std::optional<std::int64_t> HandleMessage(const GameMessage& message);

  // The game process has gone: every waiting request completes with false.
  void GameWindowGone();

  // A CacheCleaningJob::clearWebsiteData that may outlive the relay: once
  // the relay is gone, a request completes with false at once.
  std::function<void(std::function<void(bool ok)> done)> Step();

  // Requests posted and not yet answered.
  std::size_t Waiting() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// The game window's side: for WM_GAMEWND_CLEAR_WEBSITE_DATA, starts
// view.ClearWebsiteDataExceptCookies and, when it has finished, posts
// WM_GAMEWND_WEBSITE_DATA_CLEARED back to the window named in the request's
// wParam with the request's number; answers 0. nullopt for every other
// message. The answer is dropped when the view goes away first.
std::optional<std::int64_t> HandleClearWebsiteData(const GameMessage& message, WebView& view,
                                                   const GameMessagePoster& postBack);

}  // namespace qm
