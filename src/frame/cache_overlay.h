// The translucent overlay that covers the frame while its cache is cleaned: a
// tiled background, a spinner of four pictures turning five times a second
// and the waiting text (string row 116). The frame creates one overlay when
// it starts, keeps it hidden, shows it for every cleaning and hides it on
// command 10002. The overlay is an owned popup of the frame: it stays above
// the frame, has no taskbar button, and while shown it takes every click on
// the frame's rectangle, so the player cannot use the frame until the
// cleaning ends.
#pragma once

#include <array>
#include <memory>
#include <optional>

#include "platform/native_window.h"
#include "ui/canvas.h"
#include "ui/window_host.h"

namespace qm {

constexpr unsigned kOverlayBackgroundImage = 275;  // 1 x 1, tiled
constexpr unsigned kOverlaySpinnerFirstImage = 276;  // 276..279, 23 x 23 each
constexpr int kOverlaySpinnerFrames = 4;
constexpr int kOverlayTimer = 5000;
constexpr int kOverlayTimerPeriodMs = 200;  // five spinner frames a second
constexpr uint8_t kOverlayOpacity = 229;    // of 255
constexpr Argb kOverlayTextColour = 0xFFFFF5D3;
constexpr Argb kOverlayUnderColour = 0xFFFFFFFF;

// Where the overlay's parts go in a client area of the given size: the
// spinner centred and 40 pixels above the middle, the text's 200 x 31 box
// centred (integer division for both).
struct CacheOverlayLayout {
  int spinnerX = 0, spinnerY = 0;
  PixelRect textBox;
};
CacheOverlayLayout LayOutCacheOverlay(const PixelSize& client, const PixelSize& spinner);

class CacheOverlay : public WindowController {
 public:
  // Creates the overlay hidden, owned by frame (the frame's toplevel window).
  explicit CacheOverlay(NativeWindow frame);
  ~CacheOverlay() override;
  CacheOverlay(const CacheOverlay&) = delete;
  CacheOverlay& operator=(const CacheOverlay&) = delete;

  // Covers frameBounds (the frame's window rectangle in screen pixels) and
  // starts the spinner where it stopped the last time. Showing it again while
  // it is shown moves it and keeps the spinner going.
  void Show(const PixelRect& frameBounds);
  // Stops the spinner and hides the overlay.
  void Hide();
  bool IsShown() const;
  // While shown, covers the frame's new rectangle (the frame moved or changed
  // size); a hidden overlay takes the rectangle at its next Show.
  void Follow(const PixelRect& frameBounds);

  // The spinner picture shown now (276..279) and the frame index, 1..4, of
  // the picture the next tick shows.
  unsigned CurrentSpinnerImage() const { return currentImage_; }
  int FrameIndex() const { return frameIndex_; }
  // The overlay's own window (null once the frame has destroyed it).
  NativeWindow Native() const;
  std::optional<PixelRect> Bounds() const;

  void OnCreate(WindowHost& host) override;
  void OnDestroy() override;
  void OnPaint(Canvas& canvas) override;
  void OnTimer(int id) override;

 private:
  PixelRect SpinnerRect() const;
  const SkinImage* CurrentSpinner() const;

  std::unique_ptr<SkinImage> background_;
  std::array<std::unique_ptr<SkinImage>, kOverlaySpinnerFrames> spinner_;
  unsigned currentImage_ = kOverlaySpinnerFirstImage;
  int frameIndex_ = 1;
  WindowHost* hostView_ = nullptr;  // null once the window is gone
  std::unique_ptr<WindowHost> host_;
};

}  // namespace qm
