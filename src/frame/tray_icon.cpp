#include "frame/tray_icon.h"

namespace qm {

const std::vector<TrayMenuItem>& TrayMenuItems() {
  static const std::vector<TrayMenuItem> items = {
      {kCommandTrayToggle, L"隐藏/显示(F10)"},
      {kCommandTrayClearCache, L"清理缓存"},
      {kCommandTrayExit, L"退出"},
  };
  return items;
}

TrayPoint TrayMenuOrigin(int cursorX, int cursorY) { return {cursorX - kTrayMenuLeftShift, cursorY}; }

std::wstring TrayTipText(const std::wstring& title) { return title.substr(0, kTrayTipMaxLength); }

}  // namespace qm
