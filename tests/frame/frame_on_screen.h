// The frame as a player meets it, for the tests on the virtual display: the
// real launcher (with string rows that point at a demo portal on this build
// tree's own port) under openbox with a 40-pixel panel along the top edge,
// logging in by itself through the portal's auto-login, and the frame window
// and game process it then runs. Linux only.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "ui/desktop.h"

namespace qm::test {

constexpr int kPanelHeight = 40;
// The launcher's window title (string row 107): the login's and the frame's.
inline const std::string kFrameTitle = "Quellmoor登录器";

std::string PortalGet(const std::string& path);
int PortalCount(const std::string& query);

// Waits until pred holds, at most timeoutMs.
template <typename Pred>
bool WaitUntil(Pred pred, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 100) {
    if (pred()) return true;
    SleepMs(100);
  }
  return pred();
}

// Where an X window is now (empty id when it is not mapped).
Placed WindowPlace(const std::string& xWindowId);

class FrameOnScreen : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Starts the launcher (standard error, the game process's included, goes to
  // a file); the portal logs in as account on server by itself.
  void StartLauncher(const std::string& account = "alice", const std::string& server = "烈焰一区");
  // The frame window once it covers the work area, after the login.
  std::optional<Placed> WaitForFrame(int timeoutMs = 60000);
  // The frame's window now.
  Placed Frame() const { return WindowPlace(frameId_); }
  // Process ids of the game processes of this test's launcher.
  std::vector<pid_t> GameProcesses() const;
  // Process ids of every launcher process (frame, login, game) of this build.
  std::vector<pid_t> LauncherProcesses() const;
  // The frame's caption button id, clicked with the pointer.
  void ClickCaptionButton(int id);
  // The launcher's exit code, or -1 when it did not end within the time.
  int WaitExit(int timeoutMs);
  std::string Errors() const;
  // The game page requests the portal has seen.
  int GamePageRequests() const;

  TempDir data_;
  IsolatedUserData user_;
  std::filesystem::path errors_;
  pid_t launcher_ = -1;
  std::string frameId_;
};

}  // namespace qm::test
