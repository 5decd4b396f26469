// The web login dialog: a 690 x 513 popup owned by the login window and laid
// over its picture's dark frame. Its pure green background pixels are
// transparent, so above the page only its minimize and close buttons show.
// It shows the portal's login page in the browser host, runs the version
// check at the first completed document, and ends the login window's modal
// run when the page navigates to the game URL.
#pragma once

#include <memory>
#include <string>

#include "browser/web_browser_base.h"
#include "login/game_url_catcher.h"
#include "login/login_environment.h"
#include "ui/touch_button.h"
#include "ui/window_host.h"

namespace qm {

class CLanderLogin;
class CLoginPopupDlg;

// Command ids of the dialog.
constexpr int kLoginMinimizeButton = 1016;
constexpr int kLoginCloseButton = 1027;
constexpr int kGameUrlCheckCommand = 10001;

// The dialog's browser host: shows the page once its first document has
// completed, runs the version check then, and reports every navigation to
// the dialog.
class WebFormLogin : public CWebBrowserBase {
 public:
  WebFormLogin(NativeWindow ownerWindow, GameUrlCatcher& catcher, const LoginEnvironment& environment);

  NativeWindow GetHostWindow() override { return m_ownerWindow; }
  void OnDocumentComplete(std::wstring url) override;
  void OnBeforeNavigate2(std::wstring url, bool* cancel) override;

  void SetPageRect(const PixelRect& rect) { m_pageRect = rect; }
  bool firstPageDone() const { return m_firstPageDone != 0; }

 private:
  NativeWindow m_ownerWindow;
  int m_firstPageDone = 0;
  GameUrlCatcher& catcher_;
  const LoginEnvironment& environment_;
};

class CLoginPopupDlg : public WindowController {
 public:
  static constexpr PixelSize kSize{690, 513};
  // Where the page shows: below the dialog's 61-pixel top.
  static constexpr PixelRect kPageRect{0, 61, 690, 452};

  CLoginPopupDlg(CLanderLogin* loginWindow, const LoginEnvironment& environment);
  ~CLoginPopupDlg() override;

  // Makes the dialog's window, owned by owner; hidden until the login window
  // places it. False when no window can be made.
  bool Create(NativeWindow owner);
  WindowHost* host() const { return host_.get(); }
  WebFormLogin* browser() const { return browser_.get(); }
  const GameUrlCatcher& catcher() const { return catcher_; }

  void OnCreate(WindowHost& host) override;
  void OnDestroy() override;
  void OnPaint(Canvas& canvas) override;
  void OnCommand(int id) override;
  bool OnKeyDown(const KeyPress& key) override;
  void OnCloseRequest() override;

 private:
  void ClosePrompt();
  void CheckGameUrl();

  CLanderLogin* loginWindow_;
  const LoginEnvironment& environment_;
  GameUrlCatcher catcher_;
  std::unique_ptr<SkinImage> background_;
  std::unique_ptr<WebFormLogin> browser_;
  CTouchButton minimizeButton_;
  CTouchButton closeButton_;
  WindowHost* createdHost_ = nullptr;
  std::unique_ptr<WindowHost> host_;
};

}  // namespace qm
