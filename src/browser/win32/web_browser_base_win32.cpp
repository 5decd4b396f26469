// The parts of the browser host that only the Windows control has.
#include "browser/web_browser_base.h"
#include "browser/win32/control_web_view.h"

namespace qm {

// On Windows every web view is the control's (one backend per build).
IWebBrowser2* CWebBrowserBase::GetWebBrowser() {
  return view_ ? static_cast<ControlWebView&>(*view_).GetWebBrowser() : nullptr;
}

NativeWindow CWebBrowserBase::FindDocumentWindow() {
  return view_ ? static_cast<ControlWebView&>(*view_).FindDocumentWindow() : nullptr;
}

}  // namespace qm
