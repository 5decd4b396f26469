#include "frame/hotkeys.h"

#include "platform/settings.h"

namespace qm {
namespace {

std::vector<HotkeyNameRow> BuildNameTable() {
  std::vector<HotkeyNameRow> rows = {
      {L"Alt", 0x12}, {L"Ctrl", 0x11}, {L"Shift", 0x10}, {L"Space", 0x20},
      {L"PageUp", 0x21}, {L"PageDown", 0x22}, {L"End", 0x23}, {L"Home", 0x24},
      {L"Left", 0x25}, {L"Up", 0x26}, {L"Right", 0x27}, {L"Down", 0x28},
      {L"Insert", 0x2D}, {L"Delete", 0x2E},
  };
  auto add = [&](std::wstring name, std::uint32_t code) { rows.push_back({std::move(name), code}); };
  for (std::uint32_t i = 0; i < 10; ++i) add(std::wstring(1, static_cast<wchar_t>(L'0' + i)), 0x30 + i);
  for (std::uint32_t i = 0; i < 26; ++i) add(std::wstring(1, static_cast<wchar_t>(L'A' + i)), 0x41 + i);
  for (std::uint32_t i = 0; i < 10; ++i) add(L"Num" + std::to_wstring(i), 0x60 + i);
  const HotkeyNameRow tail1[] = {
      {L"Num*", 0x6A}, {L"Num+", 0x6B}, {L"Num-", 0x6D}, {L"NumDel", 0x6E}, {L"Num/", 0x6F},
  };
  rows.insert(rows.end(), std::begin(tail1), std::end(tail1));
  for (std::uint32_t i = 1; i <= 12; ++i) add(L"F" + std::to_wstring(i), 0x6F + i);
  const HotkeyNameRow tail2[] = {
      {L";", 0xBA}, {L"+", 0xBB}, {L",", 0xBC}, {L"-", 0xBD}, {L".", 0xBE}, {L"/", 0xBF},
      {L"`", 0xC0}, {L"[", 0xDB}, {L"\\", 0xDC}, {L"]", 0xDD}, {L"'", 0xDE},
  };
  rows.insert(rows.end(), std::begin(tail2), std::end(tail2));
  return rows;
}

}  // namespace

const std::vector<HotkeyNameRow>& HotkeyNameTable() {
  static const std::vector<HotkeyNameRow> table = BuildNameTable();
  return table;
}

std::uint32_t HotkeyCodeOfName(const std::wstring& name) {
  for (const HotkeyNameRow& row : HotkeyNameTable()) {
    if (name == row.name) return row.code;
  }
  return 0;
}

HotkeyCombination ParseHotkeyText(const std::wstring& text) {
  HotkeyCombination result;
  std::wstring rest = text;
  std::size_t plus;
  while (!rest.empty() && (plus = rest.find(L'+')) != std::wstring::npos) {
    const std::wstring token = rest.substr(0, plus);
    rest.erase(0, plus + 1);
    if (token == L"Alt") {
      result.modifiers |= kHotkeyModAlt;
    } else if (token == L"Ctrl") {
      result.modifiers |= kHotkeyModCtrl;
    } else if (token == L"Shift") {
      result.modifiers |= kHotkeyModShift;
    }
  }
  result.keyCode = HotkeyCodeOfName(rest);
  return result;
}

const std::vector<HotkeySetting>& HotkeySettings() {
  // A missing key falls back to the shipped combination: a plain "0" would take
  // the digit key away from every other program while the launcher runs.
  static const std::vector<HotkeySetting> settings = {
      {kBossKeyHotkeyId, L"screentoggle", L"F10"},
      {kFullScreenHotkeyId, L"fullscreen", L"F11"},
  };
  return settings;
}

std::optional<HotkeyCombination> HotkeyFromSettingText(const std::wstring& text) {
  if (text.empty()) return std::nullopt;
  const HotkeyCombination combination = ParseHotkeyText(text);
  // A text that names no key of the table would register key code 0, which
  // stands for no key at all; nothing is registered instead.
  if (combination.keyCode == 0) return std::nullopt;
  return combination;
}

std::vector<HotkeyBinding> ReadHotkeyBindings() {
  std::vector<HotkeyBinding> bindings;
  for (const HotkeySetting& setting : HotkeySettings()) {
    const std::wstring text = ReadSetting(L"Setting", setting.key, setting.fallback);
    if (const auto combination = HotkeyFromSettingText(text)) {
      bindings.push_back({setting.id, *combination});
    }
  }
  return bindings;
}

FrameHotkeyAction DecideHotkeyAction(int hotkeyId, const FrameHotkeyState& state) {
  if (hotkeyId == kBossKeyHotkeyId) {
    // Works whichever application is active.
    if (!state.minimizedByButton) {
      return state.visible ? FrameHotkeyAction::kHide : FrameHotkeyAction::kShow;
    }
    return state.maximized ? FrameHotkeyAction::kShowMaximizeForeground
                           : FrameHotkeyAction::kShowRestoreForeground;
  }
  if (hotkeyId == kFullScreenHotkeyId) {
    // Only while the player is in the launcher (focus inside the embedded game
    // window counts as the frame being active).
    if (!state.active) return FrameHotkeyAction::kNothing;
    return state.fullScreen ? FrameHotkeyAction::kLeaveFullScreen : FrameHotkeyAction::kEnterFullScreen;
  }
  return FrameHotkeyAction::kNothing;
}

namespace {

std::uint32_t KeysymOfCode(std::uint32_t code) {
  if (code >= 0x30 && code <= 0x39) return code;                 // digits
  if (code >= 0x41 && code <= 0x5A) return code + 0x20;          // letters, lower-case keysyms
  if (code >= 0x60 && code <= 0x69) return 0xFFB0 + (code - 0x60);  // keypad digits
  if (code >= 0x70 && code <= 0x7B) return 0xFFBE + (code - 0x70);  // F1 to F12
  struct Pair {
    std::uint32_t code, keysym;
  };
  static const Pair pairs[] = {
      {0x12, 0xFFE9}, {0x11, 0xFFE3}, {0x10, 0xFFE1},  // Alt_L, Control_L, Shift_L
      {0x20, 0x0020},                                  // space
      {0x21, 0xFF55}, {0x22, 0xFF56}, {0x23, 0xFF57}, {0x24, 0xFF50},  // Prior, Next, End, Home
      {0x25, 0xFF51}, {0x26, 0xFF52}, {0x27, 0xFF53}, {0x28, 0xFF54},  // Left, Up, Right, Down
      {0x2D, 0xFF63}, {0x2E, 0xFFFF},                                  // Insert, Delete
      {0x6A, 0xFFAA}, {0x6B, 0xFFAB}, {0x6D, 0xFFAD}, {0x6E, 0xFFAE}, {0x6F, 0xFFAF},  // keypad
      {0xBA, 0x003B}, {0xBB, 0x003D}, {0xBC, 0x002C}, {0xBD, 0x002D},  // ; = , -
      {0xBE, 0x002E}, {0xBF, 0x002F}, {0xC0, 0x0060},                  // . / `
      {0xDB, 0x005B}, {0xDC, 0x005C}, {0xDD, 0x005D}, {0xDE, 0x0027},  // [ \ ] '
  };
  for (const Pair& pair : pairs) {
    if (pair.code == code) return pair.keysym;
  }
  return 0;
}

}  // namespace

X11KeyGrab ToX11KeyGrab(const HotkeyCombination& combination) {
  X11KeyGrab grab;
  grab.keysym = KeysymOfCode(combination.keyCode);
  if (combination.modifiers & kHotkeyModShift) grab.modifierMask |= 1;  // ShiftMask
  if (combination.modifiers & kHotkeyModCtrl) grab.modifierMask |= 4;   // ControlMask
  if (combination.modifiers & kHotkeyModAlt) grab.modifierMask |= 8;    // Mod1Mask
  return grab;
}

std::vector<std::uint32_t> X11GrabMasks(std::uint32_t modifierMask) {
  constexpr std::uint32_t kLockMask = 2;
  constexpr std::uint32_t kMod2Mask = 16;
  return {modifierMask, modifierMask | kLockMask, modifierMask | kMod2Mask, modifierMask | kLockMask | kMod2Mask};
}

}  // namespace qm
