#include "browser/web_browser_base.h"

#include <utility>

namespace qm {

CWebBrowserBase::CWebBrowserBase(WebViewSettings settings) : settings_(std::move(settings)) {}

// The view shuts its engine down with it; its handlers are dropped first, so
// nothing the engine raises while it closes reaches this half-destroyed object.
CWebBrowserBase::~CWebBrowserBase() {
  if (!view_) return;
  view_->SetBeforeNavigate(nullptr);
  view_->SetDocumentComplete(nullptr);
  view_.reset();
}

bool CWebBrowserBase::ActivateInPlace() {
  if (m_activated) return true;
  const NativeWindow host = GetHostWindow();
  if (!host) return false;
  std::unique_ptr<WebView> view = WebView::Create(host, settings_);
  if (!view) return false;
  view->SetBeforeNavigate([this](const std::wstring& url, NavigationTarget, bool* cancel) {
    OnBeforeNavigate2(url, cancel);
  });
  view->SetDocumentComplete([this](const std::wstring& url) { OnDocumentComplete(url); });
  if (m_objectRect != PixelRect{}) view->Place(m_objectRect);
  view_ = std::move(view);
  m_activated = true;
  return true;
}

bool CWebBrowserBase::PlaceControl(const PixelRect& rect) {
  if (m_activated && !view_->Place(rect)) return false;
  m_objectRect = rect;
  return true;
}

bool CWebBrowserBase::Navigate(const std::wstring& url) { return view_ && view_->Navigate(url); }

NativeWindow CWebBrowserBase::GetHostWindow() { return nullptr; }

void CWebBrowserBase::OnDocumentComplete(std::wstring) {}

void CWebBrowserBase::OnBeforeNavigate2(std::wstring, bool*) {}

}  // namespace qm
