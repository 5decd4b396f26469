#include "frame/cache_overlay.h"

#include "base/string_rows.h"
#include "platform/resources.h"

namespace qm {

namespace {

constexpr int kSpinnerLift = 40;
constexpr int kTextBoxWidth = 200;
constexpr int kTextBoxHeight = 31;
constexpr int kSpinnerSide = 23;  // the pictures' size, used when one is missing

}  // namespace

CacheOverlayLayout LayOutCacheOverlay(const PixelSize& client, const PixelSize& spinner) {
  CacheOverlayLayout layout;
  layout.spinnerX = (client.width - spinner.width) / 2;
  layout.spinnerY = (client.height - spinner.height) / 2 - kSpinnerLift;
  layout.textBox = {(client.width - kTextBoxWidth) / 2, (client.height - kTextBoxHeight) / 2, kTextBoxWidth,
                    kTextBoxHeight};
  return layout;
}

CacheOverlay::CacheOverlay(NativeWindow frame) {
  background_ = LoadSkinImage(kOverlayBackgroundImage);
  for (int i = 0; i < kOverlaySpinnerFrames; ++i) spinner_[i] = LoadSkinImage(kOverlaySpinnerFirstImage + i);
  WindowOptions options;
  options.kind = WindowKind::kOwnedPopup;
  options.owner = frame;
  if (auto bounds = WindowBoundsOf(frame)) options.bounds = *bounds;
  host_ = WindowHost::Create(*this, options);
  // The layered window: everything under the overlay shows through a little.
  if (hostView_) hostView_->SetOpacity(kOverlayOpacity);
}

CacheOverlay::~CacheOverlay() { host_.reset(); }

void CacheOverlay::OnCreate(WindowHost& host) { hostView_ = &host; }

// The frame's window took the overlay with it (it owns it): the host is
// still ours to delete, but no longer to use.
void CacheOverlay::OnDestroy() { hostView_ = nullptr; }

void CacheOverlay::Show(const PixelRect& frameBounds) {
  if (!hostView_) return;
  hostView_->SetBounds(frameBounds);
  hostView_->StartTimer(kOverlayTimer, kOverlayTimerPeriodMs);
  hostView_->Show();
}

void CacheOverlay::Hide() {
  if (!hostView_) return;
  hostView_->StopTimer(kOverlayTimer);
  hostView_->Hide();
}

bool CacheOverlay::IsShown() const { return hostView_ && hostView_->IsVisible(); }

void CacheOverlay::Follow(const PixelRect& frameBounds) {
  if (IsShown() && hostView_->Bounds() != frameBounds) hostView_->SetBounds(frameBounds);
}

NativeWindow CacheOverlay::Native() const { return hostView_ ? hostView_->Native() : nullptr; }

std::optional<PixelRect> CacheOverlay::Bounds() const {
  if (!hostView_) return std::nullopt;
  return hostView_->Bounds();
}

const SkinImage* CacheOverlay::CurrentSpinner() const {
  return spinner_[currentImage_ - kOverlaySpinnerFirstImage].get();
}

PixelRect CacheOverlay::SpinnerRect() const {
  const SkinImage* image = CurrentSpinner();
  const PixelSize side = image ? PixelSize{image->Width(), image->Height()} : PixelSize{kSpinnerSide, kSpinnerSide};
  const PixelSize client = hostView_ ? hostView_->ClientSize() : PixelSize{};
  const CacheOverlayLayout layout = LayOutCacheOverlay(client, side);
  return {layout.spinnerX, layout.spinnerY, side.width, side.height};
}

void CacheOverlay::OnPaint(Canvas& canvas) {
  if (!hostView_) return;
  const PixelSize client = hostView_->ClientSize();
  const PixelRect all{0, 0, client.width, client.height};
  canvas.FillSolid(all, kOverlayUnderColour);
  if (background_) canvas.FillTiled(*background_, all, 0, 0);
  if (const SkinImage* spinner = CurrentSpinner()) {
    const PixelRect place = SpinnerRect();
    canvas.DrawImage(*spinner, place.x, place.y);
  }
  const CacheOverlayLayout layout = LayOutCacheOverlay(client, {kSpinnerSide, kSpinnerSide});
  const FloatRect box{static_cast<float>(layout.textBox.x), static_cast<float>(layout.textBox.y),
                      static_cast<float>(layout.textBox.width), static_cast<float>(layout.textBox.height)};
  canvas.DrawString(LoadStringRow(kRowCleaningText), FontSpec{L"arial", 14, FontStyle::kRegular},
                    TextFormat{TextAlign::kCenter, TextTrimming::kWordEllipsis}, box, kOverlayTextColour);
}

// Each tick shows the picture of the frame index and moves the index on, so
// the spinner turns 276, 277, 278, 279 and a later Show goes on from there.
void CacheOverlay::OnTimer(int id) {
  if (id != kOverlayTimer || !hostView_) return;
  if (frameIndex_ < 1 || frameIndex_ > kOverlaySpinnerFrames) frameIndex_ = 1;
  currentImage_ = kOverlaySpinnerFirstImage + static_cast<unsigned>(frameIndex_ - 1);
  hostView_->Invalidate(SpinnerRect());
  frameIndex_ = frameIndex_ % kOverlaySpinnerFrames + 1;
}

}  // namespace qm
