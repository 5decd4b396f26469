#include "ui/linux/key_map.h"

#include <gdk/gdkkeysyms.h>

#include "ui/window_host.h"

namespace qm {

int VirtualKeyFromGdkKeyval(unsigned keyval) {
  if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return static_cast<int>('A' + (keyval - GDK_KEY_a));
  if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return static_cast<int>('A' + (keyval - GDK_KEY_A));
  if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return static_cast<int>('0' + (keyval - GDK_KEY_0));
  if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24) return keys::kF1 + static_cast<int>(keyval - GDK_KEY_F1);
  // The keypad's digits are the Win32 numeric-pad keys 0x60..0x69.
  if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9) return 0x60 + static_cast<int>(keyval - GDK_KEY_KP_0);
  switch (keyval) {
    case GDK_KEY_BackSpace: return keys::kBack;
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab: return keys::kTab;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter: return keys::kReturn;
    case GDK_KEY_Shift_L:
    case GDK_KEY_Shift_R: return keys::kShift;
    case GDK_KEY_Control_L:
    case GDK_KEY_Control_R: return keys::kControl;
    case GDK_KEY_Alt_L:
    case GDK_KEY_Alt_R: return keys::kAlt;
    case GDK_KEY_Escape: return keys::kEscape;
    case GDK_KEY_space: return keys::kSpace;
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up: return keys::kPageUp;
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down: return keys::kPageDown;
    case GDK_KEY_End:
    case GDK_KEY_KP_End: return keys::kEnd;
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home: return keys::kHome;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left: return keys::kLeft;
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up: return keys::kUp;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right: return keys::kRight;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down: return keys::kDown;
    case GDK_KEY_Insert:
    case GDK_KEY_KP_Insert: return keys::kInsert;
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete: return keys::kDelete;
    default: return 0;
  }
}

}  // namespace qm
