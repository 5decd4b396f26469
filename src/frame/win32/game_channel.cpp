// The game process protocol over Win32: window messages to HWNDs of the other
// process, SetParent across the process boundary, and the watchdog thread.
#include "frame/game_channel.h"

#include <windows.h>
#include <commctrl.h>

#include <thread>

#include "platform/process.h"
#include "platform/win32/owners.h"

namespace qm {

namespace {

constexpr wchar_t kGameWindowClass[] = L"QuellmoorGameWindow";
constexpr UINT_PTR kChannelSubclassId = 0x514D;  // one subclass per window

HWND AsHwnd(WindowId id) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(id)); }
WindowId AsId(HWND hwnd) { return static_cast<WindowId>(reinterpret_cast<INT_PTR>(hwnd)); }

class Win32GameChannel : public GameChannel {
 public:
  Win32GameChannel(HWND window, GameMessageHandler handler) : window_(window), handler_(std::move(handler)) {
    SetWindowSubclass(window_, &Win32GameChannel::Proc, kChannelSubclassId, reinterpret_cast<DWORD_PTR>(this));
  }
  ~Win32GameChannel() override { RemoveWindowSubclass(window_, &Win32GameChannel::Proc, kChannelSubclassId); }

  WindowId Id() const override { return AsId(window_); }

  std::optional<std::int64_t> Send(WindowId target, const GameMessage& message, int timeoutMs) override {
    HWND to = AsHwnd(target);
    if (target == 0 || !IsWindow(to)) return std::nullopt;
    // The sending thread handles the messages sent to its own windows while
    // it waits, as SendMessageW does; a receiver that hangs costs at most
    // the time-out instead of the frame.
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(to, message.message, static_cast<WPARAM>(message.wParam),
                             static_cast<LPARAM>(message.lParam), SMTO_NORMAL, static_cast<UINT>(timeoutMs), &answer))
      return std::nullopt;
    return static_cast<std::int64_t>(static_cast<LRESULT>(answer));
  }

  bool Post(WindowId target, const GameMessage& message) override {
    if (target == 0) return false;
    return PostMessageW(AsHwnd(target), message.message, static_cast<WPARAM>(message.wParam),
                        static_cast<LPARAM>(message.lParam)) != FALSE;
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (IsGameChannelMessage(message)) {
      auto* self = reinterpret_cast<Win32GameChannel*>(data);
      const std::optional<std::int64_t> answer = self->handler_(
          {message, static_cast<std::int64_t>(wParam), static_cast<std::int64_t>(lParam)});
      if (answer) return static_cast<LRESULT>(*answer);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }

  HWND window_;
  GameMessageHandler handler_;
};

class Win32GameEmbedSite : public GameEmbedSite {
 public:
  explicit Win32GameEmbedSite(HWND frame) : frame_(frame) {}

  bool HoldsGameWindow(WindowId window, long gameProcessId) const override {
    HWND hwnd = AsHwnd(window);
    if (window == 0 || gameProcessId == 0 || !IsWindow(hwnd) || GetParent(hwnd) != frame_) return false;
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    return owner == static_cast<DWORD>(gameProcessId);
  }

 private:
  HWND frame_;
};

// The game window: a plain child window of the frame that holds the view.
class Win32EmbeddedGameWindow : public EmbeddedGameWindow {
 public:
  explicit Win32EmbeddedGameWindow(HWND frame) : frame_(frame) {
    RegisterWindowClass();
    // A child of the frame from the start, hidden until embedded; the frame
    // lives in another process, so it is not told about the new child.
    window_.reset(CreateWindowExW(WS_EX_NOPARENTNOTIFY | WS_EX_CONTROLPARENT, kGameWindowClass, L"",
                                  WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_SYSMENU, 0, 0, 0, 0, frame,
                                  nullptr, GetModuleHandleW(nullptr), this));
  }
  ~Win32EmbeddedGameWindow() override {
    if (KeyTarget() == this) KeyTarget() = nullptr;
    if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
  }
  bool valid() const { return static_cast<bool>(window_); }

  WindowId Id() const override { return AsId(window_.get()); }
  NativeWindow Window() const override { return window_.get(); }
  NativeWindow ChildParent() const override { return window_.get(); }
  void SetResizeHandler(std::function<void(int, int)> handler) override { resize_ = std::move(handler); }

  void SetKeyHandler(std::function<bool(unsigned)> handler) override {
    key_ = std::move(handler);
    // Key-downs go to the focused child (the view) through this thread's
    // message loop; a message hook sees them before they are dispatched.
    if (!hook_)
      hook_.reset(SetWindowsHookExW(WH_GETMESSAGE, &Win32EmbeddedGameWindow::KeyHook, nullptr, GetCurrentThreadId()));
    KeyTarget() = this;
  }

  PixelRect FrameClientRect() const override {
    RECT r{};
    if (!GetClientRect(frame_, &r)) return {};
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
  }

  void Move(const PixelRect& rect, bool repaint) override {
    MoveWindow(window_.get(), rect.x, rect.y, rect.width, rect.height, repaint ? TRUE : FALSE);
  }

  bool IsVisible() const override { return IsWindowVisible(window_.get()) != FALSE; }
  void Show() override { ShowWindow(window_.get(), SW_SHOW); }

  WindowId Embed() override {
    LONG_PTR style = GetWindowLongPtrW(window_.get(), GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD;
    SetWindowLongPtrW(window_.get(), GWL_STYLE, style);
    SetParent(window_.get(), frame_);
    SetWindowPos(window_.get(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    ShowWindow(window_.get(), SW_SHOW);
    return Id();
  }

 private:
  static Win32EmbeddedGameWindow*& KeyTarget() {
    static Win32EmbeddedGameWindow* target = nullptr;
    return target;
  }

  static void RegisterWindowClass() {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kGameWindowClass, &cls)) return;
    cls.lpfnWndProc = &Win32EmbeddedGameWindow::Proc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    cls.lpszClassName = kGameWindowClass;
    RegisterClassExW(&cls);
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32EmbeddedGameWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_SIZE && self && self->resize_) {
      const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
      self->resize_(LOWORD(lParam), HIWORD(lParam));
      return result;
    }
    // The game window ends only through the controller (kGameWindowClose),
    // never through the default close processing.
    if (message == WM_CLOSE) return 0;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  static LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    Win32EmbeddedGameWindow* self = KeyTarget();
    if (code == HC_ACTION && wParam == PM_REMOVE && self && self->key_ && msg->message == WM_KEYDOWN &&
        (msg->hwnd == self->window_.get() || IsChild(self->window_.get(), msg->hwnd))) {
      if (self->key_(static_cast<unsigned>(msg->wParam))) msg->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  HWND frame_;
  UniqueHwnd window_;
  UniqueHHook hook_;
  std::function<void(int, int)> resize_;
  std::function<bool(unsigned)> key_;
};

}  // namespace

std::unique_ptr<GameChannel> GameChannel::Listen(NativeWindow window, GameMessageHandler handler) {
  if (!window || !IsWindow(window)) return nullptr;
  return std::make_unique<Win32GameChannel>(window, std::move(handler));
}

std::unique_ptr<GameEmbedSite> GameEmbedSite::Create(NativeWindow frame, NativeWindow) {
  if (!frame || !IsWindow(frame)) return nullptr;
  return std::make_unique<Win32GameEmbedSite>(frame);
}

std::unique_ptr<EmbeddedGameWindow> EmbeddedGameWindow::Create(WindowId frame) {
  if (!GameWindowExists(frame)) return nullptr;
  auto window = std::make_unique<Win32EmbeddedGameWindow>(AsHwnd(frame));
  if (!window->valid()) return nullptr;
  return window;
}

void StartFrameWatchdog(WindowId frame, WindowId gameWindow) {
  std::thread([frame, gameWindow] {
    while (IsWindow(AsHwnd(frame))) Sleep(1000);
    PostMessageW(AsHwnd(gameWindow), WM_CLOSE, 0, 0);
    Sleep(1000);
    ExitProcessNow(0);
  }).detach();
}

bool GameWindowExists(WindowId id) { return id != 0 && IsWindow(AsHwnd(id)) != FALSE; }

}  // namespace qm
