// What the login windows reach outside themselves. The defaults are the real
// ones; tests give their own page address, data folder and stand-ins for the
// steps that would install, update or end the process.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "platform/native_window.h"

namespace qm {

struct LoginEnvironment {
  // The login page: string row 114 with the adapter's MAC text.
  std::wstring loginUrl;
  // The version label drawn into the login window's face: the running
  // executable's file version.
  std::wstring versionText;
  // Where the web engine keeps its website data and disk cache.
  std::filesystem::path engineDataFolder;
  // The first-start installation, run once the windows exist.
  std::function<void()> firstStartInstall;
  // The version check, run at the first completed document; it ends the
  // process itself when it hands over to a new launcher.
  std::function<void()> updateCheck;
  // The close question over owner; true goes ahead.
  std::function<bool(NativeWindow owner)> askToQuit;
  // Ends the process at once, without closing its windows.
  std::function<void(int code)> exitProcess;
};

LoginEnvironment DefaultLoginEnvironment();

// The close prompt of both login windows: asks over owner and, on OK, ends
// the process with exit code 0; any other answer leaves everything as it was.
void QuitIfConfirmed(const LoginEnvironment& environment, NativeWindow owner);

}  // namespace qm
