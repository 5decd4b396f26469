#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/paths.h"
#include "base/text.h"

namespace qm {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string Home() { return Env("HOME"); }

std::string DataHome() {
  std::string dir = Env("XDG_DATA_HOME");
  return dir.empty() ? Home() + "/.local/share" : dir;
}

std::string ConfigHome() {
  std::string dir = Env("XDG_CONFIG_HOME");
  return dir.empty() ? Home() + "/.config" : dir;
}

// XDG_DESKTOP_DIR from user-dirs.dirs ("$HOME/Desktop" style), else ~/Desktop.
std::string DesktopFolder() {
  std::ifstream in(ConfigHome() + "/user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    const std::string key = "XDG_DESKTOP_DIR=";
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = Home() + value.substr(5);
    if (!value.empty() && value.front() == '/') return value;
  }
  return Home() + "/Desktop";
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
  return {NoTrailingSlash(DataHome()), NoTrailingSlash(DesktopFolder()),
          NoTrailingSlash(DataHome() + "/applications"), WideFromUtf8(ModulePath())};
}

}  // namespace qm
