// The game process: its game window, embedded into the frame window of the
// launcher process below the caption strip, shows the game page in the game
// view and answers the frame's messages until it is closed or the frame is
// gone.
#include <memory>

#include "browser/game_view.h"
#include "frame/event_loop.h"
#include "frame/game_channel.h"
#include "frame/game_process.h"
#include "frame/website_data_relay.h"
#include "platform/debug_output.h"
#include "platform/files.h"
#include "ui/window_host.h"

namespace qm {

namespace {

// The game window's port: the embedded window of the other process's frame
// and the game view filling it.
class GameWindow final : public GameWindowPort {
 public:
  GameWindow(EmbeddedGameWindow& window, WindowId frame)
      : window_(window), frame_(frame), view_(FsPath(WebEngineDataFolder())) {}

  void SetChannel(GameChannel* channel) { channel_ = channel; }
  CMyHtmlView& view() { return view_; }

  void CreateView() override { hasView_ = view_.Create(window_.ChildParent()); }
  bool HasView() override { return hasView_; }
  void NavigateView(const std::wstring& url) override { view_.Navigate(url); }
  void DestroyView() override {
    view_.DestroyWindow();
    hasView_ = false;
  }
  void FitViewToClient() override {
    if (hasView_) view_.MoveWindow({0, 0, size_.width, size_.height});
  }
  PixelRect FrameClientRect() override { return window_.FrameClientRect(); }
  // The view follows the size the window really gets, which it reports
  // itself (Windows: at once, inside the move; X11: once the frame's socket
  // has given the plug its new size). The size asked for here is not yet
  // that size, and taken as it, the report that follows would look like no
  // change and leave the view at its old size.
  void MoveGameWindow(const PixelRect& rect, bool repaint) override { window_.Move(rect, repaint); }
  bool IsGameWindowVisible() override { return window_.IsVisible(); }
  void ShowGameWindow() override { window_.Show(); }
  WindowId EmbedInFrame() override { return window_.Embed(); }
  void SendToFrame(const GameMessage& message) override {
    if (channel_) channel_->Send(frame_, message);
  }
  void StartWatchdog() override { StartFrameWatchdog(frame_, window_.Id()); }
  void PostQuit(int) override { QuitEventLoop(); }

  // The window's client size changed; true when it is new.
  bool Resized(int width, int height) {
    if (width == size_.width && height == size_.height) return false;
    size_ = {width, height};
    return true;
  }

 private:
  EmbeddedGameWindow& window_;
  WindowId frame_;
  CMyHtmlView view_;
  GameChannel* channel_ = nullptr;
  bool hasView_ = false;
  PixelSize size_;
};

}  // namespace

int RunGameProcess(const GameArguments& args) {
  if (!StartWindowSystem()) return 0;
  DebugStage(L"game window system up");
  std::unique_ptr<EmbeddedGameWindow> window = EmbeddedGameWindow::Create(args.frameHandle);
  if (!window) {
    DebugOutput(L"game process: no place for the game window in frame " + std::to_wstring(args.frameHandle));
    return 0;
  }
  DebugStage(L"game window made");
  GameWindow port(*window, args.frameHandle);
  GameWindowController game(port, args.frameHandle, args.gameUrl);
  std::unique_ptr<GameChannel> channel;
  const GameMessagePoster postBack = [&channel](WindowId target, const GameMessage& message) {
    return channel && channel->Post(target, message);
  };
  channel = GameChannel::Listen(window->Window(), [&](const GameMessage& message) -> std::optional<std::int64_t> {
    if (message.message == WM_GAMEWND_CLEAR_WEBSITE_DATA) {
      if (WebView* view = port.view().webView()) return HandleClearWebsiteData(message, *view, postBack);
      // No engine, no data of its own to clear: the frame need not wait.
      postBack(message.wParam, {WM_GAMEWND_WEBSITE_DATA_CLEARED, 0, message.lParam});
      return 0;
    }
    return game.OnMessage(message);
  });
  port.SetChannel(channel.get());
  window->SetResizeHandler([&](int width, int height) {
    if (port.Resized(width, height)) game.OnSize();
  });
  // F5 goes back to the game URL; Enter and Escape reach the page.
  window->SetKeyHandler([&](unsigned virtualKey) { return game.RouteKeyDown(virtualKey) == GameKeyRoute::kHandled; });
  game.Start();
  RunEventLoop();
  return 0;
}

}  // namespace qm
