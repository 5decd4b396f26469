// The image button of the Win32 build: an owner-drawn push button inside the
// parent host window, subclassed for hover tracking, the hand cursor and its
// tooltip; it blits the picture ButtonPictures chose.
#include "ui/touch_button.h"

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/owners.h"
#include "ui/touch_button_pictures.h"
#include "ui/win32/child_messages.h"
#include "ui/win32/skin_image.h"
#include "ui/window_host.h"

namespace qm {

struct CTouchButton::Impl {
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void BuildPictures();
  void DrawItem(const DRAWITEMSTRUCT& item);
  SIZE ClientSize() const;
  void SetToolTip(const std::wstring& text, bool activate);

  UniqueHwnd window;  // empty once destroyed (with its parent window)
  HWND hwnd = nullptr;
  WNDPROC base = nullptr;
  int id = 0;
  ButtonFlags flags;
  PointerTracker tracker;
  ButtonPicture current = ButtonPicture::kNormal;
  bool imagesGiven = false;
  std::unique_ptr<SkinImage> normalImage, hoverImage, pressedImage;
  ButtonPictures pictures;
  std::wstring toolTipText;
  UniqueHwnd toolTip;
};

namespace {

const wchar_t kObjectProperty[] = L"qm.TouchButton";

CTouchButton::Impl* ButtonOf(HWND hwnd) { return static_cast<CTouchButton::Impl*>(GetPropW(hwnd, kObjectProperty)); }

// The tooltip texts are Chinese: a font of the Chinese character set, so that
// a system whose default UI font lacks the glyphs still shows them. Made once
// and kept for the process.
HFONT ChineseToolTipFont() {
  static const UniqueHFont font(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                            DEFAULT_PITCH | FF_SWISS, L"Microsoft YaHei"));
  return font.get();
}

}  // namespace

CTouchButton::CTouchButton() : impl_(std::make_unique<Impl>()) {}

CTouchButton::~CTouchButton() {
  Impl& b = *impl_;
  b.toolTip.reset();
  if (b.window) {
    SetWindowLongPtrW(b.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(b.base));
    RemovePropW(b.hwnd, kObjectProperty);
    b.window.reset();
  }
}

bool CTouchButton::Create(NativeWindow parent, int id, const PixelRect& place) {
  Impl& b = *impl_;
  if (!parent || b.hwnd) return false;
  // Owner-drawn: the parent's WM_DRAWITEM comes back as kReflectedDrawItem.
  b.hwnd = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, place.x, place.y, place.width,
                           place.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
  if (!b.hwnd) return false;
  b.window.reset(b.hwnd);
  b.id = id;
  SetPropW(b.hwnd, kObjectProperty, &b);
  b.base = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(b.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Impl::Proc)));
  return true;
}

void CTouchButton::Place(const PixelRect& place) {
  if (impl_->hwnd) SetWindowPos(impl_->hwnd, nullptr, place.x, place.y, place.width, place.height, SWP_NOZORDER);
}

void CTouchButton::SetStateImages(unsigned normalId, unsigned hoverId, unsigned pressedId) {
  Impl& b = *impl_;
  b.hoverImage = LoadSkinImage(hoverId);
  b.normalImage = LoadSkinImage(normalId);
  b.pressedImage = LoadSkinImage(pressedId);
  b.imagesGiven = true;
}

void CTouchButton::SetToolTipText(const std::wstring& text, bool activate) { impl_->SetToolTip(text, activate); }

void CTouchButton::Enable(bool enable) {
  if (impl_->hwnd) EnableWindow(impl_->hwnd, enable);
}

void CTouchButton::Show(bool show) {
  if (impl_->hwnd) ShowWindow(impl_->hwnd, show ? SW_SHOW : SW_HIDE);
}

int CTouchButton::id() const { return impl_->id; }
NativeWindow CTouchButton::Native() const { return impl_->hwnd; }
ButtonPicture CTouchButton::current() const { return impl_->current; }

void CTouchButton::Impl::SetToolTip(const std::wstring& text, bool activate) {
  if (text.empty() || !hwnd) return;
  if (!toolTip) {
    // The tooltip class comes with the common controls, registered once.
    static const bool registered = [] {
      INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
      return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)registered;
    toolTip.reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, hwnd, nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!toolTip) return;
    if (HFONT font = ChineseToolTipFont()) SendMessageW(toolTip.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(toolTip.get(), TTM_ACTIVATE, TRUE, 0);
  }
  toolTipText = text;
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = hwnd;
  tool.uId = 1;
  tool.lpszText = toolTipText.data();
  if (SendMessageW(toolTip.get(), TTM_GETTOOLCOUNT, 0, 0) == 0) {
    GetClientRect(hwnd, &tool.rect);
    SendMessageW(toolTip.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageW(toolTip.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(toolTip.get(), TTM_SETDELAYTIME, TTDT_AUTOMATIC, kToolTipDelayMs);
  SendMessageW(toolTip.get(), TTM_ACTIVATE, activate, 0);
}

SIZE CTouchButton::Impl::ClientSize() const {
  RECT r{};
  GetClientRect(hwnd, &r);
  return {r.right, r.bottom};
}

void CTouchButton::Impl::BuildPictures() {
  if (pictures.built() || !imagesGiven) return;
  const SIZE size = ClientSize();
  HWND parent = GetParent(hwnd);
  RECT r{};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  std::unique_ptr<Surface> background = CaptureFace(parent, {r.left, r.top, size.cx, size.cy});
  if (!background) return;
  pictures.Build(*background, {normalImage.get(), hoverImage.get(), pressedImage.get()});
}

void CTouchButton::Impl::DrawItem(const DRAWITEMSTRUCT& item) {
  BuildPictures();
  if (!pictures.built()) return;
  current = ChoosePicture(flags, (item.itemState & ODS_SELECTED) != 0);
  const SIZE size = ClientSize();
  BitBlt(item.hDC, 0, 0, size.cx, size.cy, SurfaceDc(*pictures.For(current)), 0, 0, SRCCOPY);
}

LRESULT CALLBACK CTouchButton::Impl::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Impl* button = ButtonOf(hwnd);
  if (!button) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return button->Handle(msg, wParam, lParam);
}

LRESULT CTouchButton::Impl::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  // A quick second click is a second press, not a double click.
  if (msg == WM_LBUTTONDBLCLK) msg = WM_LBUTTONDOWN;
  if (toolTip && IsWindow(toolTip.get()) && msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    MSG relayed{hwnd, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    SendMessageW(toolTip.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  switch (msg) {
    case kReflectedDrawItem:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_MOUSEMOVE:
      if (tracker.OnMove()) {
        TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, hwnd, 1};
        tracker.TrackingRequested(TrackMouseEvent(&track) != FALSE);
      }
      break;
    case WM_MOUSEHOVER:
      tracker.OnHover(flags);
      InvalidateRect(hwnd, nullptr, TRUE);
      // Each hover makes the tooltip anew, so that it shows after its delay.
      toolTip.reset();
      SetToolTip(toolTipText, true);
      if (toolTip) {
        // The new control has seen no pointer yet; the pointer rests where
        // the hover was reported, so its delay starts from there.
        MSG resting{hwnd, WM_MOUSEMOVE, 0, lParam, static_cast<DWORD>(GetMessageTime()), {}};
        SendMessageW(toolTip.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&resting));
        SendMessageW(toolTip.get(), TTM_UPDATE, 0, 0);
      }
      return 0;
    case WM_MOUSELEAVE:
      tracker.OnLeave(flags);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_NCDESTROY: {
      // Destroyed with its parent: the button object stays, inert.
      const WNDPROC base = this->base;
      HWND self = hwnd;
      RemovePropW(self, kObjectProperty);
      SetWindowLongPtrW(self, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
      hwnd = nullptr;
      window.release();
      // The tooltip is owned by the parent window, which destroys it first.
      if (IsWindow(toolTip.get()))
        toolTip.reset();
      else
        toolTip.release();
      return CallWindowProcW(base, self, msg, wParam, lParam);
    }
    default:
      break;
  }
  return CallWindowProcW(base, hwnd, msg, wParam, lParam);
}

}  // namespace qm
