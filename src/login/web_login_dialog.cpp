#include "login/web_login_dialog.h"

#include "login/login_keys.h"
#include "login/login_window.h"
#include "platform/debug_output.h"

namespace qm {

namespace {

constexpr Argb kColourKeyGreen = 0xFF00FF00;
constexpr unsigned kBackgroundBitmap = 318;

}  // namespace

WebFormLogin::WebFormLogin(NativeWindow ownerWindow, GameUrlCatcher& catcher, const LoginEnvironment& environment)
    : CWebBrowserBase(WebViewSettings{WebViewRole::kLogin, environment.engineDataFolder}),
      m_ownerWindow(ownerWindow),
      catcher_(catcher),
      environment_(environment) {}

// The version check runs once, when the login page is first there; a pending
// update hands over from inside it and ends the process. The page is shown
// (again) at every completed document.
void WebFormLogin::OnDocumentComplete(std::wstring) {
  const bool first = m_firstPageDone == 0;
  if (first) {
    if (environment_.updateCheck) environment_.updateCheck();
    m_firstPageDone = 1;
  }
  PlaceControl(m_pageRect);
  // The moment the player first sees the page, for start-up measurements.
  if (first) DebugOutput(L"login page shown");
}

void WebFormLogin::OnBeforeNavigate2(std::wstring url, bool* cancel) {
  const NavigationOutcome outcome = catcher_.OnBeforeNavigate(url);
  if (outcome.cancel) *cancel = true;
  if (m_ownerWindow) SendCommand(m_ownerWindow, kGameUrlCheckCommand);
}

CLoginPopupDlg::CLoginPopupDlg(CLanderLogin* loginWindow, const LoginEnvironment& environment)
    : loginWindow_(loginWindow), environment_(environment) {}

CLoginPopupDlg::~CLoginPopupDlg() {
  // The page goes before the window it lives in.
  browser_.reset();
  host_.reset();
}

bool CLoginPopupDlg::Create(NativeWindow owner) {
  WindowOptions options;
  options.kind = WindowKind::kOwnedPopup;
  options.owner = owner;
  options.bounds = PixelRect{0, 0, kSize.width, kSize.height};
  host_ = WindowHost::Create(*this, options);
  return host_ != nullptr;
}

void CLoginPopupDlg::OnCreate(WindowHost& host) {
  createdHost_ = &host;
  host.SetColourKey(kColourKeyGreen);
  background_ = LoadSkinBitmap(kBackgroundBitmap);

  browser_ = std::make_unique<WebFormLogin>(host.ChildParent(), catcher_, environment_);
  browser_->ActivateInPlace();
  browser_->SetPageRect(kPageRect);
  browser_->Navigate(environment_.loginUrl);
  // Hidden until the first document completes: the background shows meanwhile.
  browser_->PlaceControl(PixelRect{});

  const int width = kSize.width;
  minimizeButton_.Create(host.ChildParent(), kLoginMinimizeButton, PixelRect{width - 85, 0, 28, 28});
  minimizeButton_.SetStateImages(320, 321, 322);
  closeButton_.Create(host.ChildParent(), kLoginCloseButton, PixelRect{width - 57, 0, 28, 26});
  closeButton_.SetStateImages(323, 324, 325);
}

void CLoginPopupDlg::OnDestroy() { createdHost_ = nullptr; }

void CLoginPopupDlg::OnPaint(Canvas& canvas) {
  if (background_) {
    canvas.FillTiled(*background_, PixelRect{0, 0, kSize.width, kSize.height}, 0, 0);
  } else {
    canvas.FillSolid(PixelRect{0, 0, kSize.width, kSize.height}, kColourKeyGreen);
  }
}

void CLoginPopupDlg::OnCommand(int id) {
  switch (id) {
    case kLoginMinimizeButton:
      if (loginWindow_) loginWindow_->Minimize();
      break;
    case kLoginCloseButton:
      ClosePrompt();
      break;
    case kGameUrlCheckCommand:
      CheckGameUrl();
      break;
    default:
      break;
  }
}

// Enter and Space go on to the page (a space typed into a field is kept);
// Escape is dropped, so it never closes anything; Tab and the editing
// shortcuts are offered to the page's own editing (the Windows control acts
// on them only through its accelerator handling; on Linux they reach the
// focused page by themselves and come without a native event), and go on as
// usual when the page does not take them.
bool CLoginPopupDlg::OnKeyDown(const KeyPress& key) {
  switch (RouteLoginKey(static_cast<unsigned>(key.key), key.ctrl)) {
    case LoginKeyRoute::kDropped:
      return true;
    case LoginKeyRoute::kToPageAccelerator: {
      WebView* const view = browser_ ? browser_->webView() : nullptr;
      return view && key.native && view->ForwardKey(static_cast<NativeKeyEvent>(key.native));
    }
    default:
      return false;
  }
}

void CLoginPopupDlg::OnCloseRequest() { ClosePrompt(); }

void CLoginPopupDlg::ClosePrompt() {
  QuitIfConfirmed(environment_, createdHost_ ? createdHost_->Native() : nullptr);
}

void CLoginPopupDlg::CheckGameUrl() {
  if (!catcher_.caught() || !loginWindow_) return;
  // The moment the login hands over to the frame, for start-up measurements.
  DebugOutput(L"game URL caught");
  DebugStage(L"game URL caught");
  loginWindow_->SetGameUrl(catcher_.gameUrl());
  loginWindow_->EndModal(0);
}

}  // namespace qm
