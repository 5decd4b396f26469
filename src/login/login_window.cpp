#include "login/login_window.h"

#include <utility>

#include "base/string_rows.h"
#include "platform/resources.h"

namespace qm {

namespace {

constexpr unsigned kLoginPicture = 319;

}  // namespace

CLanderLogin::CLanderLogin(LoginEnvironment environment)
    : environment_(std::move(environment)), dialog_(this, environment_) {}

CLanderLogin::~CLanderLogin() = default;

int CLanderLogin::DoModal() {
  m_picture = LoadSkinImage(kLoginPicture);
  if (m_picture) {
    m_pictureWidth = m_picture->Width();
    m_pictureHeight = m_picture->Height();
  }
  WindowOptions options;
  options.kind = WindowKind::kTopLevel;
  options.bounds = PixelRect{0, 0, m_pictureWidth, m_pictureHeight};
  options.title = LoadStringRow(kRowLauncherTitle);
  host_ = WindowHost::Create(*this, options);
  if (!host_) return -1;
  // The installation runs before the modal loop, with the windows up and the
  // page loading; its outcome is not looked at.
  if (environment_.firstStartInstall) environment_.firstStartInstall();
  // The dialog stays above the window it belongs to, also where no window
  // manager keeps owned windows on top: it comes forward once the login
  // window is up.
  host_->Show();
  if (WindowHost* const dialog = dialog_.host()) dialog->Activate();
  const int result = host_->RunModal();
  // The modal run has hidden the window; the dialog over it, an owned
  // window, goes out of sight with it, whether or not the two are destroyed
  // at once.
  if (WindowHost* const dialog = dialog_.host()) dialog->Hide();
  return result;
}

void CLanderLogin::OnCreate(WindowHost& host) {
  createdHost_ = &host;
  // The picture is the window's face and gives the window its size.
  if (m_picture) host.SetAlphaFace(Face());
  const PixelRect work = host.WorkArea();
  const PixelRect bounds{work.x + (work.width - m_pictureWidth) / 2, work.y + (work.height - m_pictureHeight) / 2,
                         m_pictureWidth, m_pictureHeight};
  host.SetBounds(bounds);
  if (dialog_.Create(host.Native())) PlaceDialog(bounds);
}

// The face is set once as the window's own pixels, which ordinary painting
// never changes; the version label is therefore drawn into a copy of the
// picture before the copy becomes the face, so that it shows on every build.
const SkinImage& CLanderLogin::Face() {
  if (!face_ && !environment_.versionText.empty()) {
    const std::wstring& version = environment_.versionText;
    face_ = DrawOverImage(*m_picture, [&](Canvas& canvas) {
      const FloatRect box{static_cast<float>(m_pictureWidth - kVersionFromRight),
                          static_cast<float>(m_pictureHeight - kVersionFromBottom), kVersionWidth, kVersionHeight};
      canvas.DrawString(version, FontSpec{L"Arial", kVersionFontPixels, FontStyle::kRegular},
                        TextFormat{TextAlign::kNear, TextTrimming::kCharacterEllipsis}, box, kVersionColour);
    });
  }
  return face_ ? *face_ : *m_picture;
}

void CLanderLogin::OnDestroy() { createdHost_ = nullptr; }

// Every opaque point of the picture drags the window; transparent points
// never reach it.
HitArea CLanderLogin::HitTest(int, int) { return HitArea::kDrag; }

// Enter and Escape never end the login window.
bool CLanderLogin::OnKeyDown(const KeyPress& key) { return key.key == keys::kReturn || key.key == keys::kEscape; }

void CLanderLogin::OnMoved(const PixelRect& bounds) { PlaceDialog(bounds); }

void CLanderLogin::OnCloseRequest() {
  WindowHost* const window = host();
  QuitIfConfirmed(environment_, window ? window->Native() : nullptr);
}

void CLanderLogin::EndModal(int result) {
  if (WindowHost* const window = host(); window && window->InModalRun()) window->EndModal(result);
}

void CLanderLogin::Minimize() {
  if (WindowHost* const window = host()) window->Minimize();
}

void CLanderLogin::PlaceDialog(const PixelRect& bounds) {
  WindowHost* const dialog = dialog_.host();
  if (!dialog) return;
  dialog->SetBounds(PixelRect{bounds.x + kDialogLeft, bounds.y + kDialogTop, CLoginPopupDlg::kSize.width,
                              CLoginPopupDlg::kSize.height});
  if (!dialog->IsVisible()) dialog->Show();
}

}  // namespace qm
