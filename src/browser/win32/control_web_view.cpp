#include "browser/win32/control_web_view.h"

#include <wininet.h>

#include <vector>

#include "platform/win32/owners.h"

namespace qm {

ControlWebView::ControlWebView(HWND parent, const WebViewSettings& settings)
    : role_(settings.role), site_(std::make_unique<ControlSite>(parent, static_cast<ControlSiteEvents*>(this))) {
  if (role_ == WebViewRole::kGameView)
    clickSink_ = std::make_unique<SDocEvtHandler>([this](const std::wstring& href) { ReportLinkClicked(href); });
}

ControlWebView::~ControlWebView() {
  // The click sink leaves the document first, then the site shuts the control
  // down; only then do the objects go.
  if (clickSink_) clickSink_->DetachDocumentSink();
  site_.reset();
  clickSink_.reset();
}

bool ControlWebView::Start() { return site_->created() && site_->ActivateInPlace(); }

bool ControlWebView::Navigate(const std::wstring& url) { return site_->Navigate(url.c_str()); }

bool ControlWebView::Place(const PixelRect& rect) {
  const RECT r{rect.x, rect.y, rect.right(), rect.bottom()};
  return site_->PlaceControl(r);
}

void ControlWebView::ClearWebsiteDataExceptCookies(DoneHandler done) {
  const bool ok = ClearUrlCacheExceptCookies();
  if (done) done(ok);
}

// The key goes to the document's in-place active object as a message for the
// document window, so that the page's own editing acts on it.
bool ControlWebView::ForwardKey(NativeKeyEvent key) {
  if (!key) return false;
  IWebBrowser2* browser = site_->GetWebBrowser();
  if (!browser) return false;
  ComPtr<IDispatch> document;
  if (FAILED(browser->get_Document(&document)) || !document) return false;
  ComPtr<IOleInPlaceActiveObject> active;
  if (FAILED(document.As(&active))) return false;
  MSG message = *key;
  if (HWND documentWindow = site_->FindDocumentWindow()) message.hwnd = documentWindow;
  return active->TranslateAccelerator(&message) == S_OK;
}

NativeWindow ControlWebView::Native() const { return site_->ControlWindow(); }

void ControlWebView::OnDocumentComplete(const std::wstring& url) {
  // The control raises this for every frame and for the top document; the
  // sink always ends on the top-level document, whichever came last.
  if (clickSink_) AttachClickSinkToTopDocument();
  ReportDocumentComplete(url);
}

void ControlWebView::OnBeforeNavigate2(const std::wstring& url, VARIANT_BOOL* cancel) {
  if (ReportBeforeNavigate(url, NavigationTarget::kThisView)) *cancel = VARIANT_TRUE;
}

void ControlWebView::AttachClickSinkToTopDocument() {
  IWebBrowser2* browser = site_->GetWebBrowser();
  ComPtr<IDispatch> document;
  if (browser) browser->get_Document(&document);
  clickSink_->AttachDocumentSink(document.Get());
}

bool ClearUrlCacheExceptCookies() {
  std::vector<unsigned char> buffer(4096);
  auto entry = [&] { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()); };
  DWORD size = static_cast<DWORD>(buffer.size());
  UniqueUrlCacheFind find(FindFirstUrlCacheEntryW(nullptr, entry(), &size));
  if (!find && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    buffer.resize(size);
    find.reset(FindFirstUrlCacheEntryW(nullptr, entry(), &size));
  }
  if (!find) return GetLastError() == ERROR_NO_MORE_ITEMS;
  for (;;) {
    if (!(entry()->CacheEntryType & COOKIE_CACHE_ENTRY) && entry()->lpszSourceUrlName)
      DeleteUrlCacheEntryW(entry()->lpszSourceUrlName);
    size = static_cast<DWORD>(buffer.size());
    if (FindNextUrlCacheEntryW(find.get(), entry(), &size)) continue;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    buffer.resize(size);
    if (!FindNextUrlCacheEntryW(find.get(), entry(), &size)) break;
  }
  return true;
}

std::unique_ptr<WebView> WebView::Create(NativeWindow parent, const WebViewSettings& settings) {
  if (!parent) return nullptr;
  auto view = std::make_unique<ControlWebView>(parent, settings);
  if (!view->Start()) return nullptr;
  return view;
}

}  // namespace qm
