#include "base/launch_mode.h"

#include <cwctype>

namespace qm {

const wchar_t* LaunchModeName(LaunchMode mode) {
  switch (mode) {
    case LaunchMode::kUpdateHandOver: return L"update hand-over";
    case LaunchMode::kUninstallConfirm: return L"uninstall confirmation";
    case LaunchMode::kUninstallCleanUp: return L"uninstall clean-up";
    case LaunchMode::kGameProcess: return L"game process";
    case LaunchMode::kLauncher: return L"launcher";
  }
  return L"";
}

LaunchDecision DecideLaunchMode(std::wstring_view line) {
  const GameArguments game = ReadGameArguments(line);
  if (game.frameHandle != 0 && game.gameUrlGiven) return {LaunchMode::kGameProcess, {}};

  const std::wstring_view first = line.substr(0, 2);
  const std::wstring_view last = line.size() >= 2 ? line.substr(line.size() - 2) : line;
  // Everything from the fourth character on, i.e. what follows "-d " or "-u ".
  const auto tail = [&] { return std::wstring(line.size() > 3 ? line.substr(3) : std::wstring_view{}); };

  if (first == L"-d" && line.size() > 2) return {LaunchMode::kUpdateHandOver, tail()};
  if (last == L"-u") return {LaunchMode::kUninstallConfirm, {}};
  if (first == L"-u") return {LaunchMode::kUninstallCleanUp, tail()};
  return {LaunchMode::kLauncher, {}};
}

namespace {

// wcstol(text, nullptr, 10) on a bounded view: leading white space and a sign
// are accepted, conversion stops at the first non-digit, no digits give 0, and
// an out-of-range value saturates as wcstol does with a 32-bit long.
std::int64_t ConvertLikeWcstol(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && std::iswspace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  constexpr std::int64_t kMax = 2147483647;  // LONG_MAX on Windows
  std::int64_t value = 0;
  bool overflow = false;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > kMax + 1) overflow = true, value = kMax + 1;
  }
  if (negative) return overflow || value > kMax + 1 ? -kMax - 1 : -value;
  return value > kMax ? kMax : value;
}

}  // namespace

GameArguments ReadGameArguments(std::wstring_view line) {
  GameArguments args;
  std::wstring_view rest = line;
  static constexpr std::wstring_view kFrame = L"-frameWnd=";
  static constexpr std::wstring_view kUrl = L"-gameurl=";
  if (size_t at = rest.find(kFrame); at != std::wstring_view::npos) {
    rest = rest.substr(at + kFrame.size());
    if (size_t space = rest.find(L' '); space != std::wstring_view::npos) {
      args.frameHandle = ConvertLikeWcstol(rest.substr(0, space));
      rest = rest.substr(space);
    }
  }
  if (size_t at = rest.find(kUrl); at != std::wstring_view::npos) {
    args.gameUrl = std::wstring(rest.substr(at + kUrl.size()));
    args.gameUrlGiven = true;
  }
  return args;
}

}  // namespace qm
