// The skinned message box on Win32: a modal dialog from an in-memory
// template, resized to 253 x 106, painted in its erase step.
#include "ui/message_box.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/message_box_layout.h"
#include "ui/win32/skin_image.h"
#include "ui/win32/touch_button.h"

namespace qm {

namespace {

// The box's dialog template: a popup of 280 x 115 dialog units without a
// caption, with three plain push buttons (close 1001, OK, Cancel).
std::vector<WORD> MessageBoxTemplate() {
  std::vector<WORD> t;
  auto align = [&t] {
    if (t.size() % 2) t.push_back(0);
  };
  auto dword = [&t](DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
  };
  auto text = [&t](const wchar_t* s) {
    do t.push_back(*s);
    while (*s++);
  };
  dword(WS_POPUP | WS_SYSMENU | DS_SETFONT | DS_FIXEDSYS);  // style
  dword(0);                                                   // extended style
  t.push_back(3);                                             // items
  t.push_back(0);
  t.push_back(0);
  t.push_back(280);
  t.push_back(115);
  t.push_back(0);  // no menu
  t.push_back(0);  // default class
  text(L"");       // no caption
  t.push_back(8);
  text(L"MS Shell Dlg");
  struct Item {
    WORD id;
    short x, y, cx, cy;
  };
  const Item items[] = {{kMessageBoxCloseId, 239, 8, 16, 12}, {IDOK, 66, 76, 50, 14}, {IDCANCEL, 137, 76, 50, 14}};
  for (const Item& item : items) {
    align();
    if (t.size() % 2 == 1) t.push_back(0);
    // DLGITEMTEMPLATE must start on a DWORD boundary.
    while ((t.size() * sizeof(WORD)) % 4) t.push_back(0);
    dword(WS_CHILD | WS_VISIBLE);
    dword(0);
    t.push_back(static_cast<WORD>(item.x));
    t.push_back(static_cast<WORD>(item.y));
    t.push_back(static_cast<WORD>(item.cx));
    t.push_back(static_cast<WORD>(item.cy));
    t.push_back(item.id);
    t.push_back(0xFFFF);
    t.push_back(0x0080);  // Button
    text(L"");
    t.push_back(0);  // no creation data
  }
  return t;
}

struct BoxState {
  CCustomMessageBox* box;
  HWND owner;
  std::unique_ptr<SkinImage> background;
  CTouchButton ok, cancel, close;
};

void PaintFace(const BoxState& state, HDC target) {
  RECT area{0, 0, kMessageBoxWidth, kMessageBoxHeight};
  CMyMemDC off(target, &area);
  {
    Gdiplus::Graphics g(off.dc());
    GdiPlusCanvas canvas(g);
    PaintMessageBoxFace(canvas, state.background.get(), state.box->title(), state.box->text());
  }
}

void Place(HWND dialog, BoxState& state) {
  PixelRect over{};
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const PixelRect area{work.left, work.top, work.right - work.left, work.bottom - work.top};
  RECT r{};
  if (state.owner && GetWindowRect(state.owner, &r))
    over = {r.left, r.top, r.right - r.left, r.bottom - r.top};
  else
    over = area;
  const PixelPoint origin = KeepInside(area, CentreOver(over, kMessageBoxWidth, kMessageBoxHeight), kMessageBoxWidth,
                                       kMessageBoxHeight);
  SetWindowPos(dialog, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL Result(HWND dialog, LRESULT value) {
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, value);
  return TRUE;
}

INT_PTR CALLBACK BoxProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<BoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    state = reinterpret_cast<BoxState*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    // The window's own text names it for the window system; no caption shows it.
    SetWindowTextW(dialog, state->box->title().c_str());
    state->close.SubclassDlgItem(kMessageBoxCloseId, dialog);
    state->ok.SubclassDlgItem(IDOK, dialog);
    state->cancel.SubclassDlgItem(IDCANCEL, dialog);
    SetWindowPos(dialog, nullptr, 0, 0, kMessageBoxWidth, kMessageBoxHeight, SWP_NOMOVE | SWP_NOZORDER);
    LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
    style = (style | WS_SYSMENU | WS_MINIMIZEBOX) & ~static_cast<LONG_PTR>(WS_CAPTION);
    SetWindowLongPtrW(dialog, GWL_STYLE, style);
    SetWindowPos(dialog, nullptr, 0, 0, kMessageBoxWidth, kMessageBoxHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    RECT client{};
    GetClientRect(dialog, &client);
    const MessageBoxLayout layout = LayOutMessageBox(client.right, client.bottom);
    const std::pair<CTouchButton*, const MessageBoxButton*> buttons[] = {
        {&state->close, &layout.close}, {&state->ok, &layout.ok}, {&state->cancel, &layout.cancel}};
    for (const auto& [button, place] : buttons) {
      SetWindowPos(button->m_hWnd, nullptr, place->rect.x, place->rect.y, place->rect.width, place->rect.height,
                   SWP_NOZORDER);
      button->SetStateImages(place->normalImage, place->hoverImage, place->pressedImage);
    }
    state->background = LoadSkinImage(kMessageBoxBackgroundImage);
    Place(dialog, *state);
    return TRUE;
  }
  if (!state) return FALSE;
  LRESULT reflected = 0;
  if (ReflectToButton(dialog, msg, wParam, lParam, &reflected)) return Result(dialog, reflected);
  switch (msg) {
    case WM_ERASEBKGND:
      PaintFace(*state, reinterpret_cast<HDC>(wParam));
      return Result(dialog, TRUE);
    case WM_PRINTCLIENT:
      PaintFace(*state, reinterpret_cast<HDC>(wParam));
      return Result(dialog, 1);
    case WM_NCHITTEST: {
      // The box's own surface drags the window; buttons keep their clicks.
      const LRESULT hit = DefWindowProcW(dialog, msg, wParam, lParam);
      return Result(dialog, hit == HTCLIENT ? HTCAPTION : hit);
    }
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) break;
      if (LOWORD(wParam) == IDOK) {
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == kMessageBoxCloseId) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

int CCustomMessageBox::DoModal() {
  EnsureGdiPlus();
  std::vector<WORD> dialogTemplate = MessageBoxTemplate();
  BoxState state{this, reinterpret_cast<HWND>(m_owner), nullptr, {}, {}, {}};
  const INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                                 reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                                 state.owner, BoxProc, reinterpret_cast<LPARAM>(&state));
  return answer == IDOK ? IDOK : IDCANCEL;
}

}  // namespace qm
