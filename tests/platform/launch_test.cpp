// Runs the launcher executable with the command line of each launch mode and
// checks how the run ends.
#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace qm {
namespace {

TEST(Launch, ModesNotYetBuiltEndCleanly) {
  test::IsolatedUserData user;
  const std::wstring launcher = test::LauncherPath();
  ASSERT_FALSE(launcher.empty());
  struct Case {
    std::wstring line;
    const char* debugLine;  // what the run says on the debug channel (Linux); nullptr: nothing asked
  };
  // The clean-up run is built: it gets an installed path in a scratch folder
  // that holds nothing, so it has nothing to remove.
  test::TempDir scratch;
  const Case cases[] = {
      {L"-u " + scratch.Sub(L"Quellmoor.exe"), nullptr},
      {L"\"" + launcher + L"\" -frameWnd=987654 -gameurl=http://127.0.0.1/play_gamecode",
       "frame window 987654 does not exist"},
      // A game URL whose account ends in "-u" is still a game process's
      // line, never the uninstall question.
      {L"\"" + launcher + L"\" -frameWnd=987654 -gameurl=http://127.0.0.1/qmr/play_gamecode/svname/s/?uid=bob-u",
       "frame window 987654 does not exist"},
  };
  for (const Case& c : cases) {
    const test::ChildResult result = test::RunChild(launcher, c.line);
    EXPECT_EQ(result.exitCode, 0);
#ifndef _WIN32
    if (c.debugLine) {
      EXPECT_NE(result.errorOutput.find(c.debugLine), std::string::npos) << result.errorOutput;
    }
#endif
  }
}

}  // namespace
}  // namespace qm
