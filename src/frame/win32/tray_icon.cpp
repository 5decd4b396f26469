// The tray icon on Windows: Shell_NotifyIconW with WM_TRAYICON sent to the
// frame, and the tray menu tracked at the cursor.
#include "frame/tray_icon.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/owners.h"

namespace qm {

struct CTrayIcon::Impl {
  bool added = false;
  Callbacks callbacks;
  NOTIFYICONDATAW record{};
  UniqueHIcon icon;
};

CTrayIcon::CTrayIcon() : impl_(std::make_unique<Impl>()) {}

CTrayIcon::~CTrayIcon() { Remove(); }

void CTrayIcon::Add(const std::wstring& title, NativeWindow frame, Callbacks callbacks) {
  impl_->callbacks = std::move(callbacks);
  impl_->icon.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kTrayIconResource),
                                                  IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                  GetSystemMetrics(SM_CYICON), 0)));
  NOTIFYICONDATAW& record = impl_->record;
  record = NOTIFYICONDATAW{};
  record.cbSize = sizeof(NOTIFYICONDATAW);
  record.hWnd = frame;
  record.uID = 0;
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record.uCallbackMessage = kTrayIconMessage;
  record.hIcon = impl_->icon.get();
  const std::wstring tip = TrayTipText(title);
  tip.copy(record.szTip, kTrayTipMaxLength);
  record.szTip[tip.size()] = L'\0';
  // A refused icon is not an error for the frame: it works on without one.
  Shell_NotifyIconW(NIM_ADD, &record);
  impl_->added = true;
}

void CTrayIcon::Remove() {
  if (!impl_->added) return;
  Shell_NotifyIconW(NIM_DELETE, &impl_->record);
  impl_->added = false;
}

bool CTrayIcon::added() const { return impl_->added; }

bool CTrayIcon::HandleWindowMessage(unsigned message, std::uintptr_t, std::intptr_t lParam) {
  if (message != kTrayIconMessage) return false;
  switch (LOWORD(lParam)) {
    case WM_LBUTTONDOWN:
      if (impl_->callbacks.leftClick) impl_->callbacks.leftClick();
      break;
    case WM_RBUTTONUP: {
      POINT cursor{};
      GetCursorPos(&cursor);
      OpenMenu(cursor.x, cursor.y);
      break;
    }
    default:
      break;
  }
  return true;
}

bool CTrayIcon::IsEmbedded() const { return impl_->added; }

std::optional<PixelRect> CTrayIcon::ScreenRect() const {
  if (!impl_->added) return std::nullopt;
  NOTIFYICONIDENTIFIER id{};
  id.cbSize = sizeof(id);
  id.hWnd = impl_->record.hWnd;
  id.uID = impl_->record.uID;
  RECT r{};
  if (FAILED(Shell_NotifyIconGetRect(&id, &r))) return std::nullopt;
  return PixelRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void CTrayIcon::OpenMenu(int cursorX, int cursorY) {
  UniqueHMenu menu(CreatePopupMenu());
  if (!menu) return;
  for (const TrayMenuItem& item : TrayMenuItems()) {
    AppendMenuW(menu.get(), MF_STRING, item.command, item.text.c_str());
  }
  HWND owner = impl_->record.hWnd;
  // The frame must be in front, or the menu would not close when the player
  // clicks elsewhere.
  SetForegroundWindow(owner);
  const TrayPoint origin = TrayMenuOrigin(cursorX, cursorY);
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_RETURNCMD |
                                                                        TPM_NONOTIFY,
                                                       origin.x, origin.y, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  if (chosen != 0 && impl_->callbacks.command) impl_->callbacks.command(chosen);
}

std::optional<PixelRect> CTrayIcon::OpenMenuRect() const { return std::nullopt; }

}  // namespace qm
