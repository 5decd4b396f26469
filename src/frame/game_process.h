// The game process: how the frame starts it, its body, and the rules of its
// game window, which shows the game view inside the frame of the launcher
// process.
#pragma once

#include <optional>
#include <string>

#include "base/launch_mode.h"
#include "frame/game_messages.h"
#include "platform/process.h"
#include "ui/canvas.h"

namespace qm {

// The game process's body: shows the game page inside the frame window that
// its command line names.
int RunGameProcess(const GameArguments& args);

// The command line of the game process: "\"%s\" -frameWnd=%ld -gameurl=%s"
// with the executable's path quoted, the frame's handle as a signed decimal
// number and the game URL exactly as the login yielded it, last and neither
// quoted nor escaped (the game process takes everything after "-gameurl=").
// A line longer than 1023 characters is cut to 1023.
std::wstring GameProcessCommandLine(const std::wstring& executablePath, WindowId frameWindow,
                                    const std::wstring& gameUrl);

// Starts a second run of this executable as the game process of frameWindow.
// Does not wait; the frame learns its process id and its end through watch.
// False when it could not be started (nothing is reported: the frame stays
// without game window).
bool LaunchGameProcess(WindowId frameWindow, const std::wstring& gameUrl, ChildProcessWatch watch);

// What the game window asks of its window, its view and its process.
class GameWindowPort {
 public:
  virtual ~GameWindowPort() = default;
  // The game view, a child of the game window filling its client area.
  virtual void CreateView() = 0;
  virtual bool HasView() = 0;
  virtual void NavigateView(const std::wstring& url) = 0;
  virtual void DestroyView() = 0;
  virtual void FitViewToClient() = 0;
  // The frame window of the other process: its client rectangle.
  virtual PixelRect FrameClientRect() = 0;
  // The game window, in the frame's client coordinates once embedded.
  virtual void MoveGameWindow(const PixelRect& rect, bool repaint) = 0;
  virtual bool IsGameWindowVisible() = 0;
  virtual void ShowGameWindow() = 0;
  // Makes the game window a child of the frame window across the process
  // boundary; returns the game window's handle as the frame will address it.
  virtual WindowId EmbedInFrame() = 0;
  virtual void SendToFrame(const GameMessage& message) = 0;
  virtual void StartWatchdog() = 0;
  virtual void PostQuit(int exitCode) = 0;
};

// Where a key-down in the game window goes.
enum class GameKeyRoute {
  kToPage,            // Enter, Escape: straight to the page, no dialog processing
  kHandled,           // F5: the view went back to the game URL
  kDialogProcessing,  // the dialog's own pre-translation
};

class GameWindowController {
 public:
  GameWindowController(GameWindowPort& window, WindowId frameWindow, std::wstring gameUrl);

  // The game window's start: the view navigating to the game URL, the window
  // placed under the frame's caption strip, embedded and announced; the
  // watchdog in every case.
  void Start();
  // The messages of the channel: the answer of a sent message, nullopt for
  // messages the game window does not take (they go to default processing).
  std::optional<std::int64_t> OnMessage(const GameMessage& message);
  void OnSize();
  GameKeyRoute RouteKeyDown(unsigned virtualKey);

  WindowId frameWindow() const { return frameWindow_; }
  const std::wstring& gameUrl() const { return gameUrl_; }

 private:
  std::int64_t Fit(std::int64_t wholeClient);
  void Reload();
  void Close();

  GameWindowPort& window_;
  WindowId frameWindow_;
  std::wstring gameUrl_;
};

}  // namespace qm
