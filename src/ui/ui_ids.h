// Answers of a modal box, with the same values on every build.
#pragma once

namespace qm {

constexpr int kAnswerOk = 1;      // the OK button
constexpr int kAnswerCancel = 2;  // Cancel, the close button or Esc

}  // namespace qm

#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
