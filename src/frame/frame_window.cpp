#include "frame/frame_window.h"

#include <chrono>
#include <thread>
#include <utility>

#include "base/string_rows.h"
#include "frame/cache_cleaning.h"
#include "frame/game_process.h"
#include "frame/hotkeys.h"
#include "login/login_window.h"
#include "platform/debug_output.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/resources.h"

namespace qm {

namespace {

// How long the frame waits after the game window has handled its close.
constexpr auto kAfterGameCloseWait = std::chrono::milliseconds(50);

std::optional<FinishedLogin> RunLoginWindow() {
  auto login = std::make_shared<CLanderLogin>();
  if (login->DoModal() != 0) return std::nullopt;
  DebugStage(L"login window hidden");
  return FinishedLogin{login->GetGameUrl(), login};
}

}  // namespace

FrameEnvironment DefaultFrameEnvironment() {
  FrameEnvironment environment;
  environment.login = RunLoginWindow;
  environment.launchGame = LaunchGameProcess;
  environment.prompts = SkinnedPromptRunner;
  environment.restartLauncher = [] {
    const std::wstring executable = QuerySystemFolders().modulePath;
    StartProcess(executable, L"");
  };
  environment.engineDataFolder = WebEngineDataFolder();
  return environment;
}

CLander_KVDlg::CLander_KVDlg(FrameEnvironment environment)
    : environment_(std::move(environment)), controller_(*this) {}

CLander_KVDlg::~CLander_KVDlg() {
  // The window's destruction reports to the website-data relay and the
  // channel (OnDestroy), so it goes while they still live; the buttons inside
  // it, the overlay above it and the hotkeys grabbed for it go before it.
  for (auto& button : buttons_) button.reset();
  overlay_.reset();
  hotkeys_.reset();
  host_.reset();
}

int CLander_KVDlg::DoModal() {
  WindowOptions options;
  options.kind = WindowKind::kTopLevel;
  options.title = LoadStringRow(kRowLauncherTitle);
  options.bounds = {0, 0, kRestoredWidth, kRestoredHeight};
  host_ = WindowHost::Create(*this, options);
  if (!host_) return -1;

  // The login runs before the frame shows; whatever it returns, the frame
  // goes on with the game URL it caught (a login closed through its prompt
  // has ended the process already).
  std::optional<FinishedLogin> login = environment_.login ? environment_.login() : std::nullopt;
  if (!login) return 0;

  const std::wstring title = LoadStringRow(kRowLauncherTitle);
  CTrayIcon::Callbacks tray;
  tray.leftClick = [this] {
    controller_.OnTrayIconClicked(createdHost_ && createdHost_->State() == ShowState::kMinimized);
  };
  tray.command = [this](unsigned command) { controller_.OnCommand(static_cast<int>(command)); };
  tray_.Add(title, host_->Native(), std::move(tray));

  overlay_ = std::make_unique<CacheOverlay>(host_->Native());
  controller_.Start(login->gameUrl);
  DebugStage(L"frame started");
  // The game process is on its way: the login's windows and web engine go
  // now, while it starts, and not before it.
  login->login.reset();
  DebugStage(L"login closed");
  return host_->RunModal();
}

void CLander_KVDlg::OnCreate(WindowHost& host) {
  createdHost_ = &host;
  FrameWindowSystem::Events events;
  events.sysCommand = [this](unsigned command) { controller_.OnSysCommand(command); };
  events.message = [this](unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam) -> std::optional<std::intptr_t> {
    if (tray_.HandleWindowMessage(message, wParam, lParam)) return 0;
    // A hotkey has been acted on; the message still goes on.
    if (hotkeys_) hotkeys_->HandleWindowMessage(message, wParam, lParam);
    return std::nullopt;
  };
  system_ = FrameWindowSystem::Attach(host, std::move(events));
  CreateCaptionButtons(host.ChildParent());
  // The place for the game window, and the channel it announces itself on.
  embedSite_ = GameEmbedSite::Create(host.Native(), host.ChildParent());
  channel_ = GameChannel::Listen(host.Native(), [this](const GameMessage& m) { return OnChannelMessage(m); });
  if (channel_) {
    websiteData_ = std::make_unique<WebsiteDataRelay>(
        [this] { return controller_.gameWindow(); }, channel_->Id(),
        [this](WindowId target, const GameMessage& message) { return channel_ && channel_->Post(target, message); });
  }
}

void CLander_KVDlg::OnDestroy() {
  createdHost_ = nullptr;
  if (websiteData_) websiteData_->GameWindowGone();
}

void CLander_KVDlg::CreateCaptionButtons(NativeWindow parent) {
  const auto& table = CaptionButtons();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const CaptionButton& entry = table[i];
    auto button = std::make_unique<CTouchButton>();
    if (!button->Create(parent, entry.id, CaptionButtonPlace(entry, kRestoredWidth))) continue;
    button->SetStateImages(entry.normalImage, entry.hoverImage, entry.pressedImage);
    if (entry.tooltip) button->SetToolTipText(entry.tooltip, true);
    buttons_[i] = std::move(button);
  }
}

CTouchButton* CLander_KVDlg::Button(int id) {
  const auto& table = CaptionButtons();
  for (std::size_t i = 0; i < table.size(); ++i)
    if (table[i].id == id) return buttons_[i].get();
  return nullptr;
}

std::optional<std::int64_t> CLander_KVDlg::OnChannelMessage(const GameMessage& message) {
  if (message.message == WM_GAMEWND_ATTACHED) {
    // Announcements of any other window (anything on the display can send
    // one) are answered and ignored.
    if (!embedSite_ || !embedSite_->HoldsGameWindow(message.wParam, gameProcessId_->load())) return 0;
    DebugStage(L"game window attached");
    return controller_.OnGameWindowAttached(message.wParam);
  }
  if (websiteData_) return websiteData_->HandleMessage(message);
  return std::nullopt;
}

// ---- Events of the window ---------------------------------------------------

void CLander_KVDlg::OnPaint(Canvas& canvas) {
  const WindowHost* host = createdHost_;
  if (!host) return;
  if (!painted_) DebugStage(L"frame painted");
  painted_ = true;
  controller_.PaintCaptionStrip(canvas, host->ClientSize().width);
}

void CLander_KVDlg::OnPointerDown(const PointerPress& press) {
  if (press.button == MouseButton::kLeft) controller_.OnLeftButtonDown();
}

void CLander_KVDlg::OnDoubleClick(const PointerPress& press) {
  if (press.button == MouseButton::kLeft) controller_.OnLeftButtonDoubleClick();
}

bool CLander_KVDlg::OnKeyDown(const KeyPress& key) {
  // The game window's keys go on to it untouched.
  if (system_ && system_->KeyboardFocusInGameWindow()) return false;
  switch (controller_.RouteKeyDown(static_cast<unsigned>(key.key), key.ctrl, key.alt, key.shift)) {
    case FrameKeyRoute::kAcceleratorF5:
      controller_.OnCommand(kCommandAcceleratorF5);
      return true;
    case FrameKeyRoute::kNotTranslated:
    case FrameKeyRoute::kDialogProcessing:
      break;
  }
  // Enter and Escape reach nothing that could close the frame; Alt+F4 goes
  // on to the system's close.
  return false;
}

void CLander_KVDlg::OnCommand(int id) {
  if (id == kCommandGameProcessEnded && websiteData_) websiteData_->GameWindowGone();
  controller_.OnCommand(id);
}

void CLander_KVDlg::OnTimer(int id) { controller_.OnTimer(id); }

void CLander_KVDlg::OnMoved(const PixelRect& bounds) {
  if (overlay_) overlay_->Follow(bounds);
}

void CLander_KVDlg::OnResized(const PixelSize&) {
  if (overlay_ && createdHost_) overlay_->Follow(createdHost_->Bounds());
  // A window system that sizes windows later than asked (X11) reports the
  // new width only now: the buttons keep their places at the right edge.
  controller_.LayoutCaptionButtons();
  controller_.OnSize();
}

void CLander_KVDlg::OnShowStateChanged(ShowState state) {
  const ShowState previous = std::exchange(showState_, state);
  if (system_) system_->OnShowStateChanged(previous, state);
}

void CLander_KVDlg::OnCloseRequest() {
  // Windows has asked the quit prompt through SC_CLOSE already; what is left
  // of its close is the dialog's cancel command.
  if (system_ && system_->CloseRequestFollowsSysClose())
    controller_.OnCommand(kCommandCancel);
  else
    controller_.OnCloseRequest();
}

// ---- What the rules ask of the window ---------------------------------------

PixelRect CLander_KVDlg::WorkArea() { return system_ ? system_->WorkArea() : PixelRect{}; }

std::optional<PixelRect> CLander_KVDlg::TaskbarRect() { return system_ ? system_->TaskbarRect() : std::nullopt; }

PixelRect CLander_KVDlg::ScreenRect() {
  const PixelRect screen = createdHost_ ? createdHost_->ScreenArea() : PixelRect{};
  return {0, 0, screen.width, screen.height};
}

int CLander_KVDlg::ClientWidth() { return createdHost_ ? createdHost_->ClientSize().width : 0; }

bool CLander_KVDlg::IsZoomed() { return system_ && system_->IsZoomed(); }

void CLander_KVDlg::SysCommand(unsigned command) {
  if (system_) system_->SysCommand(command);
}

void CLander_KVDlg::MoveWindow(const PixelRect& screenRect) {
  if (system_) system_->MoveWindow(screenRect, controller_.fullScreen() && screenRect == ScreenRect());
}

void CLander_KVDlg::InvalidateWithErase(const PixelRect& clientRect) {
  if (createdHost_) createdHost_->Invalidate(clientRect);
}

void CLander_KVDlg::UpdateNow() {
  if (createdHost_) createdHost_->Invalidate();
}

void CLander_KVDlg::SetTimer(int id, int periodMs) {
  if (createdHost_) createdHost_->StartTimer(id, periodMs);
}

void CLander_KVDlg::KillTimer(int id) {
  if (createdHost_) createdHost_->StopTimer(id);
}

void CLander_KVDlg::BeginMoveDrag() {
  if (createdHost_) createdHost_->BeginMoveDrag();
}

void CLander_KVDlg::ShowFrame(bool show) {
  if (!createdHost_) return;
  if (!show) {
    createdHost_->Hide();
    return;
  }
  if (createdHost_->IsVisible()) return;
  // A window manager may place a window anew when it comes back: it comes
  // back where it was.
  const PixelRect place = createdHost_->Bounds();
  createdHost_->Show();
  createdHost_->SetBounds(place);
}

bool CLander_KVDlg::IsFrameVisible() { return createdHost_ && createdHost_->IsVisible(); }

void CLander_KVDlg::BringToForeground() {
  if (createdHost_) createdHost_->Activate();
}

void CLander_KVDlg::PlaceButton(int id, const PixelRect& clientRect) {
  if (CTouchButton* button = Button(id)) button->Place(clientRect);
}

void CLander_KVDlg::ShowButton(int id, bool show) {
  if (CTouchButton* button = Button(id)) button->Show(show);
}

void CLander_KVDlg::SendToGameWindow(WindowId gameWindow, const GameMessage& message) {
  if (channel_) channel_->Send(gameWindow, message);
}

void CLander_KVDlg::PostToGameWindow(WindowId gameWindow, const GameMessage& message) {
  if (channel_) channel_->Post(gameWindow, message);
}

void CLander_KVDlg::StartGameProcess(const std::wstring& gameUrl) {
  DebugStage(L"frame maximized");
  // The hotkeys come with the maximized frame, before the game starts.
  hotkeys_ = std::make_unique<HotkeyRegistration>(createdHost_ ? createdHost_->Native() : nullptr, [this](int id) {
    controller_.OnHotkey(id, system_ && system_->IsActive());
  });
  hotkeys_->Register(ReadHotkeyBindings());
  DebugStage(L"hotkeys registered");
  if (!channel_ || !environment_.launchGame) return;
  // The game process starts on a worker thread of its own, with copies of
  // what it needs, so that the frame never waits for it. Its end comes back
  // as a command, dropped when the frame has gone meanwhile.
  ChildProcessWatch watch;
  watch.started = [id = gameProcessId_](long processId) {
    id->store(processId);
    DebugStage(L"game process started");
  };
  const NativeWindow native = createdHost_ ? createdHost_->Native() : nullptr;
  watch.ended = [native] { PostCommand(native, kCommandGameProcessEnded); };
  std::thread([launch = environment_.launchGame, frame = channel_->Id(), url = gameUrl, watch = std::move(watch)] {
    launch(frame, url, watch);
  }).detach();
}

void CLander_KVDlg::CloseGameWindow() {
  const WindowId game = controller_.gameWindow();
  if (game == 0 || !channel_) return;
  channel_->Send(game, {kGameWindowClose, 0, 0});
  std::this_thread::sleep_for(kAfterGameCloseWait);
}

void CLander_KVDlg::EndFrame() {
  if (createdHost_ && createdHost_->InModalRun()) createdHost_->EndModal(0);
}

PromptRunner CLander_KVDlg::Prompts() {
  return environment_.prompts(createdHost_ ? createdHost_->Native() : nullptr, [this](WindowHost& window, bool open) {
    if (open)
      openPrompts_.push_back(&window);
    else
      std::erase(openPrompts_, &window);
  });
}

void CLander_KVDlg::QuitPrompt() {
  const PromptRunner ask = Prompts();
  if (!qm::QuitPrompt(ask)) return;
  tray_.Remove();
  CloseGameWindow();
  EndFrame();
}

void CLander_KVDlg::ChooseServerPrompt() {
  const PromptRunner ask = Prompts();
  if (!qm::ChooseServerPrompt(ask)) return;
  if (createdHost_) createdHost_->Hide();
  CloseGameWindow();
  // The icon goes before the new launcher puts up its own.
  tray_.Remove();
  if (environment_.restartLauncher) environment_.restartLauncher();
  EndFrame();
}

void CLander_KVDlg::ShowPrompts(bool show) {
  for (WindowHost* prompt : openPrompts_) {
    if (!show) {
      prompt->Hide();
      continue;
    }
    prompt->Show();
    prompt->Activate();
  }
}

void CLander_KVDlg::StartCacheCleaning() {
  CacheCleaningJob job;
  job.cacheFolder = CacheCleaningFolder(environment_.engineDataFolder);
  if (websiteData_ && WebsiteDataClearedByGameProcess()) job.clearWebsiteData = websiteData_->Step();
  // The end comes back to the frame's own thread, and is dropped when the
  // frame has gone meanwhile.
  const NativeWindow frame = createdHost_ ? createdHost_->Native() : nullptr;
  job.reportEnd = [frame](unsigned command) { PostCommand(frame, static_cast<int>(command)); };
  StartCacheCleaningWorker(std::move(job));
}

void CLander_KVDlg::ShowCacheOverlay(bool show) {
  if (!overlay_) return;
  if (!show) {
    overlay_->Hide();
    return;
  }
  if (createdHost_) overlay_->Show(createdHost_->Bounds());
}

}  // namespace qm
