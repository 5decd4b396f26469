#include "frame/frame_window_system.h"

#include <gtk/gtk.h>
#include <gtk/gtkx.h>

#include "frame/frame_controller.h"
#include "platform/linux/owners.h"

namespace qm {
namespace {

class GtkFrameWindowSystem final : public FrameWindowSystem {
 public:
  GtkFrameWindowSystem(WindowHost& host, Events events) : host_(host), events_(std::move(events)) {}

  // The window manager's close goes straight to the frame.
  bool CloseRequestFollowsSysClose() const override { return false; }

  // While the frame is full screen the window manager may report the whole
  // screen as the work area (its panels are covered); leaving full screen
  // needs the work area as it was, as Windows always reports it.
  PixelRect WorkArea() override { return fullScreen_ ? workAreaBeforeFullScreen_ : host_.WorkArea(); }

  std::optional<PixelRect> TaskbarRect() override { return PanelBeforeWorkArea(host_.ScreenArea(), WorkArea()); }

  bool IsZoomed() override { return zoomed_ && host_.State() != ShowState::kMinimized; }

  void SysCommand(unsigned command) override {
    switch (command & 0xFFF0) {
      case kSysCommandMaximize:
        if (host_.State() == ShowState::kMinimized) host_.Restore();  // out of the taskbar
        if (!zoomed_) restoredPlace_ = host_.Bounds();
        zoomed_ = true;
        break;
      case kSysCommandRestore:
        if (host_.State() == ShowState::kMinimized) {
          host_.Restore();
          break;
        }
        if (!zoomed_) break;
        zoomed_ = false;
        MoveWindow(restoredPlace_, false);
        break;
      case kSysCommandMinimize:
        host_.Minimize();
        break;
      default:
        break;
    }
    if (events_.sysCommand) events_.sysCommand(command);
  }

  void MoveWindow(const PixelRect& rect, bool fullScreen) override {
    GtkWindow* window = GTK_WINDOW(host_.Native());
    if (fullScreen && !fullScreen_) {
      workAreaBeforeFullScreen_ = host_.WorkArea();
      gtk_window_fullscreen(window);
    }
    if (!fullScreen && fullScreen_) gtk_window_unfullscreen(window);
    fullScreen_ = fullScreen;
    host_.SetBounds(rect);
  }

  bool IsActive() override {
    GtkWindow* window = GTK_WINDOW(host_.Native());
    if (gtk_window_is_active(window) || gtk_window_has_toplevel_focus(window)) return true;
    // With the keyboard focus inside the embedded game window GTK may not see
    // the frame as active; the window manager's active window says it is.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    const GObjectPtr<GdkWindow> active(gdk_screen_get_active_window(gtk_window_get_screen(window)));
    G_GNUC_END_IGNORE_DEPRECATIONS
    return active && active.get() == gtk_widget_get_window(GTK_WIDGET(window));
  }

  bool KeyboardFocusInGameWindow() override {
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(host_.Native()));
    return focus && GTK_IS_SOCKET(focus);
  }

  void OnShowStateChanged(ShowState previous, ShowState now) override {
    if (previous == ShowState::kMinimized && now != ShowState::kMinimized && events_.sysCommand)
      events_.sysCommand(kSysCommandRestore);
  }

 private:
  WindowHost& host_;
  Events events_;
  bool zoomed_ = false;
  bool fullScreen_ = false;
  PixelRect workAreaBeforeFullScreen_{};
  PixelRect restoredPlace_{};
};

}  // namespace

std::unique_ptr<FrameWindowSystem> FrameWindowSystem::Attach(WindowHost& host, Events events) {
  if (!host.Native()) return nullptr;
  return std::make_unique<GtkFrameWindowSystem>(host, std::move(events));
}

}  // namespace qm
