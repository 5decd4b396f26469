#include "ui/message_box_layout.h"

#include <algorithm>

namespace qm {

MessageBoxLayout LayOutMessageBox(int right, int bottom) {
  MessageBoxLayout l;
  l.close = {kMessageBoxCloseId, {right - 25, 10, 28, 26}, 316, 316, 316};
  l.ok = {1, {45, bottom - 45, 82, 34}, 314, 313, 313};
  l.cancel = {2, {137, bottom - 45, 82, 34}, 312, 311, 311};
  l.titleRect = {85, 7, 100, 25};
  l.textRect = {28, 33, 220, 30};
  return l;
}

FontSpec MessageBoxTitleFont() { return {L"微软雅黑", 15, FontStyle::kBold}; }
FontSpec MessageBoxTextFont() { return {L"arial", 11, FontStyle::kRegular}; }
TextFormat MessageBoxTextFormat() { return {TextAlign::kCenter, TextTrimming::kCharacterEllipsis}; }

void PaintMessageBoxFace(Canvas& canvas, const SkinImage* background, const std::wstring& title,
                         const std::wstring& text) {
  if (background) canvas.DrawImage(*background, 0, 0);
  const MessageBoxLayout l = LayOutMessageBox(kMessageBoxWidth, kMessageBoxHeight);
  canvas.DrawString(title, MessageBoxTitleFont(), MessageBoxTextFormat(), l.titleRect, kMessageBoxTextColour);
  canvas.DrawString(text, MessageBoxTextFont(), MessageBoxTextFormat(), l.textRect, kMessageBoxTextColour);
}

PixelPoint CentreOver(const PixelRect& area, int width, int height) {
  return {area.x + (area.width - width) / 2, area.y + (area.height - height) / 2};
}

PixelPoint KeepInside(const PixelRect& area, PixelPoint origin, int width, int height) {
  origin.x = std::max(area.x, std::min(origin.x, area.right() - width));
  origin.y = std::max(area.y, std::min(origin.y, area.bottom() - height));
  return origin;
}

}  // namespace qm
