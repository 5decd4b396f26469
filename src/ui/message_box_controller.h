// The message box's rules, the same on both builds: what it paints, where it
// goes, that any point of its own surface drags it, and how it is answered
// (OK and Enter give IDOK; Cancel, the close button, Esc and the system's
// close give IDCANCEL; the first answer counts).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ui/canvas.h"
#include "ui/message_box_layout.h"
#include "ui/ui_ids.h"
#include "ui/window_host.h"

namespace qm {

// Top-left corner of the box: centred over the owner, or over the work area
// when there is none, then moved inside the work area (when it is known).
PixelPoint PlaceMessageBox(const PixelRect& workArea, const std::optional<PixelRect>& owner);

class MessageBoxController : public WindowController {
 public:
  // background may be null: the face then shows the texts only.
  MessageBoxController(std::wstring title, std::wstring text, std::unique_ptr<SkinImage> background);

  // Names the window and places it (PlaceMessageBox) at its fixed size.
  void OnCreate(WindowHost& host) override;
  void OnDestroy() override { host_ = nullptr; }
  void OnPaint(Canvas& canvas) override;
  // The box's own surface moves the window; the buttons take their presses.
  HitArea HitTest(int, int) override { return HitArea::kDrag; }
  bool OnKeyDown(const KeyPress& key) override;
  void OnCommand(int id) override;
  void OnCloseRequest() override { Answer(kAnswerCancel); }

  // IDOK or IDCANCEL once answered, 0 before.
  int answer() const { return answer_; }

 private:
  void Answer(int answer);

  std::wstring title_, text_;
  std::unique_ptr<SkinImage> background_;
  WindowHost* host_ = nullptr;
  int answer_ = 0;
};

}  // namespace qm
