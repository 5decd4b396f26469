// Images from the resources and off-screen drawing for the Win32 build: PNG
// resources decoded by GDI+ from a stream over a global memory block, and a
// GDI+ implementation of the drawing interface.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "ui/canvas.h"

namespace qm {

// Starts GDI+ once per process; it stays up until the process ends.
bool EnsureGdiPlus();

// The PNG resource id as a GDI+ image the caller deletes, or null when there
// is no such resource or no memory. Bytes GDI+ cannot decode still give an
// image, whose status is not Ok and whose size reads 0.
Gdiplus::Image* LoadPngImage(UINT id);

// Owns one GDI+ bitmap; empty when m_pBitmap is null.
class CGdiPlusBitmap {
 public:
  CGdiPlusBitmap() = default;
  virtual ~CGdiPlusBitmap();
  CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
  CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;
  Gdiplus::Bitmap* m_pBitmap = nullptr;
};

// A bitmap decoded from a PNG resource, read from a stream over a movable
// block that stays locked while the bitmap exists.
class CGdiPlusBitmapResource : public CGdiPlusBitmap {
 public:
  ~CGdiPlusBitmapResource() override;
  // Replaces the content; true when a decoded bitmap is now held.
  bool Load(UINT id);
  HGLOBAL m_hBuffer = nullptr;

 private:
  void Empty();
};

// A device context that draws into an off-screen bitmap over rect (in the
// target's logical coordinates) and copies the result to the target when it
// goes away. A null rect covers the target's clip box. Over a printer
// context, drawing goes straight to the printer.
class CMyMemDC {
 public:
  explicit CMyMemDC(HDC target, const RECT* rect = nullptr);
  ~CMyMemDC();
  CMyMemDC(const CMyMemDC&) = delete;
  CMyMemDC& operator=(const CMyMemDC&) = delete;
  HDC dc() const { return m_bMemDC ? m_hDC : m_pDC; }
  const RECT& rect() const { return m_rect; }
  bool offScreen() const { return m_bMemDC; }

 private:
  HDC m_hDC = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_oldBitmap = nullptr;
  HDC m_pDC;
  RECT m_rect{};
  bool m_bMemDC;
};

class GdiPlusSkinImage : public SkinImage {
 public:
  explicit GdiPlusSkinImage(Gdiplus::Image* image) : image_(image) {}
  ~GdiPlusSkinImage() override { delete image_; }
  int Width() const override { return static_cast<int>(image_->GetWidth()); }
  int Height() const override { return static_cast<int>(image_->GetHeight()); }
  Gdiplus::Image* image() const { return image_; }

 private:
  Gdiplus::Image* image_;
};

class GdiPlusCanvas : public Canvas {
 public:
  explicit GdiPlusCanvas(Gdiplus::Graphics& graphics) : g_(graphics) {}
  void DrawImage(const SkinImage& image, int x, int y) override;
  void FillTiled(const SkinImage& image, const PixelRect& rect, int originX, int originY) override;
  void FillSolid(const PixelRect& rect, Argb colour) override;
  void DrawString(const std::wstring& text, const FontSpec& font, const TextFormat& format, const FloatRect& rect,
                  Argb colour) override;

 private:
  Gdiplus::Graphics& g_;
};

}  // namespace qm
