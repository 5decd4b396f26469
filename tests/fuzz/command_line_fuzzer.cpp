// libFuzzer target of the command line: any text as the line a run is
// started with, decided and read as start-up does, and the same text cut into
// a program path, a frame handle and a game URL to make the line the frame
// writes for its game process. A game URL is chosen by a web page, so no
// text of it may turn that line into another mode. See fuzz_text.h for how
// bytes become text.
#include <climits>
#include <cstdint>
#include <cwchar>
#include <string>
#include <string_view>

#include "base/launch_mode.h"
#include "frame/game_process.h"
#include "fuzz_text.h"

namespace qm {
namespace {

bool StartsWith(std::wstring_view text, std::wstring_view prefix) { return text.substr(0, prefix.size()) == prefix; }
bool EndsWith(std::wstring_view text, std::wstring_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The rules every line obeys, whatever it holds.
void CheckAnyLine(const std::wstring& line) {
  const GameArguments args = ReadGameArguments(line);
  const LaunchDecision decision = DecideLaunchMode(line);

  fuzz::Check(args.frameHandle >= INT32_MIN && args.frameHandle <= INT32_MAX,
              "the frame handle is read as a 32-bit long", line);
  fuzz::Check(args.frameHandle == 0 || line.find(L"-frameWnd=") != std::wstring::npos,
              "a frame handle comes only from -frameWnd=", line);
  if (args.gameUrlGiven) {
    fuzz::Check(EndsWith(line, L"-gameurl=" + args.gameUrl), "the game URL is the rest of the line after -gameurl=",
                line);
  } else {
    fuzz::Check(args.gameUrl.empty(), "no game URL without -gameurl=", line);
  }
  // A game process's line is a game process before any other rule.
  if (args.frameHandle != 0 && args.gameUrlGiven) {
    fuzz::Check(decision.mode == LaunchMode::kGameProcess, "a frame handle and a game URL make a game process", line);
  }

  switch (decision.mode) {
    case LaunchMode::kGameProcess:
      fuzz::Check(args.frameHandle != 0 && args.gameUrlGiven, "a game process has a frame handle and a game URL",
                  line);
      fuzz::Check(decision.path.empty(), "a game process carries no path", line);
      break;
    case LaunchMode::kUpdateHandOver:
      fuzz::Check(StartsWith(line, L"-d") && line.size() > 2, "a hand-over line starts with -d", line);
      fuzz::Check(decision.path == (line.size() > 3 ? line.substr(3) : std::wstring()),
                  "the hand-over path is everything after \"-d \"", line);
      break;
    case LaunchMode::kUninstallConfirm:
      fuzz::Check(EndsWith(line, L"-u"), "a confirmation line ends with -u", line);
      fuzz::Check(decision.path.empty(), "a confirmation run carries no path", line);
      break;
    case LaunchMode::kUninstallCleanUp:
      fuzz::Check(StartsWith(line, L"-u") && !EndsWith(line, L"-u"), "a clean-up line starts with -u", line);
      fuzz::Check(decision.path == (line.size() > 3 ? line.substr(3) : std::wstring()),
                  "the clean-up path is everything after \"-u \"", line);
      break;
    case LaunchMode::kLauncher:
      fuzz::Check(decision.path.empty(), "a launcher carries no path", line);
      fuzz::Check(!(StartsWith(line, L"-d") && line.size() > 2), "a -d line is a hand-over", line);
      fuzz::Check(!EndsWith(line, L"-u") && !StartsWith(line, L"-u"), "a -u line is an uninstall run", line);
      break;
  }
  fuzz::Check(LaunchModeName(decision.mode)[0] != L'\0', "every mode has a name", line);
}

// The handle field as a window handle: its number, kept in the range of a
// Windows handle and of an X11 window id as %ld writes them, and never 0 (a
// frame always has a window).
std::int64_t HandleOf(const std::wstring& field) {
  long long value = std::wcstoll(field.c_str(), nullptr, 10);
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  return value == 0 ? 1 : value;
}

// The line the frame writes for its game process decides a game process with
// the same handle and URL (cut where the line is cut to 1023 characters).
void CheckGameProcessLine(const std::wstring& path, std::int64_t handle, const std::wstring& url) {
  // A program path holding "-frameWnd=" itself would be read first; no
  // installation path does.
  if (path.find(L"-frameWnd=") != std::wstring::npos) return;
  const std::wstring line = GameProcessCommandLine(path, handle, url);
  CheckAnyLine(line);
  const std::wstring prefix = L"\"" + path + L"\" -frameWnd=" + std::to_wstring(handle) + L" -gameurl=";
  if (prefix.size() > 1023) return;
  const GameArguments args = ReadGameArguments(line);
  fuzz::Check(args.frameHandle == handle, "the game process reads the frame handle the frame wrote", line);
  fuzz::Check(args.gameUrlGiven && args.gameUrl == url.substr(0, 1023 - prefix.size()),
              "the game process reads the game URL the frame wrote", line);
  fuzz::Check(DecideLaunchMode(line).mode == LaunchMode::kGameProcess, "the frame's game line is a game process",
              line);
}

}  // namespace
}  // namespace qm

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = qm::fuzz::WideFromInput(data, size);
  qm::CheckAnyLine(text);
  const std::vector<std::wstring> fields = qm::fuzz::Fields(text, 3);
  qm::CheckGameProcessLine(fields[0], qm::HandleOf(fields[1]), fields[2]);
  return 0;
}
