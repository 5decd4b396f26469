#include "frame/frame_window_system.h"

#include <windows.h>
#include <commctrl.h>

#include "frame/frame_controller.h"

namespace qm {
namespace {

constexpr UINT_PTR kFrameSubclassId = 0x514E;

PixelRect RectOf(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

class Win32FrameWindowSystem final : public FrameWindowSystem {
 public:
  Win32FrameWindowSystem(WindowHost& host, HWND frame, Events events)
      : host_(host), frame_(frame), events_(std::move(events)) {
    SetWindowSubclass(frame_, &Win32FrameWindowSystem::Proc, kFrameSubclassId, reinterpret_cast<DWORD_PTR>(this));
  }
  ~Win32FrameWindowSystem() override {
    if (IsWindow(frame_)) RemoveWindowSubclass(frame_, &Win32FrameWindowSystem::Proc, kFrameSubclassId);
  }

  bool CloseRequestFollowsSysClose() const override { return true; }

  PixelRect WorkArea() override { return host_.WorkArea(); }

  std::optional<PixelRect> TaskbarRect() override {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", L"");
    RECT r{};
    if (!taskbar || !GetWindowRect(taskbar, &r)) return std::nullopt;
    return RectOf(r);
  }

  bool IsZoomed() override { return ::IsZoomed(frame_) != FALSE; }

  void SysCommand(unsigned command) override { SendMessageW(frame_, WM_SYSCOMMAND, command, 0); }

  void MoveWindow(const PixelRect& r, bool) override {
    SetWindowPos(frame_, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  bool IsActive() override { return GetForegroundWindow() == frame_; }

  // The system sends SC_RESTORE itself when the frame comes back from the
  // taskbar; nothing to add.
  void OnShowStateChanged(ShowState, ShowState) override {}

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<Win32FrameWindowSystem*>(data);
    if (message == WM_SYSCOMMAND && self->events_.sysCommand) {
      self->events_.sysCommand(static_cast<unsigned>(wParam));
    } else if (self->events_.message) {
      if (const auto answer = self->events_.message(message, wParam, lParam)) return *answer;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }

  WindowHost& host_;
  HWND frame_;
  Events events_;
};

}  // namespace

std::unique_ptr<FrameWindowSystem> FrameWindowSystem::Attach(WindowHost& host, Events events) {
  HWND frame = static_cast<HWND>(host.Native());
  if (!frame) return nullptr;
  return std::make_unique<Win32FrameWindowSystem>(host, frame, std::move(events));
}

}  // namespace qm
