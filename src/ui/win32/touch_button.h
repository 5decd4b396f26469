// The image button of the Win32 build: a push button of its owner's dialog,
// subclassed and owner-drawn from three PNG images over a copy of the
// owner's pixels under it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ui/button_state.h"
#include "ui/colour_matrix.h"
#include "ui/win32/skin_image.h"

namespace qm {

class CTouchButton {
 public:
  CTouchButton() = default;
  ~CTouchButton();
  CTouchButton(const CTouchButton&) = delete;
  CTouchButton& operator=(const CTouchButton&) = delete;

  // Binds the button control id of parent to this object and makes it
  // owner-drawn. The owner passes its WM_CTLCOLORBTN and WM_DRAWITEM on
  // through ReflectToButton.
  bool SubclassDlgItem(UINT id, HWND parent);
  void SetStateImages(UINT normalId, UINT hoverId, UINT pressedId);
  void SetToolTipText(const std::wstring& text, BOOL activate);

  HWND m_hWnd = nullptr;
  ButtonPicture current() const { return current_; }

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  friend bool ReflectToButton(HWND, UINT, WPARAM, LPARAM, LRESULT*);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void BuildPictures(HDC reference);
  HDC BuildPicture(HDC reference, CGdiPlusBitmapResource* image, const ColourMatrix* matrix);
  void DrawItem(const DRAWITEMSTRUCT& item);
  void DeleteToolTip();
  SIZE ClientSize() const;

  WNDPROC base_ = nullptr;
  ButtonFlags flags_;
  PointerTracker tracker_;
  bool prepared_ = false;
  ButtonPicture current_ = ButtonPicture::kNormal;
  std::unique_ptr<CGdiPlusBitmapResource> m_pHoverImage, m_pNormalImage, m_pPressedImage;
  std::wstring m_strToolTip;
  HWND m_pToolTip = nullptr;
  HDC m_dcBackground = nullptr;
  HDC m_dcPictures[4] = {};  // normal, pressed, hover, disabled
  HBITMAP bitmaps_[5] = {};  // the four pictures and the background
  HGDIOBJ oldBitmaps_[5] = {};
};

// Passes WM_CTLCOLORBTN and WM_DRAWITEM from an owner to the image button
// they concern; false when the message is not for an image button.
bool ReflectToButton(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

}  // namespace qm
