#include "login/login_keys.h"

namespace qm {

LoginKeyRoute RouteLoginKey(unsigned virtualKey, bool ctrlDown) {
  switch (virtualKey) {
    case vk::kReturn:
    case vk::kSpace:
      return LoginKeyRoute::kToFocusedWindow;
    case vk::kTab:
      return LoginKeyRoute::kToPageAccelerator;
    case vk::kEscape:
      return LoginKeyRoute::kDropped;
    case 'A':
    case 'C':
    case 'V':
    case 'X':
      return ctrlDown ? LoginKeyRoute::kToPageAccelerator : LoginKeyRoute::kDialogProcessing;
    default:
      return LoginKeyRoute::kDialogProcessing;
  }
}

}  // namespace qm
