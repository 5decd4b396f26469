#include "support/temp_dir.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

#include "platform/paths.h"
#include "base/text.h"
#include "platform/files.h"

namespace qm::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device device;
  std::mt19937_64 random(device() ^ static_cast<unsigned long long>(
                                        std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() / ("qm-test-" + std::to_string(random() % 100000000));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::wstring TempDir::wide() const { return WidePath(path_); }

std::wstring TempDir::Sub(const std::wstring& name) const {
  return wide() + std::wstring(1, NativePathStyle().separator) + name;
}

namespace {

[[maybe_unused]] void SetEnv(const char* name, const fs::path& value) {
#ifdef _WIN32
  _putenv_s(name, value.string().c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

}  // namespace

IsolatedUserData::IsolatedUserData() {
#ifndef _WIN32
  SetEnv("HOME", root_.path());
  SetEnv("XDG_DATA_HOME", root_.path() / ".local" / "share");
  SetEnv("XDG_CONFIG_HOME", root_.path() / ".config");
  SetEnv("XDG_CACHE_HOME", root_.path() / ".cache");
  fs::create_directories(root_.path() / ".local" / "share");
  fs::create_directories(root_.path() / "Desktop");
  // The machine-wide uninstall entry too: tests run as root, who may write
  // the real one.
  SetEnv("QM_UNINSTALL_ENTRY_ROOT", root_.path() / "machine" / "uninstall");
#endif
  Clean();
}

IsolatedUserData::~IsolatedUserData() { Clean(); }

void IsolatedUserData::Clean() {
#ifdef _WIN32
  // The prefix belongs to the test build; only the launcher's own traces go.
  const SystemFolders folders = QuerySystemFolders();
  std::error_code ec;
  fs::remove_all(FsPath(folders.appData + L"\\korvo_v1"), ec);
  fs::remove_all(FsPath(folders.appData + L"\\cache"), ec);
#endif
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const fs::path& path) {
  // In blocks: the launchers the tests compare are tens of megabytes, too
  // many to take a character at a time.
  std::ifstream in(path, std::ios::binary);
  std::string bytes;
  char block[64 * 1024];
  while (in.read(block, sizeof block) || in.gcount() > 0) bytes.append(block, static_cast<std::size_t>(in.gcount()));
  return bytes;
}

std::wstring LauncherPath() {
  const char* value = std::getenv("QM_LAUNCHER");
  return value ? WideFromUtf8(value) : std::wstring();
}

}  // namespace qm::test
