#include "frame/game_process.h"

#include "platform/debug_output.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace qm {

namespace {

// The launching step's buffer: 1024 characters with the terminator.
constexpr size_t kCommandLineLimit = 1023;

}  // namespace

std::wstring GameProcessCommandLine(const std::wstring& executablePath, WindowId frameWindow,
                                    const std::wstring& gameUrl) {
  std::wstring line = L"\"" + executablePath + L"\" -frameWnd=" + std::to_wstring(frameWindow) + L" -gameurl=" + gameUrl;
  if (line.size() > kCommandLineLimit) line.resize(kCommandLineLimit);
  return line;
}

bool LaunchGameProcess(WindowId frameWindow, const std::wstring& gameUrl, ChildProcessWatch watch) {
  const std::wstring executable = QuerySystemFolders().modulePath;
  if (executable.empty()) return false;
  return StartChildProcess(executable, GameProcessCommandLine(executable, frameWindow, gameUrl), std::move(watch));
}

GameWindowController::GameWindowController(GameWindowPort& window, WindowId frameWindow, std::wstring gameUrl)
    : window_(window), frameWindow_(frameWindow), gameUrl_(std::move(gameUrl)) {}

void GameWindowController::Start() {
  if (frameWindow_ != 0) {
    window_.CreateView();
    DebugStage(L"game view created");
    window_.NavigateView(gameUrl_);
    DebugStage(L"navigation started");
    PixelRect place = window_.FrameClientRect();
    place.y += kCaptionStripHeight;
    place.height -= kCaptionStripHeight;
    window_.MoveGameWindow(place, true);
    window_.FitViewToClient();
    const WindowId self = window_.EmbedInFrame();
    window_.SendToFrame({WM_GAMEWND_ATTACHED, self, 0});
    DebugStage(L"game window announced");
  }
  window_.StartWatchdog();
}

std::optional<std::int64_t> GameWindowController::OnMessage(const GameMessage& message) {
  switch (message.message) {
    case WM_GAMEWND_FIT:
      return Fit(message.wParam);
    case WM_GAMEWND_RELOAD:
      Reload();
      return 0;
    case kGameWindowClose:
      Close();
      return 0;
    default:
      return std::nullopt;
  }
}

std::int64_t GameWindowController::Fit(std::int64_t wholeClient) {
  if (frameWindow_ == 0) return 0;
  PixelRect place = window_.FrameClientRect();
  if (wholeClient == 0) {
    place.y += kCaptionStripHeight;
    place.height -= kCaptionStripHeight;
  }
  window_.MoveGameWindow(place, false);
  if (!window_.IsGameWindowVisible()) window_.ShowGameWindow();
  return 0;
}

void GameWindowController::Reload() {
  if (window_.HasView()) window_.NavigateView(gameUrl_);
}

void GameWindowController::Close() {
  if (window_.HasView()) window_.DestroyView();
  window_.PostQuit(0);
}

void GameWindowController::OnSize() {
  if (window_.HasView()) window_.FitViewToClient();
}

GameKeyRoute GameWindowController::RouteKeyDown(unsigned virtualKey) {
  constexpr unsigned kReturn = 0x0D, kEscape = 0x1B, kF5 = 0x74;
  if (virtualKey == kReturn || virtualKey == kEscape) return GameKeyRoute::kToPage;
  if (virtualKey == kF5) {
    if (window_.HasView()) window_.NavigateView(gameUrl_);
    return GameKeyRoute::kHandled;
  }
  return GameKeyRoute::kDialogProcessing;
}

}  // namespace qm
