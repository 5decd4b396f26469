// GDK key values become the Win32 key numbers the controllers compare with.
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include "ui/linux/key_map.h"
#include "ui/window_host.h"

namespace qm {
namespace {

TEST(KeyMap, GdkKeyvalsBecomeWin32KeyNumbers) {
  const struct {
    unsigned keyval;
    int key;
  } cases[] = {
      {GDK_KEY_Escape, keys::kEscape}, {GDK_KEY_Return, keys::kReturn}, {GDK_KEY_KP_Enter, keys::kReturn},
      {GDK_KEY_Tab, keys::kTab},       {GDK_KEY_ISO_Left_Tab, keys::kTab}, {GDK_KEY_space, keys::kSpace},
      {GDK_KEY_a, 'A'},                {GDK_KEY_A, 'A'},                  {GDK_KEY_x, 'X'},
      {GDK_KEY_0, '0'},                {GDK_KEY_9, '9'},                  {GDK_KEY_F1, keys::kF1},
      {GDK_KEY_F5, keys::kF5},         {GDK_KEY_F10, keys::kF10},         {GDK_KEY_F11, keys::kF11},
      {GDK_KEY_F12, keys::kF12},       {GDK_KEY_Left, keys::kLeft},       {GDK_KEY_KP_Down, keys::kDown},
      {GDK_KEY_Delete, keys::kDelete}, {GDK_KEY_KP_3, 0x63},              {GDK_KEY_Control_R, keys::kControl},
      {GDK_KEY_dead_acute, 0},         {GDK_KEY_VoidSymbol, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(VirtualKeyFromGdkKeyval(c.keyval), c.key) << std::hex << c.keyval;
}

}  // namespace
}  // namespace qm
