#include "install/install_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "base/string_rows.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "base/text.h"
#include "install/first_start_install.h"
#include "install/install_shell.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace qm::test {

namespace fs = std::filesystem;

namespace {

// One user data area for the whole test program: the data folder is computed
// once per process, so the folders must not move between tests.
class UserDataEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // On Linux this also moves the machine-wide uninstall entry.
    user_ = std::make_unique<IsolatedUserData>();
  }
  void TearDown() override {
    InstallTest::RemoveTraces();
    user_.reset();
  }

 private:
  std::unique_ptr<IsolatedUserData> user_;
};

[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new UserDataEnvironment);

void RemoveAll(const std::wstring& path) {
  std::error_code ec;
  fs::permissions(FsPath(path), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(FsPath(path), ec);
}

}  // namespace

std::wstring NativeTestPath(const std::string& unixPath) {
#ifdef _WIN32
  std::string path = unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return WideFromUtf8(path.rfind("\\", 0) == 0 ? "Z:" + path : path);
#else
  return WideFromUtf8(unixPath);
#endif
}

void InstallTest::SetUp() { RemoveTraces(); }

void InstallTest::TearDown() {
  DenyMachineWideWritesForTesting(false);
  RemoveTraces();
}

void InstallTest::RemoveTraces() {
  const SystemFolders folders = QuerySystemFolders();
  const PathComposer paths(folders, LoadStringRow, NativePathStyle());
  RemoveAll(folders.appData + Sep() + L"korvo_v1");
  RemoveAll(folders.appData + Sep() + L"cache");
  RemoveAll(paths.DesktopShortcut());
  RemoveAll(folders.desktop + Sep() + L"other.lnk");
  RemoveAll(folders.programs + Sep() + LoadStringRow(105));
  RemoveAll(TrashFolder());
  DenyMachineWideWritesForTesting(false);
  DeleteUninstallEntry(kRegistryName);
#ifdef _WIN32
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quellmoor\\Quellmoor\\TarnwickQuellmoor");
#else
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config) RemoveAll(WideFromUtf8(std::string(config) + "/Quellmoor"));
#endif
}

SystemFolders InstallTest::FoldersRunning(const std::wstring& modulePath) {
  SystemFolders folders = QuerySystemFolders();
  folders.modulePath = modulePath;
  return folders;
}

PathComposer InstallTest::Paths(const std::wstring& modulePath) {
  return PathComposer(FoldersRunning(modulePath), LoadStringRow, NativePathStyle());
}

std::wstring InstallTest::Launcher() { return NativeTestPath(Utf8FromWide(LauncherPath())); }
std::wstring InstallTest::NewerLauncher() { return NativeTestPath(QM_LAUNCHER_NEWER); }
std::wstring InstallTest::OlderLauncher() { return NativeTestPath(QM_LAUNCHER_OLDER); }

std::wstring InstallTest::TrashFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::string folder = data && *data ? data : std::string(std::getenv("HOME") ? std::getenv("HOME") : "") + "/.local/share";
  return NativeTestPath(folder + "/Trash");
}

}  // namespace qm::test
