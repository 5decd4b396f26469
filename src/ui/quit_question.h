// The question before the launcher ends itself: "关闭提示" / "是否退出%s？"
// with the launcher's title (string row 107), in the skinned message box.
// The login windows and the frame ask it; only OK goes ahead.
#pragma once

#include <string>

#include "platform/native_window.h"

namespace qm {

std::wstring QuitQuestionTitle();
// "是否退出%s？" with launcherTitle.
std::wstring QuitQuestionText(const std::wstring& launcherTitle);

// Asks in the skinned message box centred over owner; true for OK.
bool AskToQuit(NativeWindow owner);

}  // namespace qm
