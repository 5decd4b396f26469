// The message box: its controller on a window host, with the three image
// buttons as child controls.
#include "ui/message_box.h"

#include <memory>

#include "platform/debug_output.h"
#include "ui/message_box_controller.h"
#include "ui/touch_button.h"
#include "ui/window_host.h"

namespace qm {

CCustomMessageBox::CCustomMessageBox(NativeWindow owner) : m_owner(owner) {}
CCustomMessageBox::~CCustomMessageBox() = default;

void CCustomMessageBox::SetTexts(const std::wstring& title, const std::wstring& text) {
  m_strTitle = title;
  m_strText = text;
}

int CCustomMessageBox::DoModal() {
  MessageBoxController controller(m_strTitle, m_strText, LoadSkinImage(kMessageBoxBackgroundImage));
  WindowOptions options;
  options.kind = m_owner ? WindowKind::kOwnedPopup : WindowKind::kTopLevel;
  options.owner = m_owner;
  options.bounds = {0, 0, kMessageBoxWidth, kMessageBoxHeight};
  options.title = m_strTitle;
  options.dialog = true;
  const std::unique_ptr<WindowHost> host = WindowHost::Create(controller, options);
  if (!host) {
    DebugOutput(L"message box: no window could be made; answered as Cancel");
    return IDCANCEL;
  }
  // Destroyed before the host, so that they leave its window first.
  const MessageBoxLayout layout = LayOutMessageBox(kMessageBoxWidth, kMessageBoxHeight);
  CTouchButton buttons[3];
  const MessageBoxButton* places[3] = {&layout.close, &layout.ok, &layout.cancel};
  for (int i = 0; i < 3; ++i) {
    buttons[i].Create(host->ChildParent(), places[i]->id, places[i]->rect);
    buttons[i].SetStateImages(places[i]->normalImage, places[i]->hoverImage, places[i]->pressedImage);
  }
  if (m_observer) m_observer(*host, true);
  host->RunModal();
  if (m_observer) m_observer(*host, false);
  return controller.answer() == IDOK ? IDOK : IDCANCEL;
}

}  // namespace qm
