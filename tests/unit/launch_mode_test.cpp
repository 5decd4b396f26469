#include "base/launch_mode.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

struct Case {
  const wchar_t* line;
  LaunchMode mode;
  const wchar_t* path;  // hand-over or clean-up argument
  std::int64_t frame;
  const wchar_t* url;
};

// The mode a whole start-up decision gives, as the application runs it.
LaunchMode Decide(const std::wstring& line) {
  const LaunchDecision decision = DecideLaunchMode(line);
  if (decision.mode != LaunchMode::kLauncher && decision.mode != LaunchMode::kGameProcess) return decision.mode;
  return ModeForGameArguments(ReadGameArguments(line));
}

TEST(LaunchMode, DecisionTable) {
  const Case cases[] = {
      {L"-d C:\\a\\Quellmoor.exe", LaunchMode::kUpdateHandOver, L"C:\\a\\Quellmoor.exe", 0, L""},
      {L"-d path with spaces\\x.exe", LaunchMode::kUpdateHandOver, L"path with spaces\\x.exe", 0, L""},
      {L"-d ", LaunchMode::kUpdateHandOver, L"", 0, L""},
      {L"-dX", LaunchMode::kUpdateHandOver, L"", 0, L""},
      {L"-d", LaunchMode::kLauncher, L"", 0, L""},
      {L"-D C:\\a.exe", LaunchMode::kLauncher, L"", 0, L""},
      {L"\"C:\\x\\Quellmoor.exe\" -u", LaunchMode::kUninstallConfirm, L"", 0, L""},
      {L"-u", LaunchMode::kUninstallConfirm, L"", 0, L""},
      {L"-u C:\\x -u", LaunchMode::kUninstallConfirm, L"", 0, L""},
      {L"-u C:\\cache\\Quellmoor.exe", LaunchMode::kUninstallCleanUp, L"C:\\cache\\Quellmoor.exe", 0, L""},
      {L"-U C:\\x.exe", LaunchMode::kLauncher, L"", 0, L""},
      {L"-d C:\\x -u", LaunchMode::kUpdateHandOver, L"C:\\x -u", 0, L""},
      {L"\"C:\\x\\Quellmoor.exe\"", LaunchMode::kLauncher, L"", 0, L""},
      {L"", LaunchMode::kLauncher, L"", 0, L""},
      {L"x", LaunchMode::kLauncher, L"", 0, L""},
      {L"\"C:\\q.exe\" -frameWnd=0 -gameurl=http://h/play_gamecode", LaunchMode::kLauncher, L"", 0,
       L"http://h/play_gamecode"},
      {L"\"C:\\q.exe\" -frameWnd=1234", LaunchMode::kLauncher, L"", 0, L""},
      {L"\"C:\\q.exe\" -frameWnd=1234 -gameurl=http://h/a b?c=1", LaunchMode::kGameProcess, L"", 1234,
       L"http://h/a b?c=1"},
      {L"-gameurl=http://h/x -frameWnd=5 ", LaunchMode::kGameProcess, L"", 5, L""},
      {L"-frameWnd=-42 -gameurl=u", LaunchMode::kGameProcess, L"", -42, L"u"},
      {L"-frameWnd=\t42 -gameurl=u", LaunchMode::kGameProcess, L"", 42, L"u"},
      {L"-frameWnd=  42 -gameurl=u", LaunchMode::kLauncher, L"", 0, L"u"},
      {L"-frameWnd=+77abc -gameurl=u", LaunchMode::kGameProcess, L"", 77, L"u"},
      {L"-frameWnd=abc -gameurl=u", LaunchMode::kLauncher, L"", 0, L"u"},
      {L"-frameWnd=99999999999 -gameurl=u", LaunchMode::kGameProcess, L"", 2147483647, L"u"},
      {L"a -frameWnd=1 -frameWnd=2 -gameurl=-gameurl=x", LaunchMode::kGameProcess, L"", 1, L"-gameurl=x"},
      // A game URL is chosen by a web page (an account named "bob-u"): its
      // text never makes the line an uninstall or hand-over run.
      {L"\"C:\\q.exe\" -frameWnd=1234 -gameurl=http://h/play_gamecode/svname/s/?uid=bob-u", LaunchMode::kGameProcess,
       L"", 1234, L"http://h/play_gamecode/svname/s/?uid=bob-u"},
      {L"\"C:\\q.exe\" -frameWnd=7 -gameurl=-u", LaunchMode::kGameProcess, L"", 7, L"-u"},
      {L"-d C:\\x -frameWnd=7 -gameurl=u", LaunchMode::kGameProcess, L"", 7, L"u"},
      {L"-u C:\\x -frameWnd=7 -gameurl=u", LaunchMode::kGameProcess, L"", 7, L"u"},
      // Without a handle or without a game URL after it, the old rules hold.
      {L"\"C:\\q.exe\" -frameWnd=0 -gameurl=x-u", LaunchMode::kUninstallConfirm, L"", 0, L""},
      {L"-gameurl=x -frameWnd=7 -u", LaunchMode::kUninstallConfirm, L"", 0, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Decide(c.line), c.mode);
    const LaunchDecision decision = DecideLaunchMode(c.line);
    if (decision.mode != LaunchMode::kLauncher && decision.mode != LaunchMode::kGameProcess) {
      EXPECT_EQ(decision.path, c.path);
    } else {
      const GameArguments args = ReadGameArguments(c.line);
      EXPECT_EQ(args.frameHandle, c.frame);
      EXPECT_EQ(args.gameUrl, c.url);
    }
  }
}

TEST(LaunchMode, GameProcessLineRoundTrip) {
  // The line the frame writes for its game process reads back unchanged.
  const std::wstring url = L"http://portal/play_gamecode?server=s12&sign=a b";
  const GameArguments args = ReadGameArguments(L"\"C:\\p\\Quellmoor.exe\" -frameWnd=657930 -gameurl=" + url);
  EXPECT_EQ(args.frameHandle, 657930);
  EXPECT_EQ(args.gameUrl, url);
}

}  // namespace
}  // namespace qm
