// Images from the resources and off-screen drawing for the GTK build: PNG
// bytes decoded straight from the embedded resource into cairo surfaces, a
// cairo implementation of the drawing interface, and off-screen surfaces.
#pragma once

#include <cairo.h>
#include <gtk/gtk.h>

#include "platform/linux/owners.h"
#include "ui/canvas.h"

namespace qm {

// Starts GTK once per process on the X11 backend. False without a display.
bool EnsureGtk();

// The PNG resource id as a premultiplied ARGB32 surface, or null when there
// is no such resource. Undecodable bytes give a surface in an error state
// whose width and height read 0.
CairoSurfacePtr LoadPngImage(unsigned id);

// Owns one decoded image; empty when m_pBitmap is null.
class CGdiPlusBitmap {
 public:
  CGdiPlusBitmap() = default;
  virtual ~CGdiPlusBitmap() = default;
  CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
  CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;
  int Width() const;
  int Height() const;
  CairoSurfacePtr m_pBitmap;
};

// Loads its image from a PNG resource; never keeps an undecodable one.
class CGdiPlusBitmapResource : public CGdiPlusBitmap {
 public:
  ~CGdiPlusBitmapResource() override = default;
  bool Load(unsigned id);
};

// Draws into an off-screen surface over rect (in the target's coordinates)
// and copies the result onto the target in one go when it goes away. An
// empty rect covers the target's clip extents.
class CMyMemDC {
 public:
  explicit CMyMemDC(cairo_t* target, PixelRect rect = {});
  ~CMyMemDC();
  CMyMemDC(const CMyMemDC&) = delete;
  CMyMemDC& operator=(const CMyMemDC&) = delete;
  cairo_t* cr() const { return m_cr.get(); }
  const PixelRect& rect() const { return m_rect; }

 private:
  cairo_t* m_pDC;
  CairoSurfacePtr m_bitmap;
  CairoPtr m_cr;
  PixelRect m_rect;
};

class CairoSkinImage : public SkinImage {
 public:
  explicit CairoSkinImage(CairoSurfacePtr surface) : surface_(std::move(surface)) {}
  int Width() const override;
  int Height() const override;
  cairo_surface_t* surface() const { return surface_.get(); }

 private:
  CairoSurfacePtr surface_;
};

class CairoCanvas : public Canvas {
 public:
  explicit CairoCanvas(cairo_t* cr) : cr_(cr) {}
  // A canvas that owns its context (over a surface).
  explicit CairoCanvas(CairoPtr cr) : owned_(std::move(cr)), cr_(owned_.get()) {}
  void DrawImage(const SkinImage& image, int x, int y) override;
  void DrawImageColoured(const SkinImage& image, int x, int y, const ColourMatrix& matrix) override;
  void FillTiled(const SkinImage& image, const PixelRect& rect, int originX, int originY) override;
  void FillSolid(const PixelRect& rect, Argb colour) override;
  void DrawString(const std::wstring& text, const FontSpec& font, const TextFormat& format, const FloatRect& rect,
                  Argb colour) override;

 private:
  CairoPtr owned_;
  cairo_t* cr_;
};

// The Surface of this build: an ARGB32 image surface.
class CairoSurface : public Surface {
 public:
  CairoSurface(int width, int height);
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  std::unique_ptr<Canvas> Paint() override;
  std::unique_ptr<Surface> Clone() const override;
  cairo_surface_t* surface() const { return surface_.get(); }

 private:
  int width_, height_;
  CairoSurfacePtr surface_;
};

// The cairo surface of a surface of this build.
inline cairo_surface_t* CairoSurfaceOf(const Surface& surface) {
  return static_cast<const CairoSurface&>(surface).surface();
}

}  // namespace qm
