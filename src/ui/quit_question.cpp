#include "ui/quit_question.h"

#include "base/string_rows.h"
#include "platform/resources.h"
#include "ui/message_box.h"

namespace qm {

std::wstring QuitQuestionTitle() { return L"关闭提示"; }

std::wstring QuitQuestionText(const std::wstring& launcherTitle) { return L"是否退出" + launcherTitle + L"？"; }

bool AskToQuit(NativeWindow owner) {
  CCustomMessageBox box(owner);
  box.SetTexts(QuitQuestionTitle(), QuitQuestionText(LoadStringRow(kRowLauncherTitle)));
  return box.DoModal() == IDOK;
}

}  // namespace qm
