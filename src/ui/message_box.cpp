// The parts of the message box that no window system has a say in.
#include "ui/message_box.h"

namespace qm {

CCustomMessageBox::CCustomMessageBox(NativeWindow owner) : m_owner(owner) {}
CCustomMessageBox::~CCustomMessageBox() = default;

void CCustomMessageBox::SetTexts(const std::wstring& title, const std::wstring& text) {
  m_strTitle = title;
  m_strText = text;
}

}  // namespace qm
