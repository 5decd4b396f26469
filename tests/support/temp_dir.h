// Test helpers: scratch folders, an isolated user data area, and child
// processes run to completion.
#pragma once

#include <filesystem>
#include <string>

namespace qm::test {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::wstring wide() const;                          // without trailing separator
  std::wstring Sub(const std::wstring& name) const;   // path + separator + name

 private:
  std::filesystem::path path_;
};

// Gives this test process a user data area of its own. On Linux the XDG
// folders and HOME point into a scratch folder; on Windows the test runs in
// the build tree's own Wine prefix, so the real folder lookup is used and the
// launcher's folders there are emptied before and after.
class IsolatedUserData {
 public:
  IsolatedUserData();
  ~IsolatedUserData();

 private:
  void Clean();
  TempDir root_;
};

// Writes bytes to a file, creating its folders.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

// The launcher executable that the build made (from the QM_LAUNCHER variable).
std::wstring LauncherPath();

struct ChildResult {
  int exitCode = -1;
  std::string errorOutput;  // standard error (Linux); empty on Windows
};

// Starts program with commandLine as its whole command line (as the launcher
// starts its successors) and waits at most timeoutSeconds for it to end.
ChildResult RunChild(const std::wstring& program, const std::wstring& commandLine, int timeoutSeconds = 60);

}  // namespace qm::test
