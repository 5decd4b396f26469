// The frame's two questions before it ends itself: the quit prompt (close
// button 1001, tray item "退出", Alt+F4) and the choose-server prompt (button
// 1007), both in the skinned message box. Each answers whether to go ahead;
// only OK goes ahead. What going ahead means (tray icon, game window, a new
// launcher) is the frame's part.
#pragma once

#include <functional>
#include <string>

#include "frame/frame_commands.h"
#include "platform/native_window.h"
#include "ui/message_box.h"

namespace qm {

// The window the message box is centred over and owned by (null: the screen).
using PromptOwner = NativeWindow;

struct PromptTexts {
  std::wstring title;
  std::wstring text;
  bool operator==(const PromptTexts& o) const { return title == o.title && text == o.text; }
};

// "关闭提示" / "是否退出%s？" with the launcher title (string row 107).
PromptTexts QuitPromptTexts();
PromptTexts QuitPromptTexts(const std::wstring& launcherTitle);
// "选服" / "是否退出当前区服，重新选择新区服？".
PromptTexts ChooseServerPromptTexts();

// Only the message box's OK (IDOK) goes ahead.
bool PromptAnswerProceeds(int answer);

// Shows the question and returns the box's answer (IDOK, IDCANCEL).
using PromptRunner = std::function<int(const PromptTexts& texts)>;
// The skinned message box (CCustomMessageBox: SetTexts, DoModal) centred
// over owner (0: over the screen); observer is told of its window while it
// waits for the answer.
PromptRunner SkinnedPromptRunner(PromptOwner owner, MessageBoxWindowObserver observer = {});

// Ask the question and answer whether the frame goes ahead.
bool QuitPrompt(const PromptRunner& ask);
bool ChooseServerPrompt(const PromptRunner& ask);
bool QuitPrompt(PromptOwner owner);
bool ChooseServerPrompt(PromptOwner owner);

}  // namespace qm
