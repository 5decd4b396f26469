// The frame window: the launcher's main window. It runs the login window,
// then shows the game of the caught game URL in a second process of this
// executable, embedded below its own painted caption strip, and carries the
// tray icon, the system-wide hotkeys, the cache cleaning and the two exit
// prompts. FrameController holds the rules; this class is the window behind
// them: one WindowController on a window host, the nine caption buttons, the
// channel and embedding place for the game window, and the services.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame/cache_overlay.h"
#include "frame/exit_prompts.h"
#include "frame/frame_controller.h"
#include "frame/frame_window_system.h"
#include "frame/game_channel.h"
#include "frame/hotkey_registration.h"
#include "frame/tray_icon.h"
#include "frame/website_data_relay.h"
#include "platform/process.h"
#include "ui/touch_button.h"
#include "ui/window_host.h"

namespace qm {

// What the login window leaves to the frame.
struct FinishedLogin {
  std::wstring gameUrl;
  // The login itself, out of sight but with its web engine still up (null
  // when there is nothing left): the frame lets it go once the game process
  // is on its way, so that the engine's teardown does not hold up the game.
  std::shared_ptr<void> login;
};

// What the frame takes from outside; the defaults are the real ones.
struct FrameEnvironment {
  // Runs the login window; the game URL it caught, or nothing when there is
  // no login window to run.
  std::function<std::optional<FinishedLogin>()> login;
  // Starts the game process for the frame (on a worker thread) and looks
  // after it as the watch says.
  std::function<bool(WindowId frame, const std::wstring& gameUrl, ChildProcessWatch watch)> launchGame;
  // Asks the exit prompts' questions; observer is told of each prompt's
  // window while it waits for its answer.
  std::function<PromptRunner(NativeWindow owner, MessageBoxWindowObserver observer)> prompts;
  // Starts the launcher anew, with no arguments (choose server).
  std::function<void()> restartLauncher;
  // The folder of the game view's engine data (its disk cache is below it).
  std::wstring engineDataFolder;
};
FrameEnvironment DefaultFrameEnvironment();

class CLander_KVDlg final : public WindowController, private FrameWindowPort {
 public:
  explicit CLander_KVDlg(FrameEnvironment environment = DefaultFrameEnvironment());
  ~CLander_KVDlg() override;
  CLander_KVDlg(const CLander_KVDlg&) = delete;
  CLander_KVDlg& operator=(const CLander_KVDlg&) = delete;

  // The login, then the frame until one of the exit prompts is confirmed.
  // Returns 0, or -1 when the frame window cannot be made.
  int DoModal();

  const FrameController& controller() const { return controller_; }

  // WindowController
  void OnCreate(WindowHost& host) override;
  void OnDestroy() override;
  void OnPaint(Canvas& canvas) override;
  void OnPointerDown(const PointerPress& press) override;
  void OnDoubleClick(const PointerPress& press) override;
  bool OnKeyDown(const KeyPress& key) override;
  void OnCommand(int id) override;
  void OnTimer(int id) override;
  void OnMoved(const PixelRect& bounds) override;
  void OnResized(const PixelSize& client) override;
  void OnShowStateChanged(ShowState state) override;
  void OnCloseRequest() override;

 private:
  // FrameWindowPort
  PixelRect WorkArea() override;
  std::optional<PixelRect> TaskbarRect() override;
  PixelRect ScreenRect() override;
  int ClientWidth() override;
  bool IsZoomed() override;
  void SysCommand(unsigned command) override;
  void MoveWindow(const PixelRect& screenRect) override;
  void InvalidateWithErase(const PixelRect& clientRect) override;
  void UpdateNow() override;
  void SetTimer(int id, int periodMs) override;
  void KillTimer(int id) override;
  void BeginMoveDrag() override;
  void ShowFrame(bool show) override;
  bool IsFrameVisible() override;
  void BringToForeground() override;
  void PlaceButton(int id, const PixelRect& clientRect) override;
  void ShowButton(int id, bool show) override;
  void SendToGameWindow(WindowId gameWindow, const GameMessage& message) override;
  void PostToGameWindow(WindowId gameWindow, const GameMessage& message) override;
  void StartGameProcess(const std::wstring& gameUrl) override;
  void QuitPrompt() override;
  void ChooseServerPrompt() override;
  void ShowPrompts(bool show) override;
  void StartCacheCleaning() override;
  void ShowCacheOverlay(bool show) override;

  void CreateCaptionButtons(NativeWindow parent);
  CTouchButton* Button(int id);
  std::optional<std::int64_t> OnChannelMessage(const GameMessage& message);
  PromptRunner Prompts();
  void CloseGameWindow();
  void EndFrame();

  FrameEnvironment environment_;
  FrameController controller_;
  CTrayIcon tray_;
  std::unique_ptr<WindowHost> host_;
  WindowHost* createdHost_ = nullptr;
  std::unique_ptr<FrameWindowSystem> system_;
  std::unique_ptr<GameEmbedSite> embedSite_;
  std::unique_ptr<GameChannel> channel_;
  std::unique_ptr<WebsiteDataRelay> websiteData_;
  std::unique_ptr<HotkeyRegistration> hotkeys_;
  std::unique_ptr<CacheOverlay> overlay_;
  // The windows of the prompts waiting for their answers, the newest last.
  std::vector<WindowHost*> openPrompts_;
  // Gone before the window they sit in.
  std::unique_ptr<CTouchButton> buttons_[9];
  ShowState showState_ = ShowState::kRestored;
  bool painted_ = false;
  // The game process's id, set by the worker that starts it (0 before),
  // which may still run after the frame has gone.
  std::shared_ptr<std::atomic<long>> gameProcessId_ = std::make_shared<std::atomic<long>>(0);
};

}  // namespace qm
