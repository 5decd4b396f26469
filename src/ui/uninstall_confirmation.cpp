// The uninstall confirmation run: asks the player through the skinned box.
// The removal steps that follow a yes are joined here by the installation
// code; until then the run ends after the answer.
#include "app/launch_modes.h"
#include "app/strings.h"
#include "platform/debug_output.h"
#include "ui/message_box.h"

namespace qm {

int RunUninstallConfirmation() {
  CCustomMessageBox box;
  box.SetTexts(L"卸载", L"您是否确认卸载《" + LoadStringRow(kRowGameTitle) + L"》？");
  const int answer = box.DoModal();
  DebugOutput(answer == IDCANCEL ? L"uninstall: cancelled by the player" : L"uninstall: confirmed by the player");
  return 0;
}

}  // namespace qm
