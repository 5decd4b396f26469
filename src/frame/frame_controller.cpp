#include "frame/frame_controller.h"

#include "frame/caption_font.h"
#include "frame/hotkeys.h"
#include "frame/server_name.h"

namespace qm {

namespace {

constexpr int kButtonTop = 3;
constexpr unsigned kCaptionLeftImage = 203;
constexpr unsigned kCaptionMiddleImage = 172;
constexpr unsigned kCaptionRightImage = 206;
// Where the server name starts: after the left part, 5 pixels in, 4 down.
constexpr int kCaptionTextGap = 5;
constexpr int kCaptionTextTop = 4;
constexpr float kCaptionTextPixels = 14;

// The rectangle RestoreFrame and the double-click restore invalidate: the
// strip of the restored frame.
constexpr PixelRect kRestoredStrip{0, 0, kRestoredWidth, kCaptionStripHeight};

}  // namespace

const std::array<CaptionButton, 9>& CaptionButtons() {
  static const std::array<CaptionButton, 9> buttons = {{
      {kButtonClose, 207, 208, 227, nullptr, 28, 28, 26},
      {kButtonMaximize, 220, 213, 228, nullptr, 57, 28, 26},
      {kButtonRestore, 221, 217, 229, nullptr, 57, 28, 26},
      {kButtonMinimize, 209, 210, 230, nullptr, 86, 28, 26},
      {kButtonFullScreen, 224, 214, 234, L"全屏/取消全屏（快捷键F11）", 192, 85, 24},
      {kButtonBossKey, 223, 215, 233, L"老板键（快捷键F10）", 294, 97, 24},
      {kButtonClearCache, 252, 253, 261, L"清除缓存", 384, 85, 24},
      {kButtonRefresh, 226, 219, 236, L"刷新", 458, 78, 24},
      {kButtonChooseServer, 211, 212, 231, L"选择新的服务器", 522, 59, 24},
  }};
  return buttons;
}

PixelRect CaptionButtonPlace(const CaptionButton& button, int clientWidth) {
  return {clientWidth - button.rightOffset, kButtonTop, button.width, button.height};
}

PixelPoint MaximizedOrigin(const PixelRect& workArea, const std::optional<PixelRect>& taskbar) {
  if (!taskbar) return {};
  if (taskbar->bottom() == workArea.y) return {0, taskbar->bottom()};
  if (taskbar->right() == workArea.x) return {taskbar->right(), 0};
  return {};
}

std::optional<PixelRect> PanelBeforeWorkArea(const PixelRect& screen, const PixelRect& workArea) {
  if (workArea.y > screen.y) return PixelRect{screen.x, screen.y, screen.width, workArea.y - screen.y};
  if (workArea.x > screen.x) return PixelRect{screen.x, screen.y, workArea.x - screen.x, screen.height};
  return std::nullopt;
}

PixelRect CentredRestoredRect(int screenWidth, int screenHeight) {
  return {(screenWidth - kRestoredWidth) / 2, (screenHeight - kRestoredHeight) / 2, kRestoredWidth,
          kRestoredHeight};
}

FrameController::FrameController(FrameWindowPort& window) : window_(window) {}

FrameController::~FrameController() = default;

void FrameController::Start(const std::wstring& gameUrl) {
  minimizedByButton_ = false;
  gameUrl_ = gameUrl;
  serverName_ = ExtractServerName(gameUrl_);
  captionLeft_ = LoadSkinImage(kCaptionLeftImage);
  captionMiddle_ = LoadSkinImage(kCaptionMiddleImage);
  captionRight_ = LoadSkinImage(kCaptionRightImage);
  // The centred place is where the restored state returns to.
  const PixelRect screen = window_.ScreenRect();
  window_.MoveWindow(CentredRestoredRect(screen.width, screen.height));
  window_.SysCommand(kSysCommandMaximize);
  maximized_ = true;
  FitToWorkArea();
  LayoutCaptionButtons();
  ShowMaximizeRestorePair(true);
  window_.InvalidateWithErase(CaptionStripRect());
  window_.StartGameProcess(gameUrl_);
}

PixelRect FrameController::CaptionStripRect() const {
  return {0, 0, window_.ClientWidth(), kCaptionStripHeight};
}

void FrameController::FitToWorkArea() {
  const PixelRect workArea = window_.WorkArea();
  const PixelPoint origin = MaximizedOrigin(workArea, window_.TaskbarRect());
  window_.MoveWindow({origin.x, origin.y, workArea.width, workArea.height});
  FitGameWindow(0);
  window_.InvalidateWithErase(CaptionStripRect());
}

void FrameController::LayoutCaptionButtons() {
  const int width = window_.ClientWidth();
  for (const CaptionButton& button : CaptionButtons()) window_.PlaceButton(button.id, CaptionButtonPlace(button, width));
}

void FrameController::ShowCaptionButtons(bool show) {
  for (const CaptionButton& button : CaptionButtons()) window_.ShowButton(button.id, show);
}

void FrameController::ShowMaximizeRestorePair(bool maximizedState) {
  window_.ShowButton(kButtonMaximize, !maximizedState);
  window_.ShowButton(kButtonRestore, maximizedState);
}

void FrameController::FitGameWindow(std::int64_t wholeClient) {
  if (gameWindow_ == 0) return;
  window_.SendToGameWindow(gameWindow_, {WM_GAMEWND_FIT, wholeClient, 0});
}

void FrameController::MaximizeFrame() {
  window_.SysCommand(kSysCommandMaximize);
  minimizedByButton_ = false;
  maximized_ = true;
  ShowMaximizeRestorePair(true);
  FitToWorkArea();
  LayoutCaptionButtons();
}

void FrameController::RestoreFrame() {
  minimizedByButton_ = false;
  maximized_ = false;
  window_.SysCommand(kSysCommandRestore);
  LayoutCaptionButtons();
  FitGameWindow(0);
  ShowMaximizeRestorePair(false);
  window_.InvalidateWithErase(kRestoredStrip);
}

void FrameController::EnterFullScreen() {
  minimizedByButton_ = false;
  EnterFullScreenKeepingMinimizedFlag();
}

void FrameController::EnterFullScreenKeepingMinimizedFlag() {
  fullScreen_ = true;
  window_.SysCommand(kSysCommandMaximize);
  window_.MoveWindow(window_.ScreenRect());
  FitGameWindow(1);
  ShowCaptionButtons(false);
  window_.UpdateNow();
}

void FrameController::LeaveFullScreen() {
  fullScreen_ = false;
  window_.SysCommand(kSysCommandMaximize);
  maximized_ = true;
  FitToWorkArea();
  LayoutCaptionButtons();
  ShowCaptionButtons(true);
  ShowMaximizeRestorePair(true);
  window_.InvalidateWithErase(CaptionStripRect());
}

void FrameController::RestoreFromDoubleClick() {
  maximized_ = false;
  window_.SysCommand(kSysCommandRestore);
  LayoutCaptionButtons();
  FitGameWindow(0);
  ShowMaximizeRestorePair(false);
  window_.InvalidateWithErase(kRestoredStrip);
}

void FrameController::MaximizeFromDoubleClick() {
  window_.SysCommand(kSysCommandMaximize);
  maximized_ = true;
  FitToWorkArea();
  LayoutCaptionButtons();
  ShowMaximizeRestorePair(true);
  window_.InvalidateWithErase(CaptionStripRect());
}

void FrameController::OnCommand(int id) {
  switch (id) {
    case kButtonClose:
    case kCommandTrayExit:
      AskQuit();
      break;
    case kButtonRestore:
      RestoreFrame();
      break;
    case kButtonMinimize:
      minimizedByButton_ = true;
      window_.SysCommand(kSysCommandMinimize);
      break;
    case kButtonFullScreen:
      EnterFullScreen();
      break;
    case kButtonBossKey:
      HideLauncher();
      break;
    case kButtonChooseServer:
      AskChooseServer();
      break;
    case kButtonMaximize:
      MaximizeFrame();
      break;
    case kButtonRefresh:
      if (gameWindow_ != 0) window_.PostToGameWindow(gameWindow_, {WM_GAMEWND_RELOAD, 0, 0});
      break;
    case kButtonClearCache:
    case kCommandTrayClearCache:
      StartCacheCleaning();
      break;
    case kCommandCancel:
      if (fullScreen_) LeaveFullScreen();
      break;
    case kCommandTrayToggle:
      if (window_.IsFrameVisible())
        HideLauncher();
      else
        ShowLauncher();
      break;
    case kCommandCacheCleaned:
      CacheCleaned();
      break;
    case kCommandGameProcessEnded:
      // Its window went with it; nothing may be sent to that id any more.
      gameWindow_ = 0;
      break;
    case kCommandAcceleratorF5:
    default:
      break;
  }
}

void FrameController::AskQuit() {
  ++promptsOpen_;
  window_.QuitPrompt();
  --promptsOpen_;
}

void FrameController::AskChooseServer() {
  ++promptsOpen_;
  window_.ChooseServerPrompt();
  --promptsOpen_;
}

void FrameController::StartCacheCleaning() {
  ++cleaningsRunning_;
  window_.StartCacheCleaning();
  // A cleaning asked for (from the tray) while the launcher is hidden runs
  // unseen; its overlay comes with the frame.
  if (window_.IsFrameVisible()) window_.ShowCacheOverlay(true);
}

void FrameController::CacheCleaned() {
  // Each cleaning reports its end once; the overlay stays until the last
  // one running has ended.
  if (cleaningsRunning_ > 0) --cleaningsRunning_;
  if (cleaningsRunning_ == 0) window_.ShowCacheOverlay(false);
}

void FrameController::HideLauncher() {
  // The popups go first, so that none of them is seen alone for a moment.
  if (promptsOpen_ > 0) window_.ShowPrompts(false);
  if (cleaningsRunning_ > 0) window_.ShowCacheOverlay(false);
  window_.ShowFrame(false);
}

void FrameController::ShowLauncher() {
  window_.ShowFrame(true);
  ShowPopupsOverFrame();
}

void FrameController::ShowPopupsOverFrame() {
  if (cleaningsRunning_ > 0) window_.ShowCacheOverlay(true);
  // Last, so that they are in front with the keyboard.
  if (promptsOpen_ > 0) window_.ShowPrompts(true);
}

void FrameController::OnTrayIconClicked(bool frameMinimized) {
  window_.ShowFrame(true);
  // To the front as it is: a minimized frame is shown but stays minimized
  // (bringing a window forward would restore it).
  if (!frameMinimized) window_.BringToForeground();
  ShowPopupsOverFrame();
}

bool FrameController::OnSysCommand(unsigned command) {
  // The low four bits of a system command are the system's own.
  switch (command & 0xFFF0) {
    case kSysCommandClose:
      window_.QuitPrompt();
      break;
    case kSysCommandRestore:
      if (maximized_) window_.SetTimer(kTimerFitAfterRestore, kTimerFitAfterRestoreMs);
      break;
    default:
      break;
  }
  return true;
}

void FrameController::OnCloseRequest() {
  OnSysCommand(kSysCommandClose);
  OnCommand(kCommandCancel);
}

void FrameController::OnTimer(int id) {
  if (id != kTimerFitAfterRestore) return;
  FitToWorkArea();
  window_.KillTimer(kTimerFitAfterRestore);
}

void FrameController::OnSize() { FitGameWindow(fullScreen_ ? 1 : 0); }

void FrameController::OnLeftButtonDown() {
  if (!window_.IsZoomed()) window_.BeginMoveDrag();
}

void FrameController::OnLeftButtonDoubleClick() {
  if (window_.IsZoomed())
    RestoreFromDoubleClick();
  else
    MaximizeFromDoubleClick();
}

FrameKeyRoute FrameController::RouteKeyDown(unsigned virtualKey, bool ctrl, bool alt, bool shift) const {
  if (virtualKey == kKeyReturn || virtualKey == kKeyEscape) return FrameKeyRoute::kNotTranslated;
  if (virtualKey == kKeyF5 && !ctrl && !alt && !shift) return FrameKeyRoute::kAcceleratorF5;
  return FrameKeyRoute::kDialogProcessing;
}

void FrameController::OnHotkey(int hotkeyId, bool frameActive) {
  FrameHotkeyState state;
  state.visible = window_.IsFrameVisible();
  state.minimizedByButton = minimizedByButton_;
  state.maximized = maximized_;
  state.fullScreen = fullScreen_;
  state.active = frameActive;
  switch (DecideHotkeyAction(hotkeyId, state)) {
    case FrameHotkeyAction::kNothing:
      break;
    case FrameHotkeyAction::kHide:
      HideLauncher();
      break;
    case FrameHotkeyAction::kShow:
      ShowLauncher();
      break;
    case FrameHotkeyAction::kShowMaximizeForeground:
      window_.ShowFrame(true);
      MaximizeFrame();
      window_.BringToForeground();
      ShowPopupsOverFrame();
      break;
    case FrameHotkeyAction::kShowRestoreForeground:
      window_.ShowFrame(true);
      RestoreFrame();
      window_.BringToForeground();
      ShowPopupsOverFrame();
      break;
    case FrameHotkeyAction::kEnterFullScreen:
      EnterFullScreenKeepingMinimizedFlag();
      break;
    case FrameHotkeyAction::kLeaveFullScreen:
      LeaveFullScreen();
      break;
  }
}

std::int64_t FrameController::OnGameWindowAttached(WindowId gameWindow) {
  gameWindow_ = gameWindow;
  return 0;
}

std::wstring FrameController::CaptionText() const {
  return serverName_.empty() ? std::wstring() : L"[ " + serverName_ + L" ]";
}

FontSpec FrameController::CaptionFont() const {
  return {CaptionFontFamily(), kCaptionTextPixels, FontStyle::kRegular};
}

void FrameController::PaintCaptionStrip(Canvas& canvas, int clientWidth) const {
  if (!captionLeft_ || !captionMiddle_ || !captionRight_ || fullScreen_) return;
  const int leftWidth = captionLeft_->Width();
  const int rightWidth = captionRight_->Width();
  canvas.FillTiled(*captionLeft_, {0, 0, leftWidth, captionLeft_->Height()}, 0, 0);
  const int middleX = leftWidth;
  canvas.FillTiled(*captionMiddle_, {middleX, 0, clientWidth - leftWidth - rightWidth, captionMiddle_->Height()},
                   middleX, 0);
  const int rightX = clientWidth - rightWidth;
  canvas.FillTiled(*captionRight_, {rightX, 0, rightWidth, captionRight_->Height()}, rightX, 0);
  if (serverName_.empty()) return;
  const float textX = static_cast<float>(leftWidth + kCaptionTextGap);
  const FloatRect textBox{textX, static_cast<float>(kCaptionTextTop), static_cast<float>(clientWidth) - textX,
                          static_cast<float>(kCaptionStripHeight - kCaptionTextTop)};
  canvas.DrawString(CaptionText(), CaptionFont(), TextFormat{}, textBox, kCaptionTextColour);
}

}  // namespace qm
