// The skinned modal confirmation: a borderless 253 x 106 box with a title, a
// message, OK, Cancel and a small close button. Construct it, give it its
// texts, run it, and go ahead when the answer is IDOK.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/ui_ids.h"

namespace qm {

// A top-level window of this build (HWND on Windows, GtkWindow* on Linux),
// or 0 for none.
using NativeWindow = uintptr_t;

class CCustomMessageBox {
 public:
  // Centred over owner when one is given, otherwise over the screen.
  explicit CCustomMessageBox(NativeWindow owner = 0);
  ~CCustomMessageBox();
  CCustomMessageBox(const CCustomMessageBox&) = delete;
  CCustomMessageBox& operator=(const CCustomMessageBox&) = delete;

  void SetTexts(const std::wstring& title, const std::wstring& text);
  // IDOK when OK is clicked; IDCANCEL for Cancel, the close button and Esc.
  int DoModal();

  const std::wstring& title() const { return m_strTitle; }
  const std::wstring& text() const { return m_strText; }

 private:
  NativeWindow m_owner;
  std::wstring m_strTitle = L"温馨提示";
  std::wstring m_strText;
};

}  // namespace qm
