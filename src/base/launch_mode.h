// The role of one run, decided from its command-line text alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

enum class LaunchMode {
  kUpdateHandOver,      // "-d <installed executable>"
  kUninstallConfirm,    // any line ending in "-u"
  kUninstallCleanUp,    // "-u <path of the executable that asked>"
  kGameProcess,         // "... -frameWnd=<handle> -gameurl=<url>"
  kLauncher,            // anything else
};

const wchar_t* LaunchModeName(LaunchMode mode);

// The arguments a game process or launcher reads from its line.
struct GameArguments {
  std::int64_t frameHandle = 0;  // window handle, 0 when none was given
  std::wstring gameUrl;
  bool gameUrlGiven = false;     // "-gameurl=" stood after the handle
};

struct LaunchDecision {
  LaunchMode mode = LaunchMode::kLauncher;
  std::wstring path;  // hand-over: install path; clean-up: installed executable
};

// The first rules of start-up. A line with a non-zero frame handle followed
// by "-gameurl=" is a game process before any other rule: its game URL comes
// from a web page, and its text (an account named "bob-u") must never choose
// another mode. Then hand-over, then the two uninstall runs. Any other line
// (and "-d" alone) yields kLauncher here; the caller then reads the game
// arguments, also after a hand-over that failed and returned.
LaunchDecision DecideLaunchMode(std::wstring_view commandLine);

// Reads "-frameWnd=" and "-gameurl=" the way start-up does: the handle is the
// text after the first "-frameWnd=" up to the next space, converted like
// wcstol in base 10; the game URL counts only after that space.
GameArguments ReadGameArguments(std::wstring_view commandLine);

// The mode of a line that did not match a hand-over or uninstall rule.
inline LaunchMode ModeForGameArguments(const GameArguments& args) {
  return args.frameHandle != 0 ? LaunchMode::kGameProcess : LaunchMode::kLauncher;
}

}  // namespace qm
