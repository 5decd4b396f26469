// The login's browser host: places one web view into a window of its owner
// and turns the engine's navigation events into virtual calls that a subclass
// overrides. It creates no window of its own. The engine below it is the web
// view of this build (web_view.h); on Windows that is the OLE container of the
// platform web browser control, whose interfaces GetWebBrowser and
// FindDocumentWindow expose.
//
// Use: construct; ActivateInPlace() (the page first fills the host window's
// client area); set m_pageRect; Navigate; PlaceControl with the all-zero
// rectangle, which hides the page; OnDocumentComplete later shows it with
// PlaceControl(m_pageRect).
#pragma once

#include <memory>
#include <string>

#include "browser/web_view.h"
#include "platform/native_window.h"
#include "ui/canvas.h"

#ifdef _WIN32
struct IWebBrowser2;
#endif

namespace qm {

class CWebBrowserBase {
 public:
  // settings: the engine's data folder and the role (kLogin for the login).
  explicit CWebBrowserBase(WebViewSettings settings = {});
  virtual ~CWebBrowserBase();
  CWebBrowserBase(const CWebBrowserBase&) = delete;
  CWebBrowserBase& operator=(const CWebBrowserBase&) = delete;

  // Creates the engine's view in GetHostWindow() and connects its events.
  // False when there is no host window or the engine cannot be created.
  // A second call returns true at once and connects nothing more.
  bool ActivateInPlace();

  // Places the page at rect (client coordinates of the host window); the
  // all-zero rectangle hides it. Before activation it only stores the
  // rectangle, which activation then uses. A failure keeps the previous one.
  bool PlaceControl(const PixelRect& rect);

  // Starts loading url; false before activation or when the engine refuses.
  bool Navigate(const std::wstring& url);

  // The engine's view; null before activation. For key forwarding and for
  // clearing website data.
  WebView* webView() const { return view_.get(); }

  // The rectangle last given to the view (all zero before activation when
  // none was stored).
  const PixelRect& objectRect() const { return m_objectRect; }
  bool activated() const { return m_activated; }

#ifdef _WIN32
  // The control's browser interface; null before activation. No reference is
  // added for the caller.
  IWebBrowser2* GetWebBrowser();
  // The engine's window that takes keyboard input (class
  // "Internet Explorer_Server"); null when there is none yet.
  NativeWindow FindDocumentWindow();
#endif

  // The window in which the page is placed. The base returns null.
  virtual NativeWindow GetHostWindow();
  // A document has completed loading (Windows: every frame's and the top
  // document; Linux: top-level documents). The base does nothing.
  virtual void OnDocumentComplete(std::wstring url);
  // A navigation of the page, one of its frames or a new window is about to
  // start; setting *cancel to true stops it before any request is sent. The
  // base does nothing.
  virtual void OnBeforeNavigate2(std::wstring url, bool* cancel);

 protected:
  // Where the owner wants the page shown once it has loaded, in client
  // coordinates of the host window; the owner sets it after activation.
  PixelRect m_pageRect;

 private:
  WebViewSettings settings_;
  std::unique_ptr<WebView> view_;
  PixelRect m_objectRect;
  bool m_activated = false;
};

}  // namespace qm
