// The skinned modal confirmation: a borderless 253 x 106 box with a title, a
// message, OK, Cancel and a small close button. Construct it, give it its
// texts, run it, and go ahead when the answer is IDOK.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "platform/native_window.h"
#include "ui/ui_ids.h"

namespace qm {

class WindowHost;

// Told of the box's window when its run begins (open) and when the run has
// ended, so that the owner can hide the box and show it again while it
// waits for its answer (the launcher's boss key).
using MessageBoxWindowObserver = std::function<void(WindowHost& window, bool open)>;

class CCustomMessageBox {
 public:
  // Owned by and centred over owner when one is given (any window of this
  // process, or a host's ChildParent()), otherwise centred over the screen.
  explicit CCustomMessageBox(NativeWindow owner = nullptr);
  ~CCustomMessageBox();
  CCustomMessageBox(const CCustomMessageBox&) = delete;
  CCustomMessageBox& operator=(const CCustomMessageBox&) = delete;

  void SetTexts(const std::wstring& title, const std::wstring& text);
  void SetWindowObserver(MessageBoxWindowObserver observer) { m_observer = std::move(observer); }
  // IDOK when OK is clicked or Enter pressed; IDCANCEL for Cancel, the close
  // button, Esc and the system's close, and when no window can be shown.
  int DoModal();

  const std::wstring& title() const { return m_strTitle; }
  const std::wstring& text() const { return m_strText; }

 private:
  NativeWindow m_owner;
  std::wstring m_strTitle = L"温馨提示";
  std::wstring m_strText;
  MessageBoxWindowObserver m_observer;
};

}  // namespace qm
