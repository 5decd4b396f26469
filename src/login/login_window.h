// The login window: a borderless window whose whole face is the login
// picture with its per-pixel transparency. It carries the web login dialog
// over the picture's dark frame, runs the first-start installation, and runs
// modally until the dialog has caught the game URL.
#pragma once

#include <memory>
#include <string>

#include "login/login_environment.h"
#include "login/web_login_dialog.h"
#include "ui/window_host.h"

namespace qm {

class CLanderLogin : public WindowController {
 public:
  // The dialog's place relative to the window's top-left corner.
  static constexpr int kDialogLeft = 372;
  static constexpr int kDialogTop = 86;

  // The version label: its box's top-left corner from the window's
  // bottom-right corner, its size, font and colour.
  static constexpr int kVersionFromRight = 60;
  static constexpr int kVersionFromBottom = 33;
  static constexpr int kVersionWidth = 200;
  static constexpr int kVersionHeight = 31;
  static constexpr float kVersionFontPixels = 10;
  static constexpr Argb kVersionColour = 0xFFCBAE5B;

  explicit CLanderLogin(LoginEnvironment environment = DefaultLoginEnvironment());
  ~CLanderLogin() override;

  // Runs the start-up sequence and the modal loop; returns when the game URL
  // has been caught (0) or the window could not be made (-1).
  int DoModal();
  std::wstring GetGameUrl() const { return m_gameUrl; }

  // Called by the web login dialog.
  void SetGameUrl(const std::wstring& url) { m_gameUrl = url; }
  void EndModal(int result);
  void Minimize();
  WindowHost* host() const { return host_ ? host_.get() : createdHost_; }
  CLoginPopupDlg& dialog() { return dialog_; }

  void OnCreate(WindowHost& host) override;
  void OnDestroy() override;
  HitArea HitTest(int x, int y) override;
  bool OnKeyDown(const KeyPress& key) override;
  void OnMoved(const PixelRect& bounds) override;
  void OnCloseRequest() override;

 private:
  void PlaceDialog(const PixelRect& bounds);
  // The picture with the version label drawn into it (the picture itself
  // when the copy cannot be made).
  const SkinImage& Face();

  LoginEnvironment environment_;
  std::wstring m_gameUrl;
  std::unique_ptr<SkinImage> m_picture;
  std::unique_ptr<SkinImage> face_;
  int m_pictureWidth = 0;
  int m_pictureHeight = 0;
  CLoginPopupDlg dialog_;
  WindowHost* createdHost_ = nullptr;
  std::unique_ptr<WindowHost> host_;
};

}  // namespace qm
