// libFuzzer target of the hotkey text: any text as a value of the settings
// file's screentoggle or fullscreen key, parsed into modifiers and a key,
// judged for registration and turned into an X11 key grab. See fuzz_text.h
// for how bytes become text.
#include <cstdint>
#include <set>
#include <string>

#include "frame/hotkeys.h"
#include "fuzz_text.h"

namespace qm {
namespace {

const HotkeyNameRow* RowOfCode(std::uint32_t code) {
  for (const HotkeyNameRow& row : HotkeyNameTable()) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

void CheckText(const std::wstring& text) {
  const HotkeyCombination combination = ParseHotkeyText(text);
  fuzz::Check((combination.modifiers & ~(kHotkeyModAlt | kHotkeyModCtrl | kHotkeyModShift)) == 0,
              "only the three modifier bits", text);

  // The key is the part after the last "+", the modifiers the parts before it
  // that name one.
  const size_t lastPlus = text.rfind(L'+');
  const std::wstring keyPart = lastPlus == std::wstring::npos ? text : text.substr(lastPlus + 1);
  fuzz::Check(combination.keyCode == HotkeyCodeOfName(keyPart), "the key is named by the last part", text);
  std::uint32_t modifiers = 0;
  for (size_t from = 0; lastPlus != std::wstring::npos && from <= lastPlus;) {
    const size_t plus = text.find(L'+', from);
    const std::wstring token = text.substr(from, plus - from);
    if (token == L"Alt") modifiers |= kHotkeyModAlt;
    if (token == L"Ctrl") modifiers |= kHotkeyModCtrl;
    if (token == L"Shift") modifiers |= kHotkeyModShift;
    from = plus + 1;
  }
  fuzz::Check(combination.modifiers == modifiers, "the modifiers are the parts before the key that name one", text);
  // "+" always separates, so neither "+" nor "Num+" is ever the key.
  fuzz::Check(combination.keyCode != HotkeyCodeOfName(L"+") && combination.keyCode != HotkeyCodeOfName(L"Num+"),
              "+ is never the key", text);

  const std::optional<HotkeyCombination> registered = HotkeyFromSettingText(text);
  fuzz::Check(registered.has_value() == (!text.empty() && combination.keyCode != 0),
              "a text registers exactly when it names a key", text);
  if (registered) fuzz::Check(*registered == combination, "what registers is what the text names", text);

  const X11KeyGrab grab = ToX11KeyGrab(combination);
  fuzz::Check((grab.keysym != 0) == (combination.keyCode != 0), "every key of the table has a keysym", text);
  const std::uint32_t mask = ((combination.modifiers & kHotkeyModShift) ? 1 : 0) |
                             ((combination.modifiers & kHotkeyModCtrl) ? 4 : 0) |
                             ((combination.modifiers & kHotkeyModAlt) ? 8 : 0);
  fuzz::Check(grab.modifierMask == mask, "Shift, Ctrl and Alt grab ShiftMask, ControlMask and Mod1Mask", text);
  const std::vector<std::uint32_t> masks = X11GrabMasks(grab.modifierMask);
  fuzz::Check(!masks.empty() && masks.front() == grab.modifierMask &&
                  std::set<std::uint32_t>(masks.begin(), masks.end()).size() == 4,
              "the grab's own mask first, then each lock state once", text);

  // The combination written out again in the settings' own spelling parses
  // back to itself.
  if (combination.keyCode != 0) {
    const HotkeyNameRow* row = RowOfCode(combination.keyCode);
    fuzz::Check(row != nullptr, "the key is a row of the table", text);
    std::wstring canonical;
    if (combination.modifiers & kHotkeyModCtrl) canonical += L"Ctrl+";
    if (combination.modifiers & kHotkeyModAlt) canonical += L"Alt+";
    if (combination.modifiers & kHotkeyModShift) canonical += L"Shift+";
    canonical += row->name;
    fuzz::Check(ParseHotkeyText(canonical) == combination, "a combination written out parses back", canonical);
  }
}

}  // namespace
}  // namespace qm

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qm::CheckText(qm::fuzz::WideFromInput(data, size));
  return 0;
}
