// The one small web view of the launcher: a page of the platform's web engine
// shown inside a window of ours. One backend per build: the OLE container of
// the platform web browser control on Windows (win32/), WebKitGTK on Linux
// (linux/). Its two users are the login's browser host (CWebBrowserBase) and
// the game view of the game process (CMyHtmlView).
//
// Everything runs on the user-interface thread; callbacks come on it, from
// inside the window system's event loop (on Windows also synchronously from
// inside Navigate, as the control raises BeforeNavigate2 before it returns).
// A handler must not destroy the view it is called by: end a modal loop or
// post the destruction instead.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/native_window.h"
#include "ui/canvas.h"

// A key event as the window system delivered it: the key message on Windows,
// the GDK key event on Linux. Declared without the OS headers.
#ifdef _WIN32
struct tagMSG;
namespace qm {
using NativeKeyEvent = const tagMSG*;
}
#else
typedef struct _GdkEventKey GdkEventKey;
namespace qm {
using NativeKeyEvent = const GdkEventKey*;
}
#endif

namespace qm {

// Who uses the view; it decides the engine's extras.
enum class WebViewRole {
  // The login page: navigations may be cancelled, nothing else is added.
  kLogin,
  // The game page: every navigation goes ahead (the game view cancels none),
  // and a click on a link of the top document is reported (SetLinkClicked).
  kGameView,
};

// The folder where the login's and the game's engines keep their website
// data and disk cache: beside the launcher's own data, not in the engine's
// defaults under the user's home. Both use the same one, so the session that
// the login started goes on in the game.
std::wstring WebEngineDataFolder();

struct WebViewSettings {
  WebViewRole role = WebViewRole::kLogin;
  // The folder under which the engine keeps its own website data and disk
  // cache (Linux: "data/" and "cache/" beneath it, created when missing; the
  // user's home defaults are never used). Empty: the engine keeps everything
  // in memory only. The Windows control always uses the system's per-user
  // internet cache and cookie store and ignores this folder.
  std::filesystem::path dataFolder;
};

// Where a navigation that is about to start will show its document. The
// view's own page covers its top-level document and the frames inside it:
// WebKitGTK does not tell them apart before the request, so neither build does.
enum class NavigationTarget {
  kThisView,   // the view's top-level document or a frame inside the page
  kNewWindow,  // a new window (a target=_blank link, window.open); WebKitGTK
               // only: the Windows control opens new windows without asking
};

class WebView {
 public:
  // url, where it goes; set *cancel to true to stop the navigation before any
  // request is sent.
  using BeforeNavigateHandler =
      std::function<void(const std::wstring& url, NavigationTarget target, bool* cancel)>;
  // A document has completed loading. Linux: top-level documents only, once
  // each. Windows: every frame's document and the top document, as the control
  // raises it.
  using DocumentCompleteHandler = std::function<void(const std::wstring& url)>;
  // Game view only: a click on a link of the top-level document, or on
  // anything inside one; href as the link's attribute holds it (may be empty).
  // Clicks inside frames are not reported.
  using LinkClickedHandler = std::function<void(const std::wstring& href)>;
  // ClearWebsiteDataExceptCookies has finished; ok tells whether it worked.
  using DoneHandler = std::function<void(bool ok)>;

  // Creates the engine's view as a child of parent (on Linux a GtkFixed or
  // another GtkContainer, on Windows the HWND), filling parent's client area
  // until Place says otherwise. Null when the engine cannot be created.
  static std::unique_ptr<WebView> Create(NativeWindow parent, const WebViewSettings& settings);

  virtual ~WebView() = default;
  WebView(const WebView&) = delete;
  WebView& operator=(const WebView&) = delete;

  // Starts loading url; the callbacks follow (on Windows before-navigate
  // already inside this call). False when the engine refused the call.
  virtual bool Navigate(const std::wstring& url) = 0;

  // Shows the page in rect, in client coordinates of the parent. The all-zero
  // rectangle hides it; a later non-empty rectangle shows it again.
  virtual bool Place(const PixelRect& rect) = 0;

  // Removes the engine's website data other than cookies. Linux: the disk
  // cache, local storage, databases and the like (a page already running may
  // go on using resources its web process holds in memory). Windows: every
  // entry of the internet URL cache without the cookie bit. done runs
  // afterwards, on the user-interface thread (possibly before this call
  // returns).
  virtual void ClearWebsiteDataExceptCookies(DoneHandler done) = 0;

  // Offers a key event to the page's own editing (Tab between fields,
  // Ctrl+A/C/V/X). True when the page used it.
  virtual bool ForwardKey(NativeKeyEvent key) = 0;

  // The engine's widget (Linux: the WebKitWebView) or window (Windows: the
  // control's window; null before the control has one).
  virtual NativeWindow Native() const = 0;

  void SetBeforeNavigate(BeforeNavigateHandler handler) { beforeNavigate_ = std::move(handler); }
  void SetDocumentComplete(DocumentCompleteHandler handler) { documentComplete_ = std::move(handler); }
  void SetLinkClicked(LinkClickedHandler handler) { linkClicked_ = std::move(handler); }

 protected:
  WebView() = default;

  // For the backends: report an engine event to the handler, if any. The
  // cancel flag starts false.
  bool ReportBeforeNavigate(const std::wstring& url, NavigationTarget target) const {
    bool cancel = false;
    if (beforeNavigate_) beforeNavigate_(url, target, &cancel);
    return cancel;
  }
  void ReportDocumentComplete(const std::wstring& url) const {
    if (documentComplete_) documentComplete_(url);
  }
  void ReportLinkClicked(const std::wstring& href) const {
    if (linkClicked_) linkClicked_(href);
  }

 private:
  BeforeNavigateHandler beforeNavigate_;
  DocumentCompleteHandler documentComplete_;
  LinkClickedHandler linkClicked_;
};

}  // namespace qm
