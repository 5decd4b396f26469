#include "frame/exit_prompts.h"

#include "base/string_rows.h"
#include "platform/resources.h"
#include "ui/quit_question.h"

namespace qm {

PromptTexts QuitPromptTexts(const std::wstring& launcherTitle) {
  return {QuitQuestionTitle(), QuitQuestionText(launcherTitle)};
}

PromptTexts QuitPromptTexts() { return QuitPromptTexts(LoadStringRow(kRowLauncherTitle)); }

PromptTexts ChooseServerPromptTexts() { return {L"选服", L"是否退出当前区服，重新选择新区服？"}; }

bool PromptAnswerProceeds(int answer) { return answer == IDOK; }

PromptRunner SkinnedPromptRunner(PromptOwner owner, MessageBoxWindowObserver observer) {
  return [owner, observer = std::move(observer)](const PromptTexts& texts) {
    CCustomMessageBox box(owner);
    box.SetTexts(texts.title, texts.text);
    box.SetWindowObserver(observer);
    return box.DoModal();
  };
}

bool QuitPrompt(const PromptRunner& ask) { return PromptAnswerProceeds(ask(QuitPromptTexts())); }

bool ChooseServerPrompt(const PromptRunner& ask) { return PromptAnswerProceeds(ask(ChooseServerPromptTexts())); }

bool QuitPrompt(PromptOwner owner) { return QuitPrompt(SkinnedPromptRunner(owner)); }

bool ChooseServerPrompt(PromptOwner owner) { return ChooseServerPrompt(SkinnedPromptRunner(owner)); }

}  // namespace qm
