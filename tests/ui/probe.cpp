// Test-only program for the skinned controls.
//   qm_ui_probe <title> <text>  shows the message box; the exit code is its
//                               answer.
//   qm_ui_probe button          shows a window named "Probe-Button" with one
//                               image button (the full-screen caption button
//                               with its tooltip) at (20, 20), 85 x 24;
//                               Esc ends it with the number of clicks as the
//                               exit code.
#include <string>
#include <vector>

#include "base/text.h"
#include "ui/message_box.h"
#include "ui/touch_button.h"
#include "ui/window_host.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include <memory>
#endif

namespace {

constexpr int kButtonId = 1004;
const wchar_t kToolTip[] = L"全屏/取消全屏（快捷键F11）";

// A plain dark window that counts the button's clicks.
class ButtonWindow : public qm::WindowController {
 public:
  void OnCreate(qm::WindowHost& host) override { host_ = &host; }
  void OnPaint(qm::Canvas& canvas) override {
    const qm::PixelSize size = host_->ClientSize();
    canvas.FillSolid({0, 0, size.width, size.height}, 0xFF2A2017);
  }
  void OnCommand(int id) override {
    if (id == kButtonId) ++clicks_;
  }
  bool OnKeyDown(const qm::KeyPress& key) override {
    if (key.key != qm::keys::kEscape) return false;
    host_->EndModal(clicks_);
    return true;
  }

 private:
  qm::WindowHost* host_ = nullptr;
  int clicks_ = 0;
};

int RunButton() {
  ButtonWindow controller;
  qm::WindowOptions options;
  options.bounds = {300, 300, 240, 80};
  options.title = L"Probe-Button";
  auto host = qm::WindowHost::Create(controller, options);
  if (!host) return 100;
  qm::CTouchButton button;
  button.Create(host->ChildParent(), kButtonId, {20, 20, 85, 24});
  button.SetStateImages(224, 214, 234);
  button.SetToolTipText(kToolTip, true);
  return host->RunModal();
}

int Run(const std::vector<std::wstring>& args) {
  if (args.size() == 2 && args[1] == L"button") return RunButton();
  if (args.size() < 3) return 100;
  qm::CCustomMessageBox box;
  box.SetTexts(args[1], args[2]);
  return box.DoModal();
}

}  // namespace

#ifdef _WIN32
struct LocalFreeDeleter {
  void operator()(wchar_t** memory) const { LocalFree(memory); }
};

int main() {
  int count = 0;
  const std::unique_ptr<wchar_t*, LocalFreeDeleter> argv(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!argv) return 100;
  return Run(std::vector<std::wstring>(argv.get(), argv.get() + count));
}
#else
int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 0; i < argc; ++i) args.push_back(qm::WideFromUtf8(argv[i]));
  return Run(args);
}
#endif
