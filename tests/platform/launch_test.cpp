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
    const char* debugLine;  // what the run says on the debug channel (Linux)
  };
  const Case cases[] = {
      // "-u" alone now asks its question in the skinned box; tests/ui drives it.
      {L"-u " + launcher, "uninstall clean-up"},
      {L"\"" + launcher + L"\" -frameWnd=987654 -gameurl=http://127.0.0.1/play_gamecode",
       "frame window 987654 does not exist"},
  };
  for (const Case& c : cases) {
    const test::ChildResult result = test::RunChild(launcher, c.line);
    EXPECT_EQ(result.exitCode, 0);
#ifndef _WIN32
    EXPECT_NE(result.errorOutput.find(c.debugLine), std::string::npos) << result.errorOutput;
#endif
  }
}

}  // namespace
}  // namespace qm
