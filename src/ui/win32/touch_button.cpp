#include "ui/win32/touch_button.h"

#include <commctrl.h>

#include "ui/colour_matrix.h"

namespace qm {

namespace {

const wchar_t kObjectProperty[] = L"qm.TouchButton";

CTouchButton* ButtonOf(HWND hwnd) { return static_cast<CTouchButton*>(GetPropW(hwnd, kObjectProperty)); }

Gdiplus::ColorMatrix ToGdiPlus(const ColourMatrix& m) {
  Gdiplus::ColorMatrix out;
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c) out.m[r][c] = m.m[r][c];
  return out;
}

}  // namespace

CTouchButton::~CTouchButton() {
  DeleteToolTip();
  if (m_hWnd && IsWindow(m_hWnd)) {
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base_));
    RemovePropW(m_hWnd, kObjectProperty);
  }
  HDC dcs[5] = {m_dcPictures[0], m_dcPictures[1], m_dcPictures[2], m_dcPictures[3], m_dcBackground};
  for (int i = 0; i < 5; ++i) {
    if (!dcs[i]) continue;
    SelectObject(dcs[i], oldBitmaps_[i]);
    DeleteObject(bitmaps_[i]);
    DeleteDC(dcs[i]);
  }
}

bool CTouchButton::SubclassDlgItem(UINT id, HWND parent) {
  m_hWnd = GetDlgItem(parent, static_cast<int>(id));
  if (!m_hWnd) return false;
  // Owner-drawn: the push-button type bits become BS_OWNERDRAW.
  LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
  SetWindowLongPtrW(m_hWnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
  SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  SetPropW(m_hWnd, kObjectProperty, this);
  base_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
  return true;
}

void CTouchButton::SetStateImages(UINT normalId, UINT hoverId, UINT pressedId) {
  m_pHoverImage = std::make_unique<CGdiPlusBitmapResource>();
  m_pHoverImage->Load(hoverId);
  m_pNormalImage = std::make_unique<CGdiPlusBitmapResource>();
  m_pNormalImage->Load(normalId);
  m_pPressedImage = std::make_unique<CGdiPlusBitmapResource>();
  m_pPressedImage->Load(pressedId);
}

void CTouchButton::SetToolTipText(const std::wstring& text, BOOL activate) {
  if (text.empty() || !m_hWnd) return;
  if (!m_pToolTip) {
    // The tooltip class comes with the common controls, registered once.
    static const bool registered = [] {
      INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
      return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)registered;
    m_pToolTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, m_hWnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!m_pToolTip) return;
    // The tooltip texts are Chinese: a font of the Chinese character set,
    // so that a system whose default UI font lacks the glyphs still shows
    // them. Made once and kept for the process.
    static const HFONT chineseFont = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                                 DEFAULT_PITCH | FF_SWISS, L"Microsoft YaHei");
    if (chineseFont) SendMessageW(m_pToolTip, WM_SETFONT, reinterpret_cast<WPARAM>(chineseFont), FALSE);
    SendMessageW(m_pToolTip, TTM_ACTIVATE, TRUE, 0);
  }
  m_strToolTip = text;
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = m_hWnd;
  tool.uId = 1;
  tool.lpszText = m_strToolTip.data();
  if (SendMessageW(m_pToolTip, TTM_GETTOOLCOUNT, 0, 0) == 0) {
    GetClientRect(m_hWnd, &tool.rect);
    SendMessageW(m_pToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageW(m_pToolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(m_pToolTip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, kToolTipDelayMs);
  SendMessageW(m_pToolTip, TTM_ACTIVATE, activate, 0);
}

void CTouchButton::DeleteToolTip() {
  if (m_pToolTip) DestroyWindow(m_pToolTip);
  m_pToolTip = nullptr;
}

SIZE CTouchButton::ClientSize() const {
  RECT r{};
  GetClientRect(m_hWnd, &r);
  return {r.right, r.bottom};
}

HDC CTouchButton::BuildPicture(HDC reference, CGdiPlusBitmapResource* image, const ColourMatrix* matrix) {
  const SIZE size = ClientSize();
  // Scratch surface: the background, then the image through the matrix.
  RECT area{0, 0, size.cx, size.cy};
  CMyMemDC off(reference, &area);
  BitBlt(off.dc(), 0, 0, size.cx, size.cy, m_dcBackground, 0, 0, SRCCOPY);
  if (image && image->m_pBitmap) {
    Gdiplus::Graphics g(off.dc());
    const INT w = static_cast<INT>(image->m_pBitmap->GetWidth()), h = static_cast<INT>(image->m_pBitmap->GetHeight());
    Gdiplus::ImageAttributes attributes;
    Gdiplus::ColorMatrix cm;
    if (matrix) {
      cm = ToGdiPlus(*matrix);
      attributes.SetColorMatrix(&cm, Gdiplus::ColorMatrixFlagsDefault, Gdiplus::ColorAdjustTypeDefault);
    }
    g.DrawImage(image->m_pBitmap, Gdiplus::Rect(0, 0, w, h), 0, 0, w, h, Gdiplus::UnitPixel,
                matrix ? &attributes : nullptr);
  }
  HDC picture = CreateCompatibleDC(reference);
  HBITMAP bitmap = CreateCompatibleBitmap(reference, size.cx, size.cy);
  HGDIOBJ old = SelectObject(picture, bitmap);
  BitBlt(picture, 0, 0, size.cx, size.cy, off.dc(), 0, 0, SRCCOPY);
  // Remember the bitmap with its context for the destructor.
  for (int i = 0; i < 4; ++i)
    if (!bitmaps_[i]) {
      bitmaps_[i] = bitmap;
      oldBitmaps_[i] = old;
      break;
    }
  return picture;
}

void CTouchButton::BuildPictures(HDC reference) {
  if (prepared_ || !m_pNormalImage || !m_pHoverImage || !m_pPressedImage) return;
  const SIZE size = ClientSize();
  HWND parent = GetParent(m_hWnd);
  if (!m_dcBackground) {
    RECT r{};
    GetWindowRect(m_hWnd, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    HDC parentDc = GetDC(parent);
    m_dcBackground = CreateCompatibleDC(parentDc);
    bitmaps_[4] = CreateCompatibleBitmap(parentDc, size.cx, size.cy);
    oldBitmaps_[4] = SelectObject(m_dcBackground, bitmaps_[4]);
    // The parent's pixels under the button: asked of the parent itself
    // (a skinned owner paints its face on request), else read from its
    // window.
    RECT parentClient{};
    GetClientRect(parent, &parentClient);
    HDC whole = CreateCompatibleDC(parentDc);
    HBITMAP wholeBitmap = CreateCompatibleBitmap(parentDc, parentClient.right, parentClient.bottom);
    HGDIOBJ old = SelectObject(whole, wholeBitmap);
    if (SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(whole), PRF_CLIENT | PRF_ERASEBKGND))
      BitBlt(m_dcBackground, 0, 0, size.cx, size.cy, whole, r.left, r.top, SRCCOPY);
    else
      BitBlt(m_dcBackground, 0, 0, size.cx, size.cy, parentDc, r.left, r.top, SRCCOPY);
    SelectObject(whole, old);
    DeleteObject(wholeBitmap);
    DeleteDC(whole);
    ReleaseDC(parent, parentDc);
  }
  const ColourMatrix hover = HoverMatrix(), grey = GreyMatrix();
  if (!m_dcPictures[0]) {
    m_dcPictures[0] = BuildPicture(reference, m_pNormalImage.get(), nullptr);
    m_dcPictures[1] = BuildPicture(reference, m_pPressedImage.get(), nullptr);
    m_dcPictures[2] = BuildPicture(reference, m_pHoverImage.get(), &hover);
    m_dcPictures[3] = BuildPicture(reference, m_pHoverImage.get(), &grey);
  }
  prepared_ = true;
}

void CTouchButton::DrawItem(const DRAWITEMSTRUCT& item) {
  BuildPictures(item.hDC);  // in case no control-colour request came first
  if (!prepared_) return;
  current_ = ChoosePicture(flags_, (item.itemState & ODS_SELECTED) != 0);
  HDC picture = m_dcPictures[0];
  switch (current_) {
    case ButtonPicture::kPressed: picture = m_dcPictures[1]; break;
    case ButtonPicture::kHover: picture = m_dcPictures[2]; break;
    case ButtonPicture::kDisabled: picture = m_dcPictures[3]; break;
    default: break;
  }
  const SIZE size = ClientSize();
  BitBlt(item.hDC, 0, 0, size.cx, size.cy, picture, 0, 0, SRCCOPY);
}

bool ReflectToButton(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (msg == WM_CTLCOLORBTN) {
    CTouchButton* button = ButtonOf(reinterpret_cast<HWND>(lParam));
    if (!button) return false;
    button->BuildPictures(reinterpret_cast<HDC>(wParam));
    *result = 0;  // no brush: the owner's own handling applies
    return false;
  }
  if (msg == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    CTouchButton* button = item && item->CtlType == ODT_BUTTON ? ButtonOf(item->hwndItem) : nullptr;
    if (!button) return false;
    button->DrawItem(*item);
    *result = TRUE;
    return true;
  }
  (void)wParam;
  return false;
}

LRESULT CALLBACK CTouchButton::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CTouchButton* button = ButtonOf(hwnd);
  if (!button) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return button->Handle(msg, wParam, lParam);
}

LRESULT CTouchButton::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  // A quick second click is a second press, not a double click.
  if (msg == WM_LBUTTONDBLCLK) msg = WM_LBUTTONDOWN;
  if (m_pToolTip && IsWindow(m_pToolTip) && msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    MSG relayed{m_hWnd, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    SendMessageW(m_pToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  switch (msg) {
    case WM_MOUSEMOVE:
      if (tracker_.OnMove()) {
        TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, m_hWnd, 1};
        tracker_.TrackingRequested(TrackMouseEvent(&track) != FALSE);
      }
      break;
    case WM_MOUSEHOVER:
      tracker_.OnHover(flags_);
      InvalidateRect(m_hWnd, nullptr, TRUE);
      DeleteToolTip();
      SetToolTipText(m_strToolTip, TRUE);
      if (m_pToolTip) {
        // The new control has seen no pointer yet; the pointer rests where
        // the hover was reported, so its delay starts from there.
        MSG resting{m_hWnd, WM_MOUSEMOVE, 0, lParam, static_cast<DWORD>(GetMessageTime()), {}};
        SendMessageW(m_pToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&resting));
        SendMessageW(m_pToolTip, TTM_UPDATE, 0, 0);
      }
      return 0;
    case WM_MOUSELEAVE:
      tracker_.OnLeave(flags_);
      InvalidateRect(m_hWnd, nullptr, TRUE);
      return 0;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    case WM_ERASEBKGND:
      return TRUE;
    default:
      break;
  }
  return CallWindowProcW(base_, m_hWnd, msg, wParam, lParam);
}

}  // namespace qm
