#include "ui/message_box_controller.h"

#include <utility>

namespace qm {

PixelPoint PlaceMessageBox(const PixelRect& workArea, const std::optional<PixelRect>& owner) {
  PixelPoint origin = CentreOver(owner ? *owner : workArea, kMessageBoxWidth, kMessageBoxHeight);
  if (workArea.width > 0 && workArea.height > 0)
    origin = KeepInside(workArea, origin, kMessageBoxWidth, kMessageBoxHeight);
  return origin;
}

MessageBoxController::MessageBoxController(std::wstring title, std::wstring text, std::unique_ptr<SkinImage> background)
    : title_(std::move(title)), text_(std::move(text)), background_(std::move(background)) {}

void MessageBoxController::OnCreate(WindowHost& host) {
  host_ = &host;
  // The window's own text names it for the window system; no caption shows it.
  host.SetTitle(title_);
  const PixelPoint origin = PlaceMessageBox(host.WorkArea(), host.OwnerBounds());
  host.SetBounds({origin.x, origin.y, kMessageBoxWidth, kMessageBoxHeight});
}

void MessageBoxController::OnPaint(Canvas& canvas) {
  PaintMessageBoxFace(canvas, background_.get(), title_, text_);
}

bool MessageBoxController::OnKeyDown(const KeyPress& key) {
  if (key.key == keys::kEscape) {
    Answer(kAnswerCancel);
    return true;
  }
  if (key.key == keys::kReturn) {
    Answer(kAnswerOk);  // as a dialog without a default button: Enter is OK
    return true;
  }
  return false;
}

void MessageBoxController::OnCommand(int id) {
  if (id == kAnswerOk)
    Answer(kAnswerOk);
  else if (id == kAnswerCancel || id == kMessageBoxCloseId)
    Answer(kAnswerCancel);
}

void MessageBoxController::Answer(int answer) {
  if (answer_) return;
  answer_ = answer;
  if (host_) host_->EndModal(answer);
}

}  // namespace qm
