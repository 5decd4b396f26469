#include "login/login_environment.h"

#include "browser/web_view.h"
#include "install/first_start_install.h"
#include "login/adapter_mac.h"
#include "login/login_url.h"
#include "platform/file_facts.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "ui/quit_question.h"
#include "update/update_module.h"

namespace qm {

LoginEnvironment DefaultLoginEnvironment() {
  LoginEnvironment environment;
  environment.loginUrl = BuildLoginUrl(QueryAdapterMac);
  environment.versionText = GetFileVersionText(QuerySystemFolders().modulePath);
  environment.engineDataFolder = FsPath(WebEngineDataFolder());
  environment.firstStartInstall = [] { RunFirstStartInstall(); };
  environment.updateCheck = [] { RunUpdateCheck(); };
  environment.askToQuit = AskToQuit;
  environment.exitProcess = ExitProcessNow;
  return environment;
}

void QuitIfConfirmed(const LoginEnvironment& environment, NativeWindow owner) {
  if (environment.askToQuit && environment.askToQuit(owner)) environment.exitProcess(0);
}

}  // namespace qm
