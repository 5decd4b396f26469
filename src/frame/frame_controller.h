// The frame window's rules, written once for both window systems: its state
// flags, the nine caption buttons, the window states and their geometry, the
// routing of commands, keys, system commands and mouse clicks, the messages
// to the game window and the painting of the caption strip. A window host
// turns the system's events into calls of FrameController and carries out
// what the controller asks of it through FrameWindowPort.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "frame/frame_commands.h"
#include "frame/game_messages.h"
#include "ui/canvas.h"
#include "ui/message_box_layout.h"

namespace qm {

// Timer that brings a maximized frame back into the work area after the
// system restored it from minimized.
constexpr int kTimerFitAfterRestore = 102;
constexpr int kTimerFitAfterRestoreMs = 10;

// System commands, the values of the platform's SC_*.
constexpr unsigned kSysCommandMinimize = 0xF020;
constexpr unsigned kSysCommandMaximize = 0xF030;
constexpr unsigned kSysCommandClose = 0xF060;
constexpr unsigned kSysCommandRestore = 0xF120;

// Virtual-key codes the frame looks at.
constexpr unsigned kKeyReturn = 0x0D;
constexpr unsigned kKeyEscape = 0x1B;
constexpr unsigned kKeyF5 = 0x74;

// The size of the restored frame, centred on the screen at start.
constexpr int kRestoredWidth = 1000;
constexpr int kRestoredHeight = 700;

struct CaptionButton {
  int id;
  unsigned normalImage, hoverImage, pressedImage;  // PNG resources
  const wchar_t* tooltip;                          // null: none
  int rightOffset;  // left edge = client width - rightOffset
  int width, height;
};

// The nine buttons in the order of the template: close, maximize, restore,
// minimize, full screen, boss key, clear cache, refresh, choose server.
const std::array<CaptionButton, 9>& CaptionButtons();

// A button's place for the client width: left edge from the table, y = 3.
PixelRect CaptionButtonPlace(const CaptionButton& button, int clientWidth);

// The origin of the maximized frame: the taskbar's bottom edge when the
// taskbar lies on the work area's top edge, else its right edge when it lies
// on the left edge, else (0, 0). Without a taskbar, (0, 0).
// (PixelPoint is the ui layer's, from ui/message_box_layout.h.)
PixelPoint MaximizedOrigin(const PixelRect& workArea, const std::optional<PixelRect>& taskbar);

// A desktop without a taskbar window (an X11 desktop reports only the work
// area): the panel that would reserve the work area's top or left margin, so
// that MaximizedOrigin gives the work area's origin as the taskbar rule does.
std::optional<PixelRect> PanelBeforeWorkArea(const PixelRect& screen, const PixelRect& workArea);

// The restored place at start: kRestoredWidth x kRestoredHeight centred on a
// screen of the given size.
PixelRect CentredRestoredRect(int screenWidth, int screenHeight);

// What the frame asks of its window. Rectangles of the frame are in screen
// pixels; button places and invalidated rectangles in client pixels.
class FrameWindowPort {
 public:
  virtual ~FrameWindowPort() = default;

  // The desktop.
  virtual PixelRect WorkArea() = 0;
  virtual std::optional<PixelRect> TaskbarRect() = 0;  // the taskbar window, if there is one
  virtual PixelRect ScreenRect() = 0;                  // (0, 0, screen width, screen height)

  // The frame window itself.
  virtual int ClientWidth() = 0;
  virtual bool IsZoomed() = 0;
  virtual void SysCommand(unsigned command) = 0;  // "send itself" SC_MAXIMIZE, SC_RESTORE, SC_MINIMIZE
  virtual void MoveWindow(const PixelRect& screenRect) = 0;  // without changing the Z order
  virtual void InvalidateWithErase(const PixelRect& clientRect) = 0;
  virtual void UpdateNow() = 0;
  virtual void SetTimer(int id, int periodMs) = 0;
  virtual void KillTimer(int id) = 0;
  virtual void BeginMoveDrag() = 0;  // WM_NCLBUTTONDOWN with HTCAPTION
  virtual void ShowFrame(bool show) = 0;
  virtual bool IsFrameVisible() = 0;
  virtual void BringToForeground() = 0;

  // The caption buttons.
  virtual void PlaceButton(int id, const PixelRect& clientRect) = 0;
  virtual void ShowButton(int id, bool show) = 0;

  // The game window of the other process; only called with a known handle.
  virtual void SendToGameWindow(WindowId gameWindow, const GameMessage& message) = 0;
  virtual void PostToGameWindow(WindowId gameWindow, const GameMessage& message) = 0;
  // Starts the game process for this frame (LaunchGameProcess on a worker
  // thread with the frame's own handle).
  virtual void StartGameProcess(const std::wstring& gameUrl) = 0;

  // The prompts: each asks its question and returns once it is answered
  // (and acted on).
  virtual void QuitPrompt() = 0;
  virtual void ChooseServerPrompt() = 0;
  // Hides the open prompts' windows, or shows them again in front with the
  // keyboard; they go on waiting for their answers either way.
  virtual void ShowPrompts(bool show) = 0;

  // Cache cleaning: starts a cleaning (its end comes back as command
  // kCommandCacheCleaned); shows the overlay over the frame with its spinner
  // turning, or hides it and stops the spinner.
  virtual void StartCacheCleaning() = 0;
  virtual void ShowCacheOverlay(bool show) = 0;
};

// Where a key-down goes, as the frame's message pre-translation decides.
enum class FrameKeyRoute {
  kNotTranslated,     // Enter, Escape: no dialog processing, so they never close the frame
  kAcceleratorF5,     // translated into command 32778, which does nothing
  kDialogProcessing,  // the dialog's own pre-translation
};

class FrameController {
 public:
  explicit FrameController(FrameWindowPort& window);
  ~FrameController();
  FrameController(const FrameController&) = delete;
  FrameController& operator=(const FrameController&) = delete;

  // The frame's start after the login window yielded the game URL: the
  // server name, the caption images, the centred restored place, the
  // maximized state and the game process. The host has made the window
  // 1000 x 700 without a system caption before.
  void Start(const std::wstring& gameUrl);

  // Window-state operations, also used by the hotkeys and the tray.
  void FitToWorkArea();
  void LayoutCaptionButtons();
  void ShowCaptionButtons(bool show);
  void MaximizeFrame();
  void RestoreFrame();
  void EnterFullScreen();
  void LeaveFullScreen();

  // Events of the window.
  void OnCommand(int id);
  // Returns true: every system command then goes on to default processing
  // (the system's SC_CLOSE handling turns it into WM_CLOSE and command 2).
  bool OnSysCommand(unsigned command);
  // For a window system that has no SC_CLOSE -> WM_CLOSE -> IDCANCEL chain:
  // the close request (Alt+F4, the window manager's close) as Windows runs
  // it: the quit prompt, then command 2.
  void OnCloseRequest();
  void OnTimer(int id);
  void OnSize();
  void OnLeftButtonDown();
  void OnLeftButtonDoubleClick();
  FrameKeyRoute RouteKeyDown(unsigned virtualKey, bool ctrl, bool alt, bool shift) const;
  void OnHotkey(int hotkeyId, bool frameActive);
  // A left click on the tray icon: the launcher's windows shown, and the
  // frame brought to the front unless it is minimized.
  void OnTrayIconClicked(bool frameMinimized);

  // The boss key's two halves: every window of the launcher goes (the frame,
  // the cache-cleaning overlay, the open prompts), and the same come back,
  // the overlay only while a cleaning still runs, the prompts in front and
  // still waiting for their answers.
  void HideLauncher();
  void ShowLauncher();
  // WM_GAMEWND_ATTACHED: the game window's handle; the answer is 0.
  std::int64_t OnGameWindowAttached(WindowId gameWindow);

  // WM_ERASEBKGND: paints the caption strip of the given client width.
  void PaintCaptionStrip(Canvas& canvas, int clientWidth) const;
  // The strip: the client rectangle cut to its top 30 pixels.
  PixelRect CaptionStripRect() const;

  // State, for the host and the tests.
  bool fullScreen() const { return fullScreen_; }
  bool maximized() const { return maximized_; }
  bool minimizedByButton() const { return minimizedByButton_; }
  int cleaningsRunning() const { return cleaningsRunning_; }
  int promptsOpen() const { return promptsOpen_; }
  WindowId gameWindow() const { return gameWindow_; }
  const std::wstring& gameUrl() const { return gameUrl_; }
  const std::wstring& serverName() const { return serverName_; }
  std::wstring CaptionText() const;  // "[ %s ]" with the server name; empty without one
  FontSpec CaptionFont() const;
  static constexpr Argb kCaptionTextColour = 0xFFFFF3CD;

 private:
  void ShowMaximizeRestorePair(bool maximizedState);
  void FitGameWindow(std::int64_t wholeClient);
  void EnterFullScreenKeepingMinimizedFlag();
  void RestoreFromDoubleClick();
  void MaximizeFromDoubleClick();
  // The windows above the frame that come back with it: the overlay while a
  // cleaning runs, then the open prompts.
  void ShowPopupsOverFrame();
  void StartCacheCleaning();
  void CacheCleaned();
  void AskQuit();
  void AskChooseServer();

  FrameWindowPort& window_;
  bool fullScreen_ = false;
  bool maximized_ = false;
  bool minimizedByButton_ = false;
  int cleaningsRunning_ = 0;  // started and not yet reported ended
  int promptsOpen_ = 0;       // prompts asked and not yet answered
  WindowId gameWindow_ = 0;
  std::wstring gameUrl_;
  std::wstring serverName_;
  std::unique_ptr<SkinImage> captionLeft_, captionMiddle_, captionRight_;  // PNG 203, 172, 206
};

}  // namespace qm
