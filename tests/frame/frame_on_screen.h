// The frame as a player meets it, for the tests on the virtual display: the
// real launcher (with string rows that point at a demo portal on this build
// tree's own port) under openbox with a 40-pixel panel along the top edge,
// logging in by itself through the portal's auto-login, and the frame window
// and game process it then runs. Linux only.
//
// Everything the suite starts (openbox, the panel, a tray, the portal, the
// launchers) is ended when the suite ends and, in case an earlier run was cut
// off before its end (a ctest timeout), also before the suite starts: a run
// that was killed never spoils the next one.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
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

// Waits until pred holds, at most timeoutMs of wall time (however long each
// look takes: a screenshot costs a good part of a second).
template <typename Pred>
bool WaitUntil(Pred pred, int timeoutMs, int pauseMs = 100) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    if (pred()) return true;
    SleepMs(pauseMs);
  }
  return pred();
}

// Where an X window is now (empty id when it is not mapped).
Placed WindowPlace(const std::string& xWindowId);
// Whether the X window is mapped and shown (not hidden, not minimized).
bool IsViewable(const std::string& xWindowId);

// The whole screen, kept as <name>.png in the screenshots folder.
Picture Screen(const std::string& name);

// The demo game's canvas: its grass green, as the screen shows it (shades of
// a dark green with stones, coins and figures over it).
bool IsGameGreen(const Picture::Px& p);
// The share of game-green pixels in a rectangle of the picture.
double GreenShare(const Picture& picture, int x, int y, int width, int height);

// Pointer actions at screen points.
void ClickAt(int x, int y, int button = 1);

class FrameOnScreen : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // A system tray (trayer) in the middle of the panel, for the suites that
  // use the tray icon; ended with the rest.
  static void StartTray();
  // The tray's window id (empty without a tray).
  static std::string TrayWindow();

  // Starts the launcher (standard error, the game process's included, goes to
  // a file); the portal logs in as account on server by itself, or stays at
  // the login page when account is empty.
  void StartLauncher(const std::string& account = "alice", const std::string& server = "烈焰一区");
  // The frame window once it is shown at least at the restored size, after
  // the login.
  std::optional<Placed> WaitForFrame(int timeoutMs = 60000);
  // The X window id the game process was given as its frame (empty before).
  std::string FrameWindowOfGameProcess() const;
  // The launcher's frame up with the game page drawn below its strip.
  void Login();
  // The frame's window now.
  Placed Frame() const { return WindowPlace(frameId_); }
  // Whether the frame's window is mapped (shown and not minimized).
  bool FrameMapped() const;
  // Process ids of the game processes of this build's launcher.
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
