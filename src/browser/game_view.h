// The game view of the game process: the web view that shows the game page
// inside the game window. Its rules: every navigation, new window and
// navigation error goes ahead (the engine follows every link, opens new
// windows of its own and shows its own error pages and context menu); after
// each completed top-level document a click on a link, or on anything inside
// one, is reported as the debug line "单击事件:<href>\r\n"; clicks outside links
// and inside frames report nothing. Reloading the game page (F5, the frame's
// reload request) is the game window's job through Navigate.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "browser/web_view.h"
#include "platform/native_window.h"
#include "ui/canvas.h"

namespace qm {

// The debug line of a click on a link with this href.
std::wstring ClickReportLine(const std::wstring& href);

class CMyHtmlView {
 public:
  // dataFolder: where the engine keeps its website data and disk cache
  // (see WebViewSettings).
  explicit CMyHtmlView(std::filesystem::path dataFolder = {});
  ~CMyHtmlView();
  CMyHtmlView(const CMyHtmlView&) = delete;
  CMyHtmlView& operator=(const CMyHtmlView&) = delete;

  // Creates the view as a child of parent (the game window's child parent),
  // with no visible area until MoveWindow. False when the engine cannot be
  // created or the view exists already.
  bool Create(NativeWindow parent);
  // Loads url (the game URL; again on reload). False before Create.
  bool Navigate(const std::wstring& url);
  // Places the view at rect of the parent's client area; all zero hides it.
  bool MoveWindow(const PixelRect& rect);
  // Takes the view out of its parent and shuts the engine down.
  void DestroyWindow();

  // The engine's view; null before Create and after DestroyWindow.
  WebView* webView() const { return view_.get(); }

 private:
  std::filesystem::path dataFolder_;
  std::unique_ptr<WebView> view_;
};

}  // namespace qm
