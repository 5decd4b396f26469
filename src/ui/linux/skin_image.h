// Images from the resources and off-screen drawing for the GTK build: PNG
// bytes decoded straight from the embedded resource into cairo surfaces, and
// a cairo implementation of the drawing interface.
#pragma once

#include <cairo.h>
#include <gtk/gtk.h>

#include "ui/canvas.h"

namespace qm {

// Starts GTK once per process on the X11 backend. False without a display.
bool EnsureGtk();

// The PNG resource id as a premultiplied ARGB32 surface the caller destroys,
// or null when there is no such resource. Undecodable bytes give a surface
// in an error state whose width and height read 0.
cairo_surface_t* LoadPngImage(unsigned id);

// Owns one decoded image; empty when m_pBitmap is null.
class CGdiPlusBitmap {
 public:
  CGdiPlusBitmap() = default;
  virtual ~CGdiPlusBitmap();
  CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
  CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;
  int Width() const;
  int Height() const;
  cairo_surface_t* m_pBitmap = nullptr;

 protected:
  void Release();
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
  cairo_t* cr() const { return m_cr; }
  const PixelRect& rect() const { return m_rect; }

 private:
  cairo_t* m_pDC;
  cairo_surface_t* m_bitmap = nullptr;
  cairo_t* m_cr = nullptr;
  PixelRect m_rect;
};

class CairoSkinImage : public SkinImage {
 public:
  explicit CairoSkinImage(cairo_surface_t* surface) : surface_(surface) {}
  ~CairoSkinImage() override { cairo_surface_destroy(surface_); }
  int Width() const override;
  int Height() const override;
  cairo_surface_t* surface() const { return surface_; }

 private:
  cairo_surface_t* surface_;
};

class CairoCanvas : public Canvas {
 public:
  explicit CairoCanvas(cairo_t* cr) : cr_(cr) {}
  void DrawImage(const SkinImage& image, int x, int y) override;
  void FillTiled(const SkinImage& image, const PixelRect& rect, int originX, int originY) override;
  void FillSolid(const PixelRect& rect, Argb colour) override;
  void DrawString(const std::wstring& text, const FontSpec& font, const TextFormat& format, const FloatRect& rect,
                  Argb colour) override;

 private:
  cairo_t* cr_;
};

}  // namespace qm
