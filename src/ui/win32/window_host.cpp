// The Win32 window host: one window class whose window procedure turns
// messages into controller calls. The face is painted off-screen through the
// GDI+ canvas into a bitmap compatible with the screen and copied with one
// BitBlt.
#include "ui/window_host.h"

#include <windows.h>
#include <windowsx.h>

#include <memory>
#include <utility>

#include "platform/win32/owners.h"
#include "ui/win32/child_messages.h"
#include "ui/win32/skin_image.h"

namespace qm {

namespace {

const wchar_t kClassName[] = L"QmWindowHost";
const wchar_t kHostProperty[] = L"qm.WindowHost";

class Win32WindowHost;

Win32WindowHost* HostOf(HWND hwnd) { return static_cast<Win32WindowHost*>(GetPropW(hwnd, kHostProperty)); }

PixelRect RectOf(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

// True while a key message that the loop below already offered to the
// controllers is being dispatched, so that the window procedure does not
// offer it a second time.
thread_local bool t_keyOffered = false;

KeyPress KeyPressOf(const MSG& message) {
  return {static_cast<int>(message.wParam), GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0,
          GetKeyState(VK_MENU) < 0, &message};
}

class Win32WindowHost final : public WindowHost {
 public:
  Win32WindowHost(WindowController& controller, const WindowOptions& options);
  ~Win32WindowHost() override;

  bool made() const { return hwnd_.valid(); }
  WindowController& controller() { return controller_; }

  void Show() override;
  void Hide() override;
  bool IsVisible() const override { return hwnd_ && IsWindowVisible(hwnd_.get()); }
  void Activate() override;
  void Minimize() override { ShowCommand(SW_MINIMIZE); }
  void Maximize() override { ShowCommand(SW_MAXIMIZE); }
  void Restore() override { ShowCommand(SW_RESTORE); }
  ShowState State() const override;
  void SetBounds(const PixelRect& bounds) override;
  PixelRect Bounds() const override;
  PixelSize ClientSize() const override;
  void Invalidate() override;
  void Invalidate(const PixelRect& area) override;
  void StartTimer(int id, int periodMs) override;
  void StopTimer(int id) override;
  int RunModal() override;
  void EndModal(int result) override;
  bool InModalRun() const override { return modal_ != nullptr; }
  void Close() override { hwnd_.reset(); }
  void BeginMoveDrag() override;
  void SetTitle(const std::wstring& title) override;
  NativeWindow ChildParent() const override { return hwnd_.get(); }
  NativeWindow Native() const override { return hwnd_.get(); }
  std::optional<PixelRect> OwnerBounds() const override { return WindowBoundsOf(options_.owner); }
  PixelRect WorkArea() const override;
  PixelRect ScreenArea() const override;
  bool SetAlphaFace(const SkinImage& image) override;
  void SetColourKey(Argb key) override;
  void SetOpacity(uint8_t alpha) override;

  // Offers a key-down message to the controller of the host window it is
  // for (the window itself or a child inside it); true when consumed.
  static bool OfferKey(const MSG& msg);

 private:
  struct ModalRun {
    bool ended = false;
    int result = 0;
  };

  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  // Paints the face off-screen and copies it to target at the client's
  // origin (in target's logical coordinates). reuseFace: the face painted
  // last is copied again while no Invalidate has come since and the client
  // size is the same.
  void PaintInto(HDC target, bool reuseFace);
  void ShowCommand(int command);
  void ApplyLayering();
  bool IsChild() const { return options_.kind == WindowKind::kChild; }

  WindowController& controller_;
  WindowOptions options_;
  UniqueHwnd hwnd_;
  ModalRun* modal_ = nullptr;
  bool trackingLeave_ = false;
  ShowState state_ = ShowState::kRestored;
  bool alphaFace_ = false;
  std::optional<COLORREF> colourKey_;
  BYTE opacity_ = 255;
  // The face as OnPaint painted it last, and whether it is still current.
  std::unique_ptr<MemoryBitmap> face_;
  PixelSize faceSize_;
  bool faceCurrent_ = false;
};

bool RegisterHostClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;  // replaced per window at creation
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  return registered;
}

Win32WindowHost::Win32WindowHost(WindowController& controller, const WindowOptions& options)
    : controller_(controller), options_(options) {
  if (!RegisterHostClass()) return;
  DWORD style = WS_CLIPCHILDREN, exStyle = 0;
  HWND parent = options.owner;
  switch (options.kind) {
    case WindowKind::kTopLevel:
      // No caption and no border; the system menu and the minimize box let
      // the taskbar button close, minimize and restore the window.
      style |= WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
      exStyle |= WS_EX_APPWINDOW;
      parent = nullptr;  // an owner is only for placement
      break;
    case WindowKind::kOwnedPopup:
      style |= WS_POPUP | WS_SYSMENU;
      break;
    case WindowKind::kChild:
      if (!parent) return;
      style |= WS_CHILD | WS_CLIPSIBLINGS;
      break;
  }
  const PixelRect& b = options.bounds;
  HWND hwnd = CreateWindowExW(exStyle, kClassName, options.title.c_str(), style, b.x, b.y, b.width, b.height, parent,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return;
  hwnd_.reset(hwnd);
  SetPropW(hwnd, kHostProperty, this);
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
}

Win32WindowHost::~Win32WindowHost() { hwnd_.reset(); }

LRESULT CALLBACK Win32WindowHost::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Win32WindowHost* host = HostOf(hwnd);
  if (!host) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    RemovePropW(hwnd, kHostProperty);
    host->hwnd_.release();  // gone already
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return host->Handle(msg, wParam, lParam);
}

PointerPress PressOf(LPARAM lParam, MouseButton button) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), button}; }

LRESULT Win32WindowHost::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = hwnd_.get();
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (!alphaFace_) PaintInto(dc, false);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_PRINTCLIENT:
      // Child controls copy their backgrounds from this, each a small part
      // and many at once (every caption button after the frame changed
      // size): the face painted last serves them while it is current.
      PaintInto(reinterpret_cast<HDC>(wParam), true);
      return 1;
    case WM_NCHITTEST: {
      const LRESULT hit = DefWindowProcW(hwnd, msg, wParam, lParam);
      if (hit != HTCLIENT) return hit;
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(hwnd, &p);
      switch (controller_.HitTest(p.x, p.y)) {
        case HitArea::kDrag: return HTCAPTION;
        case HitArea::kTransparent: return HTTRANSPARENT;
        case HitArea::kClient: return HTCLIENT;
      }
      return hit;
    }
    case WM_MOUSEMOVE:
      if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
      }
      controller_.OnPointerMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      controller_.OnPointerLeave();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      // The release comes back here even outside the window, as on GTK.
      SetCapture(hwnd);
      const MouseButton button = msg == WM_LBUTTONDOWN   ? MouseButton::kLeft
                                 : msg == WM_MBUTTONDOWN ? MouseButton::kMiddle
                                                         : MouseButton::kRight;
      controller_.OnPointerDown(PressOf(lParam, button));
      return 0;
    }
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK: {
      SetCapture(hwnd);
      const MouseButton button = msg == WM_LBUTTONDBLCLK   ? MouseButton::kLeft
                                 : msg == WM_MBUTTONDBLCLK ? MouseButton::kMiddle
                                                           : MouseButton::kRight;
      controller_.OnDoubleClick(PressOf(lParam, button));
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP: {
      if (GetCapture() == hwnd && !(wParam & (MK_LBUTTON | MK_MBUTTON | MK_RBUTTON))) ReleaseCapture();
      const MouseButton button = msg == WM_LBUTTONUP   ? MouseButton::kLeft
                                 : msg == WM_MBUTTONUP ? MouseButton::kMiddle
                                                       : MouseButton::kRight;
      controller_.OnPointerUp(PressOf(lParam, button));
      return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // A loop other than RunModal's (a system dialog's) brings keys here
      // without offering them first.
      if (!t_keyOffered) {
        const MSG message{hwnd, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
        if (controller_.OnKeyDown(KeyPressOf(message))) return 0;
      }
      break;
    case WM_COMMAND:
      // Clicks of child buttons, accelerators and menus; other notifications
      // of child controls are theirs.
      if (HIWORD(wParam) == BN_CLICKED || (HIWORD(wParam) == 1 && lParam == 0)) {
        controller_.OnCommand(LOWORD(wParam));
        return 0;
      }
      break;
    case WM_DRAWITEM: {
      // Owner-drawn children draw themselves.
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item && item->hwndItem) return SendMessageW(item->hwndItem, kReflectedDrawItem, wParam, lParam);
      break;
    }
    case WM_TIMER:
      controller_.OnTimer(static_cast<int>(wParam));
      return 0;
    case WM_MOVE: {
      controller_.OnMoved(Bounds());
      return 0;
    }
    case WM_SIZE: {
      const ShowState state = wParam == SIZE_MINIMIZED   ? ShowState::kMinimized
                              : wParam == SIZE_MAXIMIZED ? ShowState::kMaximized
                                                         : ShowState::kRestored;
      if (state != ShowState::kMinimized) controller_.OnResized({LOWORD(lParam), HIWORD(lParam)});
      if (state != std::exchange(state_, state)) controller_.OnShowStateChanged(state);
      return 0;
    }
    case WM_CLOSE:
      controller_.OnCloseRequest();
      return 0;  // the controller decides
    case WM_DESTROY:
      if (modal_) modal_->ended = true;
      controller_.OnDestroy();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Win32WindowHost::PaintInto(HDC target, bool reuseFace) {
  RECT client{};
  GetClientRect(hwnd_.get(), &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  const PixelSize size{client.right, client.bottom};
  if (!reuseFace || !faceCurrent_ || !face_ || faceSize_ != size) {
    if (!face_ || faceSize_ != size) {
      face_ = std::make_unique<MemoryBitmap>(nullptr, size.width, size.height);
      faceSize_ = size;
    }
    if (!face_->valid()) {
      face_.reset();
      return;
    }
    // OnPaint starts on black, as on a new bitmap.
    PatBlt(face_->dc(), 0, 0, size.width, size.height, BLACKNESS);
    {
      EnsureGdiPlus();
      Gdiplus::Graphics graphics(face_->dc());
      GdiPlusCanvas canvas(graphics);
      controller_.OnPaint(canvas);
    }
    faceCurrent_ = true;
  }
  BitBlt(target, 0, 0, size.width, size.height, face_->dc(), 0, 0, SRCCOPY);
}

void Win32WindowHost::Show() {
  if (hwnd_) ShowWindow(hwnd_.get(), IsChild() ? SW_SHOWNA : SW_SHOW);
}

void Win32WindowHost::Hide() {
  if (hwnd_) ShowWindow(hwnd_.get(), SW_HIDE);
}

void Win32WindowHost::Activate() {
  if (!hwnd_) return;
  if (IsChild()) {
    SetFocus(hwnd_.get());
    return;
  }
  if (IsIconic(hwnd_.get())) ShowWindow(hwnd_.get(), SW_RESTORE);
  SetForegroundWindow(hwnd_.get());
  SetFocus(hwnd_.get());
}

void Win32WindowHost::ShowCommand(int command) {
  if (hwnd_ && !IsChild()) ShowWindow(hwnd_.get(), command);
}

ShowState Win32WindowHost::State() const {
  if (hwnd_ && IsIconic(hwnd_.get())) return ShowState::kMinimized;
  if (hwnd_ && IsZoomed(hwnd_.get())) return ShowState::kMaximized;
  return ShowState::kRestored;
}

void Win32WindowHost::SetBounds(const PixelRect& b) {
  if (hwnd_) SetWindowPos(hwnd_.get(), nullptr, b.x, b.y, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

PixelRect Win32WindowHost::Bounds() const {
  RECT r{};
  if (!hwnd_ || !GetWindowRect(hwnd_.get(), &r)) return {};
  if (IsChild()) MapWindowPoints(nullptr, GetParent(hwnd_.get()), reinterpret_cast<POINT*>(&r), 2);
  return RectOf(r);
}

PixelSize Win32WindowHost::ClientSize() const {
  RECT r{};
  if (hwnd_) GetClientRect(hwnd_.get(), &r);
  return {r.right, r.bottom};
}

void Win32WindowHost::Invalidate() {
  faceCurrent_ = false;
  if (hwnd_) InvalidateRect(hwnd_.get(), nullptr, FALSE);
}

void Win32WindowHost::Invalidate(const PixelRect& area) {
  faceCurrent_ = false;
  const RECT r{area.x, area.y, area.right(), area.bottom()};
  if (hwnd_) InvalidateRect(hwnd_.get(), &r, FALSE);
}

void Win32WindowHost::StartTimer(int id, int periodMs) {
  if (hwnd_) SetTimer(hwnd_.get(), static_cast<UINT_PTR>(id), static_cast<UINT>(periodMs > 0 ? periodMs : 1), nullptr);
}

void Win32WindowHost::StopTimer(int id) {
  if (hwnd_) KillTimer(hwnd_.get(), static_cast<UINT_PTR>(id));
}

bool Win32WindowHost::OfferKey(const MSG& msg) {
  for (HWND hwnd = msg.hwnd; hwnd;) {
    if (Win32WindowHost* host = HostOf(hwnd)) return host->controller_.OnKeyDown(KeyPressOf(msg));
    if (!(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)) break;
    hwnd = GetParent(hwnd);
  }
  return false;
}

int Win32WindowHost::RunModal() {
  if (!hwnd_) return 0;
  ModalRun run;
  ModalRun* outer = std::exchange(modal_, &run);
  // As a modal dialog: the owner takes no input while the window runs.
  HWND owner = IsChild() ? nullptr : GetWindow(hwnd_.get(), GW_OWNER);
  const bool disabledOwner = owner && IsWindowEnabled(owner) && !EnableWindow(owner, FALSE);
  ShowWindow(hwnd_.get(), IsChild() ? SW_SHOWNA : SW_SHOW);
  if (!IsChild()) SetForegroundWindow(hwnd_.get());
  MSG msg;
  while (!run.ended) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
      break;
    }
    if (got < 0) break;
    if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && OfferKey(msg)) continue;
    TranslateMessage(&msg);
    const bool wasOffered = std::exchange(t_keyOffered, msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN);
    DispatchMessageW(&msg);
    t_keyOffered = wasOffered;
  }
  modal_ = outer;
  // The owner comes back before the window goes, so that it is activated.
  if (disabledOwner) EnableWindow(owner, TRUE);
  if (hwnd_) ShowWindow(hwnd_.get(), SW_HIDE);
  return run.result;
}

void Win32WindowHost::EndModal(int result) {
  if (!modal_) return;
  modal_->ended = true;
  modal_->result = result;
  if (hwnd_) PostMessageW(hwnd_.get(), WM_NULL, 0, 0);  // wakes the loop
}

void Win32WindowHost::BeginMoveDrag() {
  if (!hwnd_ || IsChild()) return;
  ReleaseCapture();
  const DWORD at = GetMessagePos();
  PostMessageW(hwnd_.get(), WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(at));
}

void Win32WindowHost::SetTitle(const std::wstring& title) {
  if (hwnd_) SetWindowTextW(hwnd_.get(), title.c_str());
}

PixelRect Win32WindowHost::WorkArea() const {
  MONITORINFO info{sizeof info, {}, {}, 0};
  if (!GetMonitorInfoW(MonitorFromWindow(hwnd_.get(), MONITOR_DEFAULTTOPRIMARY), &info)) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return RectOf(work);
  }
  return RectOf(info.rcWork);
}

PixelRect Win32WindowHost::ScreenArea() const {
  MONITORINFO info{sizeof info, {}, {}, 0};
  if (!GetMonitorInfoW(MonitorFromWindow(hwnd_.get(), MONITOR_DEFAULTTOPRIMARY), &info))
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return RectOf(info.rcMonitor);
}

bool Win32WindowHost::SetAlphaFace(const SkinImage& image) {
  if (!hwnd_ || IsChild()) return false;
  const int width = image.Width(), height = image.Height();
  // A top-down 32-bit DIB holds the face with premultiplied alpha, as the
  // layered window takes it.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  WindowDc screen(nullptr);
  void* bits = nullptr;
  UniqueHBitmap dib(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueHdc memory(CreateCompatibleDC(screen.get()));
  if (!dib || !memory || !bits) return false;
  SelectedObject selected(memory.get(), dib.get());
  {
    EnsureGdiPlus();
    Gdiplus::Bitmap face(width, height, width * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits));
    Gdiplus::Graphics graphics(&face);
    graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
    graphics.DrawImage(static_cast<const GdiPlusSkinImage&>(image).image(), 0, 0, width, height);
  }
  SetWindowLongPtrW(hwnd_.get(), GWL_EXSTYLE, GetWindowLongPtrW(hwnd_.get(), GWL_EXSTYLE) | WS_EX_LAYERED);
  RECT window{};
  GetWindowRect(hwnd_.get(), &window);
  POINT destination{window.left, window.top}, source{0, 0};
  SIZE size{width, height};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  if (!UpdateLayeredWindow(hwnd_.get(), screen.get(), &destination, &size, memory.get(), &source, 0, &blend, ULW_ALPHA))
    return false;
  alphaFace_ = true;
  return true;
}

void Win32WindowHost::ApplyLayering() {
  if (!hwnd_ || alphaFace_) return;
  SetWindowLongPtrW(hwnd_.get(), GWL_EXSTYLE, GetWindowLongPtrW(hwnd_.get(), GWL_EXSTYLE) | WS_EX_LAYERED);
  SetLayeredWindowAttributes(hwnd_.get(), colourKey_.value_or(0), opacity_,
                             LWA_ALPHA | (colourKey_ ? LWA_COLORKEY : 0));
}

void Win32WindowHost::SetColourKey(Argb key) {
  colourKey_ = RGB((key >> 16) & 0xFF, (key >> 8) & 0xFF, key & 0xFF);
  ApplyLayering();
}

void Win32WindowHost::SetOpacity(uint8_t alpha) {
  opacity_ = alpha;
  ApplyLayering();
}

}  // namespace

std::unique_ptr<WindowHost> WindowHost::Create(WindowController& controller, const WindowOptions& options) {
  EnsureGdiPlus();
  auto host = std::make_unique<Win32WindowHost>(controller, options);
  if (!host->made()) return nullptr;
  controller.OnCreate(*host);
  return host;
}

std::unique_ptr<Surface> CaptureFace(NativeWindow window, const PixelRect& area) {
  if (!window || !IsWindow(window) || area.width <= 0 || area.height <= 0) return nullptr;
  auto surface = std::make_unique<GdiSurface>(area.width, area.height);
  if (!surface->dc()) return nullptr;
  // The window's face as it paints it on request (a host answers), else the
  // pixels that are on the screen now. The surface's origin is moved to the
  // area's top-left for the request, so that the face lands there and the
  // surface takes the area alone.
  POINT origin{};
  SetViewportOrgEx(surface->dc(), -area.x, -area.y, &origin);
  const bool painted =
      SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface->dc()), PRF_CLIENT | PRF_ERASEBKGND) != 0;
  SetViewportOrgEx(surface->dc(), origin.x, origin.y, nullptr);
  if (!painted) {
    WindowDc dc(window);
    BitBlt(surface->dc(), 0, 0, area.width, area.height, dc.get(), area.x, area.y, SRCCOPY);
  }
  return surface;
}

bool SendCommand(NativeWindow window, int id) {
  if (!window || !HostOf(window)) return false;
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  return true;
}

void PostCommand(NativeWindow window, int id) {
  if (window) PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

std::optional<PixelRect> WindowBoundsOf(NativeWindow window) {
  RECT r{};
  if (!window || !GetWindowRect(window, &r)) return std::nullopt;
  return RectOf(r);
}

}  // namespace qm
