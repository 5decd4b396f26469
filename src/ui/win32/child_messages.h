// Messages between the window host and the child controls inside it.
#pragma once

#include <windows.h>

namespace qm {

// The host sends its WM_DRAWITEM on to the owner-drawn child it concerns as
// this message, with the same parameters, so that each child draws itself.
constexpr UINT kReflectedDrawItem = WM_USER + 0x1C00 + WM_DRAWITEM;

}  // namespace qm
