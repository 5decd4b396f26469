#include "browser/game_view.h"

#include <utility>

#include "platform/debug_output.h"

namespace qm {

std::wstring ClickReportLine(const std::wstring& href) { return L"单击事件:" + href + L"\r\n"; }

CMyHtmlView::CMyHtmlView(std::filesystem::path dataFolder) : dataFolder_(std::move(dataFolder)) {}

CMyHtmlView::~CMyHtmlView() { DestroyWindow(); }

bool CMyHtmlView::Create(NativeWindow parent) {
  if (view_) return false;
  WebViewSettings settings;
  settings.role = WebViewRole::kGameView;
  settings.dataFolder = dataFolder_;
  view_ = WebView::Create(parent, settings);
  if (!view_) return false;
  // No before-navigate handler: nothing is ever cancelled.
  view_->SetLinkClicked([](const std::wstring& href) { DebugOutput(ClickReportLine(href)); });
  // The moment the player first sees the game, for start-up measurements.
  view_->SetDocumentComplete([shown = false](const std::wstring&) mutable {
    if (!shown) {
      DebugOutput(L"game page shown");
      DebugStage(L"game page shown");
    }
    shown = true;
  });
  // Created with an empty rectangle: nothing shows until the game window
  // sizes the view to its client area.
  view_->Place(PixelRect{});
  return true;
}

bool CMyHtmlView::Navigate(const std::wstring& url) { return view_ && view_->Navigate(url); }

bool CMyHtmlView::MoveWindow(const PixelRect& rect) { return view_ && view_->Place(rect); }

void CMyHtmlView::DestroyWindow() { view_.reset(); }

}  // namespace qm
