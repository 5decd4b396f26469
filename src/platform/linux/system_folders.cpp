#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "base/text.h"
#include "platform/linux/xdg_folders.h"
#include "platform/paths.h"

namespace qm {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

std::string HomeFolder() { return Env("HOME"); }

std::string XdgDataHome() {
  const std::string dir = Env("XDG_DATA_HOME");
  return dir.empty() ? HomeFolder() + "/.local/share" : dir;
}

std::string XdgConfigHome() {
  const std::string dir = Env("XDG_CONFIG_HOME");
  return dir.empty() ? HomeFolder() + "/.config" : dir;
}

namespace {

// XDG_DESKTOP_DIR from user-dirs.dirs ("$HOME/Desktop" style), else ~/Desktop.
std::string DesktopFolder() {
  std::ifstream in(XdgConfigHome() + "/user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    const std::string key = "XDG_DESKTOP_DIR=";
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = HomeFolder() + value.substr(5);
    if (!value.empty() && value.front() == '/') return value;
  }
  return HomeFolder() + "/Desktop";
}

std::string ModulePath() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

std::wstring NoTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return WideFromUtf8(path);
}

}  // namespace

SystemFolders QuerySystemFolders() {
  return {NoTrailingSlash(XdgDataHome()), NoTrailingSlash(DesktopFolder()),
          NoTrailingSlash(XdgDataHome() + "/applications"), WideFromUtf8(ModulePath())};
}

}  // namespace qm
