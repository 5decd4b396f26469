// The small drawing interface every skinned window paints through, so that a
// window's look is written once and both builds draw it: GDI+ on Windows,
// cairo and Pango on Linux.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/colour_matrix.h"

namespace qm {

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  int right() const { return x + width; }
  int bottom() const { return y + height; }
  bool operator==(const PixelRect&) const = default;
};

struct FloatRect {
  float x = 0, y = 0, width = 0, height = 0;
};

// 0xAARRGGBB.
using Argb = uint32_t;

enum class FontStyle { kRegular = 0, kBold = 1 };

// A font by family name and em size in pixels. A family that is not
// installed falls back to the generic sans-serif family.
struct FontSpec {
  std::wstring family;
  float pixels = 12;
  FontStyle style = FontStyle::kRegular;
};

// Sans-serif families tried in order when a requested family is missing and
// the system names no generic sans-serif family of its own (as under Wine
// without the core fonts); the CJK family comes early so that Chinese texts
// keep their glyphs.
const std::vector<std::wstring>& SansSerifFallbacks();

// The text as drawn with ellipsis trimming: whole when fits(text), else the
// longest prefix that fits with "…" after it (just "…" when none does).
// fits must hold for shorter candidates whenever it holds for longer ones.
std::wstring TrimWithEllipsis(const std::wstring& text, const std::function<bool(const std::wstring&)>& fits);

enum class TextAlign { kNear, kCenter, kFar };
enum class TextTrimming { kNone, kCharacterEllipsis, kWordEllipsis };

// Text is laid out in a rectangle with word wrapping, aligned horizontally
// and cut at the rectangle's bottom with the given trimming.
struct TextFormat {
  TextAlign align = TextAlign::kNear;
  TextTrimming trimming = TextTrimming::kNone;
};

// A decoded PNG image of the resources.
class SkinImage {
 public:
  virtual ~SkinImage() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

// The PNG resource id as an image, or null when there is no such resource
// or its bytes cannot be decoded.
std::unique_ptr<SkinImage> LoadSkinImage(unsigned id);

// The BITMAP resource id as an image (opaque), or null when there is none.
std::unique_ptr<SkinImage> LoadSkinBitmap(unsigned id);

class Canvas;

// A copy of image, at its size and with its per-pixel alpha, with what paint
// draws over it; the original stays as it was. Null when there is no memory
// for the copy. For a face that is set once as the window's pixels (an
// alpha face), where drawing in OnPaint would never show.
std::unique_ptr<SkinImage> DrawOverImage(const SkinImage& image, const std::function<void(Canvas&)>& paint);

class Canvas {
 public:
  virtual ~Canvas() = default;
  // At the image's natural size, its top-left corner at (x, y).
  virtual void DrawImage(const SkinImage& image, int x, int y) = 0;
  // The same with every pixel of the image put through matrix first.
  virtual void DrawImageColoured(const SkinImage& image, int x, int y, const ColourMatrix& matrix) = 0;
  // Fills rect with the image repeated from the origin (tiled texture brush).
  virtual void FillTiled(const SkinImage& image, const PixelRect& rect, int originX, int originY) = 0;
  virtual void FillSolid(const PixelRect& rect, Argb colour) = 0;
  virtual void DrawString(const std::wstring& text, const FontSpec& font, const TextFormat& format,
                          const FloatRect& rect, Argb colour) = 0;
};

// An off-screen picture in this build's pixel format (a memory bitmap
// compatible with the screen on Windows, an ARGB32 cairo surface on Linux),
// built once and copied to the screen often. It starts black and, where the
// format has alpha, transparent.
class Surface {
 public:
  virtual ~Surface() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // A canvas over the surface; what it drew is in the surface once the
  // canvas is gone.
  virtual std::unique_ptr<Canvas> Paint() = 0;
  virtual std::unique_ptr<Surface> Clone() const = 0;
};

// A surface of the given size, or null when the system has no memory for it.
std::unique_ptr<Surface> CreateSurface(int width, int height);

}  // namespace qm
