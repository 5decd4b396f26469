// Images from the resources and off-screen drawing for the Win32 build: PNG
// resources decoded by GDI+ from a stream over a global memory block, a GDI+
// implementation of the drawing interface, and off-screen surfaces that are
// memory device contexts with a bitmap compatible with the screen.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "platform/win32/owners.h"
#include "ui/canvas.h"

namespace qm {

// Starts GDI+ once per process; it stays up until the process ends.
bool EnsureGdiPlus();

// The PNG resource id as a GDI+ image, or null when there is no such resource
// or no memory. Bytes GDI+ cannot decode still give an image, whose status is
// not Ok and whose size reads 0.
std::unique_ptr<Gdiplus::Image> LoadPngImage(UINT id);

// Owns one GDI+ bitmap; empty when m_pBitmap is null.
class CGdiPlusBitmap {
 public:
  CGdiPlusBitmap() = default;
  virtual ~CGdiPlusBitmap() = default;
  CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
  CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;
  std::unique_ptr<Gdiplus::Bitmap> m_pBitmap;
};

// A bitmap decoded from a PNG resource, read from a stream over a movable
// block that stays locked while the bitmap exists.
class CGdiPlusBitmapResource : public CGdiPlusBitmap {
 public:
  ~CGdiPlusBitmapResource() override;
  // Replaces the content; true when a decoded bitmap is now held.
  bool Load(UINT id);
  HGLOBAL buffer() const { return m_hBuffer.get(); }

 private:
  void Empty();
  UniqueHGlobal m_hBuffer;
  bool locked_ = false;
};

// A memory device context with a bitmap compatible with reference (the
// screen when null) selected into it; the bitmap starts black.
class MemoryBitmap {
 public:
  MemoryBitmap(HDC reference, int width, int height);
  HDC dc() const { return dc_.get(); }
  bool valid() const { return dc_ && bitmap_; }

 private:
  UniqueHdc dc_;
  UniqueHBitmap bitmap_;
  std::unique_ptr<SelectedObject> selected_;
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
  HDC dc() const { return m_bMemDC ? m_memory->dc() : m_pDC; }
  const RECT& rect() const { return m_rect; }
  bool offScreen() const { return m_bMemDC; }

 private:
  HDC m_pDC;
  RECT m_rect{};
  bool m_bMemDC;
  std::unique_ptr<MemoryBitmap> m_memory;
};

class GdiPlusSkinImage : public SkinImage {
 public:
  explicit GdiPlusSkinImage(std::unique_ptr<Gdiplus::Image> image) : image_(std::move(image)) {}
  int Width() const override { return static_cast<int>(image_->GetWidth()); }
  int Height() const override { return static_cast<int>(image_->GetHeight()); }
  Gdiplus::Image* image() const { return image_.get(); }

 private:
  std::unique_ptr<Gdiplus::Image> image_;
};

class GdiPlusCanvas : public Canvas {
 public:
  explicit GdiPlusCanvas(Gdiplus::Graphics& graphics) : g_(graphics) {}
  // A canvas that owns its graphics object (over a surface's context).
  explicit GdiPlusCanvas(std::unique_ptr<Gdiplus::Graphics> graphics) : owned_(std::move(graphics)), g_(*owned_) {}
  void DrawImage(const SkinImage& image, int x, int y) override;
  void DrawImageColoured(const SkinImage& image, int x, int y, const ColourMatrix& matrix) override;
  void FillTiled(const SkinImage& image, const PixelRect& rect, int originX, int originY) override;
  void FillSolid(const PixelRect& rect, Argb colour) override;
  void DrawString(const std::wstring& text, const FontSpec& font, const TextFormat& format, const FloatRect& rect,
                  Argb colour) override;

 private:
  std::unique_ptr<Gdiplus::Graphics> owned_;
  Gdiplus::Graphics& g_;
};

// The Surface of this build: a memory bitmap compatible with the screen.
class GdiSurface : public Surface {
 public:
  GdiSurface(int width, int height);
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  std::unique_ptr<Canvas> Paint() override;
  std::unique_ptr<Surface> Clone() const override;
  HDC dc() const { return memory_.dc(); }

 private:
  int width_, height_;
  MemoryBitmap memory_;
};

// The device context of a surface of this build.
inline HDC SurfaceDc(const Surface& surface) { return static_cast<const GdiSurface&>(surface).dc(); }

}  // namespace qm
