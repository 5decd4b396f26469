#include "frame/hotkeys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/settings.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(HotkeyNameTable, HasEightyEightRowsOneToOne) {
  const auto& table = HotkeyNameTable();
  EXPECT_EQ(table.size(), 88u);
  std::set<std::wstring> names;
  std::set<std::uint32_t> codes;
  for (const auto& row : table) {
    EXPECT_TRUE(names.insert(row.name).second) << Narrow(row.name);
    EXPECT_TRUE(codes.insert(row.code).second) << Narrow(row.name);
    EXPECT_NE(row.code, 0u) << Narrow(row.name);
    EXPECT_EQ(HotkeyCodeOfName(row.name), row.code) << Narrow(row.name);
  }
}

TEST(HotkeyNameTable, NamesAndCodes) {
  struct Case {
    const wchar_t* name;
    std::uint32_t code;
  };
  const Case cases[] = {
      {L"Alt", 0x12},    {L"Ctrl", 0x11},     {L"Shift", 0x10},  {L"Space", 0x20},  {L"PageUp", 0x21},
      {L"PageDown", 0x22}, {L"End", 0x23},    {L"Home", 0x24},   {L"Left", 0x25},   {L"Up", 0x26},
      {L"Right", 0x27},  {L"Down", 0x28},     {L"Insert", 0x2D}, {L"Delete", 0x2E}, {L"0", 0x30},
      {L"5", 0x35},      {L"9", 0x39},        {L"A", 0x41},      {L"M", 0x4D},      {L"Z", 0x5A},
      {L"Num0", 0x60},   {L"Num9", 0x69},     {L"Num*", 0x6A},   {L"Num+", 0x6B},   {L"Num-", 0x6D},
      {L"NumDel", 0x6E}, {L"Num/", 0x6F},     {L"F1", 0x70},     {L"F10", 0x79},    {L"F11", 0x7A},
      {L"F12", 0x7B},    {L";", 0xBA},        {L"+", 0xBB},      {L",", 0xBC},      {L"-", 0xBD},
      {L".", 0xBE},      {L"/", 0xBF},        {L"`", 0xC0},      {L"[", 0xDB},      {L"\\", 0xDC},
      {L"]", 0xDD},      {L"'", 0xDE},
      // Not in the table: lower case, other spellings, F13, the separator key code.
      {L"a", 0},         {L"f1", 0},          {L"ctrl", 0},      {L"Num.", 0},      {L"F13", 0},
      {L"F0", 0},        {L"Esc", 0},         {L"", 0},          {L" A", 0},        {L"Num5 ", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HotkeyCodeOfName(c.name), c.code) << Narrow(c.name);
  }
}

TEST(ParseHotkeyText, ModifiersAndKey) {
  struct Case {
    const wchar_t* text;
    std::uint32_t modifiers;
    std::uint32_t code;
  };
  const Case cases[] = {
      {L"F10", 0, 0x79},
      {L"F11", 0, 0x7A},
      {L"Ctrl+Shift+A", 6, 0x41},
      {L"Shift+Alt+F10", 5, 0x79},
      {L"Alt+Ctrl+Shift+Z", 7, 0x5A},
      {L"ctrl+f10", 0, 0},        // names are case-sensitive
      {L"Ctrl", 0, 0x11},         // the Ctrl key itself
      {L"Ctrl+Num+", 2, 0},       // "+" always separates
      {L"Alt++", 1, 0},
      {L"+", 0, 0},
      {L"Num+", 0, 0},
      {L"Foo+F5", 0, 0x74},       // a token that names no modifier is ignored
      {L"Ctrl+Ctrl+B", 2, 0x42},  // a repeated modifier adds the same bit
      {L"Ctrl+", 2, 0},           // no key after the last "+"
      {L"+F5", 0, 0x74},          // empty leading token
      {L"Alt+Num*", 1, 0x6A},
      {L"Shift+\\", 4, 0xDC},
      {L"Ctrl+Shift", 2, 0x10},   // the last part is the key, even a modifier key
      {L"Ctrl + A", 0, 0},        // spaces are part of the names
      {L"0", 0, 0x30},
      {L"", 0, 0},
  };
  for (const Case& c : cases) {
    const HotkeyCombination parsed = ParseHotkeyText(c.text);
    EXPECT_EQ(parsed.modifiers, c.modifiers) << Narrow(c.text);
    EXPECT_EQ(parsed.keyCode, c.code) << Narrow(c.text);
  }
}

TEST(HotkeyFromSettingText, RegistersOnlyTextsThatNameAKey) {
  struct Case {
    const wchar_t* text;
    bool registers;
    std::uint32_t modifiers;
    std::uint32_t code;
  };
  const Case cases[] = {
      {L"F10", true, 0, 0x79},
      {L"Ctrl+Shift+A", true, 6, 0x41},
      {L"0", true, 0, 0x30},  // a value the user wrote is honoured
      {L"", false, 0, 0},
      {L"Ctrl+Num+", false, 0, 0},
      {L"ctrl+f10", false, 0, 0},
      {L"Alt++", false, 0, 0},
  };
  for (const Case& c : cases) {
    const auto combination = HotkeyFromSettingText(c.text);
    ASSERT_EQ(combination.has_value(), c.registers) << Narrow(c.text);
    if (combination) {
      EXPECT_EQ(*combination, (HotkeyCombination{c.modifiers, c.code})) << Narrow(c.text);
    }
  }
}

TEST(HotkeySettings, BossKeyFirstThenFullScreen) {
  const auto& settings = HotkeySettings();
  ASSERT_EQ(settings.size(), 2u);
  EXPECT_EQ(settings[0].id, kBossKeyHotkeyId);
  EXPECT_EQ(settings[0].id, 2);
  EXPECT_EQ(std::wstring(settings[0].key), L"screentoggle");
  EXPECT_EQ(settings[1].id, kFullScreenHotkeyId);
  EXPECT_EQ(settings[1].id, 3);
  EXPECT_EQ(std::wstring(settings[1].key), L"fullscreen");
}

TEST(ReadHotkeyBindings, FromTheSettingsFile) {
  struct Case {
    const char* name;
    const char* file;  // nullptr: no settings file
    std::vector<HotkeyBinding> expected;
  };
  const HotkeyBinding f10{2, {0, 0x79}};
  const HotkeyBinding f11{3, {0, 0x7A}};
  const Case cases[] = {
      {"no file: shipped keys", nullptr, {f10, f11}},
      {"shipped file",
       "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
       "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\n[Start]\r\nfirststart=1\r\n",
       {f10, f11}},
      {"keys missing: shipped keys", "[Setting]\r\nsoundoff=0\r\n", {f10, f11}},
      {"own combinations", "[Setting]\r\nscreentoggle=Ctrl+Shift+Z\r\nfullscreen=Alt+Num5\r\n",
       {{2, {6, 0x5A}}, {3, {1, 0x65}}}},
      {"names of section and keys match without case", "[SETTING]\r\nSCREENTOGGLE=Alt+B\r\nFullScreen=F9\r\n",
       {{2, {1, 0x42}}, {3, {0, 0x78}}}},
      {"empty boss key registers nothing for it", "[Setting]\r\nscreentoggle=\r\nfullscreen=F11\r\n", {f11}},
      {"empty full-screen key registers nothing for it", "[Setting]\r\nscreentoggle=F10\r\nfullscreen=\r\n", {f10}},
      {"unknown key names register nothing", "[Setting]\r\nscreentoggle=Ctrl+Num+\r\nfullscreen=f11\r\n", {}},
      {"the screenshots key is not read", "[Setting]\r\nscreenshots=Ctrl+Shift+A\r\nscreentoggle=\r\nfullscreen=\r\n",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::IsolatedUserData user;
    if (c.file) test::WriteFile(FsPath(SettingsFilePath()), c.file);
    EXPECT_EQ(ReadHotkeyBindings(), c.expected);
  }
}

TEST(DecideHotkeyAction, BossKeyAndFullScreenKey) {
  using A = FrameHotkeyAction;
  struct Case {
    const char* name;
    int id;
    FrameHotkeyState state;  // visible, minimizedByButton, maximized, fullScreen, active
    A action;
  };
  const Case cases[] = {
      {"boss key hides a visible frame", 2, {true, false, true, false, true}, A::kHide},
      {"boss key hides even when another program is in front", 2, {true, false, true, false, false}, A::kHide},
      {"boss key hides a full-screen frame", 2, {true, false, true, true, true}, A::kHide},
      {"boss key shows a hidden frame", 2, {false, false, true, false, false}, A::kShow},
      {"boss key shows a hidden restored frame", 2, {false, false, false, false, false}, A::kShow},
      {"boss key brings back a frame minimized while maximized", 2, {true, true, true, false, false},
       A::kShowMaximizeForeground},
      {"boss key brings back a frame minimized while restored", 2, {true, true, false, false, false},
       A::kShowRestoreForeground},
      {"boss key brings back a hidden frame minimized by button", 2, {false, true, false, false, false},
       A::kShowRestoreForeground},
      {"full-screen key enters full screen", 3, {true, false, true, false, true}, A::kEnterFullScreen},
      {"full-screen key enters from a restored frame", 3, {true, false, false, false, true}, A::kEnterFullScreen},
      {"full-screen key leaves full screen", 3, {true, false, true, true, true}, A::kLeaveFullScreen},
      {"full-screen key with another program in front", 3, {true, false, true, false, false}, A::kNothing},
      {"full-screen key in full screen with another program in front", 3, {true, false, true, true, false},
       A::kNothing},
      {"other id", 1, {true, false, true, false, true}, A::kNothing},
      {"other id 4", 4, {false, true, false, true, true}, A::kNothing},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecideHotkeyAction(c.id, c.state), c.action) << c.name;
  }
}

TEST(DecideHotkeyAction, BossKeyTwiceHidesAndShows) {
  FrameHotkeyState state;
  state.visible = true;
  ASSERT_EQ(DecideHotkeyAction(kBossKeyHotkeyId, state), FrameHotkeyAction::kHide);
  state.visible = false;
  EXPECT_EQ(DecideHotkeyAction(kBossKeyHotkeyId, state), FrameHotkeyAction::kShow);
}

TEST(ToX11KeyGrab, KeysymsAndModifierMasks) {
  struct Case {
    const wchar_t* text;
    std::uint32_t keysym;
    std::uint32_t mask;
  };
  const Case cases[] = {
      {L"F10", 0xFFC7, 0},         {L"F1", 0xFFBE, 0},           {L"F12", 0xFFC9, 0},
      {L"Ctrl+Shift+A", 0x61, 5},  {L"Alt+Z", 0x7A, 8},          {L"Alt+Ctrl+Shift+0", 0x30, 13},
      {L"Num0", 0xFFB0, 0},        {L"Num9", 0xFFB9, 0},         {L"Num*", 0xFFAA, 0},
      {L"Num-", 0xFFAD, 0},        {L"NumDel", 0xFFAE, 0},       {L"Num/", 0xFFAF, 0},
      {L"Space", 0x20, 0},         {L"PageUp", 0xFF55, 0},       {L"PageDown", 0xFF56, 0},
      {L"End", 0xFF57, 0},         {L"Home", 0xFF50, 0},         {L"Left", 0xFF51, 0},
      {L"Up", 0xFF52, 0},          {L"Right", 0xFF53, 0},        {L"Down", 0xFF54, 0},
      {L"Insert", 0xFF63, 0},      {L"Delete", 0xFFFF, 0},       {L"Ctrl", 0xFFE3, 0},
      {L"Shift", 0xFFE1, 0},       {L"Alt", 0xFFE9, 0},          {L";", 0x3B, 0},
      {L",", 0x2C, 0},             {L"-", 0x2D, 0},              {L".", 0x2E, 0},
      {L"/", 0x2F, 0},             {L"`", 0x60, 0},              {L"[", 0x5B, 0},
      {L"\\", 0x5C, 0},            {L"]", 0x5D, 0},              {L"'", 0x27, 0},
      {L"Ctrl+Num+", 0, 4},        {L"nothing", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToX11KeyGrab(ParseHotkeyText(c.text)), (X11KeyGrab{c.keysym, c.mask})) << Narrow(c.text);
  }
}

TEST(ToX11KeyGrab, EveryKeyOfTheTableHasAKeysym) {
  std::set<std::uint32_t> keysyms;
  for (const auto& row : HotkeyNameTable()) {
    const X11KeyGrab grab = ToX11KeyGrab({0, row.code});
    EXPECT_NE(grab.keysym, 0u) << Narrow(row.name);
    EXPECT_TRUE(keysyms.insert(grab.keysym).second) << Narrow(row.name);
  }
  // "+" (the =/+ key) and "Num+" have keysyms too, for a platform that registers by code.
  EXPECT_EQ(ToX11KeyGrab({0, 0xBB}).keysym, 0x3Du);
  EXPECT_EQ(ToX11KeyGrab({0, 0x6B}).keysym, 0xFFABu);
}

TEST(X11GrabMasks, EveryLockStateIsGrabbed) {
  struct Case {
    std::uint32_t mask;
    std::vector<std::uint32_t> masks;
  };
  const Case cases[] = {
      {0, {0, 2, 16, 18}},
      {5, {5, 7, 21, 23}},   // Ctrl+Shift
      {13, {13, 15, 29, 31}},  // Alt+Ctrl+Shift
  };
  for (const Case& c : cases) {
    EXPECT_EQ(X11GrabMasks(c.mask), c.masks) << c.mask;
  }
}

}  // namespace
}  // namespace qm
