#include "platform/process_services.h"

#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>

namespace qm {

ProcessServices::ProcessServices() {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  token_ = token;
}

ProcessServices::~ProcessServices() { Gdiplus::GdiplusShutdown(static_cast<ULONG_PTR>(token_)); }

}  // namespace qm
