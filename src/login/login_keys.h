// Which way a key pressed in the web login dialog goes. Keys are given as
// Windows virtual-key codes; the Linux window layer maps its key values to
// these before asking.
#pragma once

namespace qm {

enum class LoginKeyRoute {
  kToFocusedWindow,    // not pre-translated at all: goes on to the focused page
  kToPageAccelerator,  // offered to the page document's accelerator handling
  kDropped,            // swallowed
  kDialogProcessing,   // the dialog's own keyboard processing
};

namespace vk {
constexpr unsigned kTab = 0x09;
constexpr unsigned kReturn = 0x0D;
constexpr unsigned kEscape = 0x1B;
constexpr unsigned kSpace = 0x20;
}  // namespace vk

// The route of a key-down of virtualKey, with ctrlDown telling whether Ctrl is
// held. Enter and Space go on to the page, so they act in its fields and never
// press one of the dialog's buttons; Tab and Ctrl+A/C/V/X go to the page's
// accelerators (field navigation, select all, copy, paste, cut); Escape is
// dropped, so it never closes the dialog; every other key gets the dialog's
// processing.
LoginKeyRoute RouteLoginKey(unsigned virtualKey, bool ctrlDown);

}  // namespace qm
