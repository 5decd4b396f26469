// The web view on Windows: the platform web browser control in a container of
// ours (ControlSite). The game view also keeps a click sink on the top-level
// document (SDocEvtHandler).
#pragma once

#include <windows.h>
#include <exdisp.h>

#include <memory>

#include "browser/web_view.h"
#include "browser/win32/control_site.h"
#include "browser/win32/document_click_sink.h"

namespace qm {

class ControlWebView final : public WebView, private ControlSiteEvents {
 public:
  ControlWebView(HWND parent, const WebViewSettings& settings);
  ~ControlWebView() override;

  // Creation and in-place activation into the parent's client area with the
  // event connection made; false when any step failed.
  bool Start();

  bool Navigate(const std::wstring& url) override;
  bool Place(const PixelRect& rect) override;
  void ClearWebsiteDataExceptCookies(DoneHandler done) override;
  bool ForwardKey(NativeKeyEvent key) override;
  NativeWindow Native() const override;

  ControlSite& site() { return *site_; }
  IWebBrowser2* GetWebBrowser() { return site_->GetWebBrowser(); }
  HWND FindDocumentWindow() { return site_->FindDocumentWindow(); }

 private:
  void OnDocumentComplete(const std::wstring& url) override;
  void OnBeforeNavigate2(const std::wstring& url, VARIANT_BOOL* cancel) override;
  void AttachClickSinkToTopDocument();

  const WebViewRole role_;
  // The sink goes after the site: its connection ends before the control
  // closes, and it is deleted before the control's last interfaces go.
  std::unique_ptr<ControlSite> site_;
  std::unique_ptr<SDocEvtHandler> clickSink_;
};

// Deletes the internet URL cache's entries that are not cookies. True when
// the cache could be listed (also when it was empty).
bool ClearUrlCacheExceptCookies();

}  // namespace qm
