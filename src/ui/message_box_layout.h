// Geometry and painting of the skinned message box, shared by both builds.
#pragma once

#include <string>

#include "ui/canvas.h"

namespace qm {

constexpr int kMessageBoxWidth = 253;
constexpr int kMessageBoxHeight = 106;
constexpr int kMessageBoxCloseId = 1001;
constexpr unsigned kMessageBoxBackgroundImage = 304;
constexpr Argb kMessageBoxTextColour = 0xFFDAC29D;

struct MessageBoxButton {
  int id;
  PixelRect rect;
  unsigned normalImage, hoverImage, pressedImage;
};

struct MessageBoxLayout {
  MessageBoxButton close, ok, cancel;
  FloatRect titleRect, textRect;
};

// Button places for a client area whose right and bottom edges are given.
MessageBoxLayout LayOutMessageBox(int clientRight, int clientBottom);

FontSpec MessageBoxTitleFont();
FontSpec MessageBoxTextFont();
TextFormat MessageBoxTextFormat();

// The whole face: background at its natural size, then title and text,
// centred in their rectangles. A missing background leaves the rest as it is.
void PaintMessageBoxFace(Canvas& canvas, const SkinImage* background, const std::wstring& title,
                         const std::wstring& text);

// Top-left corner that centres a window of the given size over area.
struct PixelPoint {
  int x = 0, y = 0;
  bool operator==(const PixelPoint&) const = default;
};
PixelPoint CentreOver(const PixelRect& area, int width, int height);

// A window of the given size at origin, moved the least needed to lie inside
// area (so that a box centred over an owner near an edge stays reachable).
PixelPoint KeepInside(const PixelRect& area, PixelPoint origin, int width, int height);

}  // namespace qm
