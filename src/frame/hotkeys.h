// The frame's two system-wide hotkeys: the boss key (hide and bring back the
// launcher) and the full-screen key. Their combinations are texts in the
// settings file such as "F10" or "Ctrl+Shift+A"; this file turns them into
// modifier bits and a Windows virtual-key code, and decides what a pressed
// hotkey does to the frame. The platform part only registers the bindings that
// ReadHotkeyBindings returns and carries out the decided action.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

// Modifier bits, the values of the platform's MOD_ALT, MOD_CONTROL, MOD_SHIFT.
constexpr std::uint32_t kHotkeyModAlt = 1;
constexpr std::uint32_t kHotkeyModCtrl = 2;
constexpr std::uint32_t kHotkeyModShift = 4;

// Hotkey ids, as the frame registers them and as WM_HOTKEY reports them.
constexpr int kBossKeyHotkeyId = 2;
constexpr int kFullScreenHotkeyId = 3;

struct HotkeyNameRow {
  std::wstring name;
  std::uint32_t code;  // Windows virtual-key code
};

// The fixed table of key names, one-to-one between names and codes.
const std::vector<HotkeyNameRow>& HotkeyNameTable();

// The code of a key name (matched exactly, case-sensitively), or 0.
std::uint32_t HotkeyCodeOfName(const std::wstring& name);

struct HotkeyCombination {
  std::uint32_t modifiers = 0;
  std::uint32_t keyCode = 0;  // 0: the text names no key of the table
  bool operator==(const HotkeyCombination& o) const { return modifiers == o.modifiers && keyCode == o.keyCode; }
};

// Every part before a "+" may name a modifier (others are ignored); the last
// part names the key. "+" always separates, so "+" and "Num+" can never be the
// key of a text.
HotkeyCombination ParseHotkeyText(const std::wstring& text);

struct HotkeySetting {
  int id;
  const wchar_t* key;       // key in section "Setting"
  const wchar_t* fallback;  // used when the settings file lacks the key
};

// The boss key ("screentoggle") first, then the full-screen key ("fullscreen").
const std::vector<HotkeySetting>& HotkeySettings();

// What a settings value registers: nothing for an empty text or for a text
// whose key is not in the table.
std::optional<HotkeyCombination> HotkeyFromSettingText(const std::wstring& text);

struct HotkeyBinding {
  int id;
  HotkeyCombination combination;
  bool operator==(const HotkeyBinding& o) const { return id == o.id && combination == o.combination; }
};

// Reads both settings once (at frame start) and returns the hotkeys to
// register, in registration order. A changed file takes effect at the next
// launcher start.
std::vector<HotkeyBinding> ReadHotkeyBindings();

// The frame's state as far as a hotkey needs it.
struct FrameHotkeyState {
  bool visible = true;
  bool minimizedByButton = false;  // the player minimized with the minimize button
  bool maximized = true;           // the maximized flag
  bool fullScreen = false;         // the full-screen flag
  bool active = false;             // the frame or its last active popup is in the foreground
};

enum class FrameHotkeyAction {
  kNothing,
  kHide,                    // hide the frame; the tray icon stays
  kShow,                    // show the frame
  kShowMaximizeForeground,  // show, MaximizeFrame, bring to the foreground
  kShowRestoreForeground,   // show, RestoreFrame, bring to the foreground
  kEnterFullScreen,         // EnterFullScreen, keeping the minimized-by-button flag
  kLeaveFullScreen,         // LeaveFullScreen
};

// What the frame does for a pressed hotkey. In every case the message then
// goes on to default processing.
FrameHotkeyAction DecideHotkeyAction(int hotkeyId, const FrameHotkeyState& state);

// The same combination for an X11 key grab: a keysym and the X modifier mask
// (ShiftMask 1, ControlMask 4, Mod1Mask 8). keysym is 0 when the key code has
// no counterpart.
struct X11KeyGrab {
  std::uint32_t keysym = 0;
  std::uint32_t modifierMask = 0;
  bool operator==(const X11KeyGrab& o) const { return keysym == o.keysym && modifierMask == o.modifierMask; }
};
X11KeyGrab ToX11KeyGrab(const HotkeyCombination& combination);

// The modifier masks to grab so that the hotkey fires whatever the state of
// Caps Lock (LockMask 2) and Num Lock (Mod2Mask 16): the mask itself first.
std::vector<std::uint32_t> X11GrabMasks(std::uint32_t modifierMask);

}  // namespace qm
