// The user data area the installation tests work in: on Linux a scratch home
// with its own XDG folders and a scratch machine-wide entry folder; on Windows
// the build's own Wine prefix. Every trace of the launcher is removed before
// and after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "base/paths.h"

namespace qm::test {

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // This process's system folders with another running executable.
  static SystemFolders FoldersRunning(const std::wstring& modulePath);
  static PathComposer Paths(const std::wstring& modulePath);

  // The launcher executables of the build, as paths this build can open.
  static std::wstring Launcher();
  static std::wstring NewerLauncher();  // file version 1.0.10.0
  static std::wstring OlderLauncher();  // file version 1.0.0.9

  // The freedesktop Trash folder the recycle bin moves items to.
  static std::wstring TrashFolder();

  static std::wstring Sep() { return std::wstring(1, NativePathStyle().separator); }

 public:
  static void RemoveTraces();
};

// A path from the build (a Unix path) as this build opens it: under Wine the
// Unix root is drive Z:.
std::wstring NativeTestPath(const std::string& unixPath);

}  // namespace qm::test
