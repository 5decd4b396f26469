// The window host (a humble view). A window's rules live in a portable
// WindowController: it paints through Canvas, answers pointer, key, command,
// timer, move/size and close events, and tells the host what to do. The host
// is a thin translation of one window system (win32/: a window class and its
// window procedure; linux/: a GtkWindow whose only child is a GtkFixed) and
// holds no rule of its own.
//
// Coordinates: client pixels from the client area's top-left corner; window
// bounds, work areas and screens in screen pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/native_window.h"
#include "ui/canvas.h"

namespace qm {

// Key codes, the same on both builds: the Win32 virtual-key numbers. Digits
// and letters are their upper-case ASCII codes ('0'..'9', 'A'..'Z').
namespace keys {
constexpr int kBack = 0x08;
constexpr int kTab = 0x09;
constexpr int kReturn = 0x0D;  // Enter, the keypad's Enter too
constexpr int kShift = 0x10;
constexpr int kControl = 0x11;
constexpr int kAlt = 0x12;
constexpr int kEscape = 0x1B;
constexpr int kSpace = 0x20;
constexpr int kPageUp = 0x21;
constexpr int kPageDown = 0x22;
constexpr int kEnd = 0x23;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kInsert = 0x2D;
constexpr int kDelete = 0x2E;
constexpr int kF1 = 0x70;  // kF1 + n - 1 is Fn, up to F24
constexpr int kF4 = 0x73;
constexpr int kF5 = 0x74;
constexpr int kF10 = 0x79;
constexpr int kF11 = 0x7A;
constexpr int kF12 = 0x7B;
}  // namespace keys

struct KeyPress {
  int key = 0;  // a keys:: code
  bool ctrl = false, shift = false, alt = false;
  // Windows: the key message while OnKeyDown runs (const MSG*), so that a
  // controller can hand the key to a child control that acts on keys only
  // through its accelerator handling (the web browser control). Null on
  // Linux, where GTK propagates every key the controller lets go to the
  // focused child by itself, and for a key made by hand. Not part of a
  // key's identity.
  const void* native = nullptr;
  bool operator==(const KeyPress& other) const {
    return key == other.key && ctrl == other.ctrl && shift == other.shift && alt == other.alt;
  }
};

enum class MouseButton { kLeft, kMiddle, kRight };

struct PointerPress {
  int x = 0, y = 0;  // client pixels
  MouseButton button = MouseButton::kLeft;
  bool operator==(const PointerPress&) const = default;
};

// What a point of the client area does when the pointer presses on it.
enum class HitArea {
  kClient,       // the controller receives the pointer events
  kDrag,         // a press moves the window (like a caption); no pointer events
  kTransparent,  // the point takes no pointer events
};

enum class ShowState { kRestored, kMinimized, kMaximized };

struct PixelSize {
  int width = 0, height = 0;
  bool operator==(const PixelSize&) const = default;
};

class WindowHost;

// The window's rules. Every handler has a default that does nothing, so a
// controller overrides only what it cares about. Handlers run on the user
// interface thread, one at a time.
class WindowController {
 public:
  virtual ~WindowController() = default;

  // The host exists (not yet shown): the place to keep the host and to create
  // child controls in host.ChildParent().
  virtual void OnCreate(WindowHost& host) { (void)host; }
  // The native window is going away (destroyed by Close(), by the host's
  // destructor or by its owner); the host must not be used afterwards.
  virtual void OnDestroy() {}

  // Paints the whole client area. The host paints off-screen and shows the
  // result in one copy, so the canvas starts black and transparent.
  virtual void OnPaint(Canvas& canvas) { (void)canvas; }

  virtual void OnPointerMove(int x, int y) { (void)x, (void)y; }
  virtual void OnPointerDown(const PointerPress& press) { (void)press; }
  virtual void OnPointerUp(const PointerPress& press) { (void)press; }
  // The second press of a double click arrives here in place of a second
  // OnPointerDown (its release still arrives as OnPointerUp).
  virtual void OnDoubleClick(const PointerPress& press) { (void)press; }
  // The pointer left the client area (or went onto a child control).
  virtual void OnPointerLeave() {}
  // Asked for every press before anything else happens to it.
  virtual HitArea HitTest(int x, int y) {
    (void)x, (void)y;
    return HitArea::kClient;
  }

  // A key went down while the window or one of its children had the focus;
  // the controller sees it before the focused child does. True when it is
  // consumed: the child and the system then never see it (so Alt+F4 returns
  // false to reach OnCloseRequest).
  virtual bool OnKeyDown(const KeyPress& key) {
    (void)key;
    return false;
  }

  // A child control (an image button) or SendCommand/PostCommand sent id.
  virtual void OnCommand(int id) { (void)id; }
  virtual void OnTimer(int id) { (void)id; }

  // The window moved; bounds in screen pixels.
  virtual void OnMoved(const PixelRect& bounds) { (void)bounds; }
  // The client area got a new size.
  virtual void OnResized(const PixelSize& client) { (void)client; }
  // Minimized, maximized or restored by the system or the host.
  virtual void OnShowStateChanged(ShowState state) { (void)state; }

  // The system asks the window to close (Alt+F4, the taskbar's Close, the
  // window manager). The window stays unless the controller acts (Close(),
  // EndModal(), ...).
  virtual void OnCloseRequest() {}
};

enum class WindowKind {
  kTopLevel,     // its own taskbar button; owner, if given, only for placement
  kOwnedPopup,   // owned by WindowOptions::owner: above it, no taskbar button
  kChild,        // a child inside WindowOptions::owner, a ChildParent()
};

struct WindowOptions {
  WindowKind kind = WindowKind::kTopLevel;
  // The owner of a popup or the parent of a child; null for none.
  NativeWindow owner = nullptr;
  // Screen pixels for top-level windows and popups; client pixels of the
  // parent for a child.
  PixelRect bounds{0, 0, 100, 100};
  std::wstring title;
  // A dialog to the window system (a transient question such as the message
  // box): a window manager may place and decorate it as such.
  bool dialog = false;
};

// One native window driven by one controller. Destroying the host destroys
// the window (the controller's OnDestroy runs first). Every window is created
// hidden and without system decoration: the controller paints all of it.
class WindowHost {
 public:
  // The window for controller, which must outlive the host. Null when the
  // window system cannot make a window (no display).
  static std::unique_ptr<WindowHost> Create(WindowController& controller, const WindowOptions& options);

  virtual ~WindowHost() = default;

  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool IsVisible() const = 0;
  // Brings the window to the front and gives it the keyboard focus.
  virtual void Activate() = 0;
  virtual void Minimize() = 0;
  virtual void Maximize() = 0;
  // Back from minimized or maximized to the normal state.
  virtual void Restore() = 0;
  virtual ShowState State() const = 0;

  virtual void SetBounds(const PixelRect& bounds) = 0;
  virtual PixelRect Bounds() const = 0;
  virtual PixelSize ClientSize() const = 0;
  // Asks for OnPaint soon (the whole client area, or the part given).
  virtual void Invalidate() = 0;
  virtual void Invalidate(const PixelRect& area) = 0;

  // OnTimer(id) every periodMs until StopTimer(id); starting a running id
  // restarts it with the new period.
  virtual void StartTimer(int id, int periodMs) = 0;
  virtual void StopTimer(int id) = 0;

  // Shows the window and handles events until EndModal; an owner is disabled
  // meanwhile. Returns EndModal's result, or 0 when the window was destroyed.
  // The window is hidden when the run ends.
  virtual int RunModal() = 0;
  virtual void EndModal(int result) = 0;
  virtual bool InModalRun() const = 0;

  // Destroys the native window now (OnDestroy runs; a modal run ends with 0).
  // Only the destructor may follow.
  virtual void Close() = 0;

  // Moves the window with the pointer while its button stays down; call it
  // from OnPointerDown.
  virtual void BeginMoveDrag() = 0;
  virtual void SetTitle(const std::wstring& title) = 0;

  // Where child controls go: HWND on Windows, the GtkFixed on Linux.
  virtual NativeWindow ChildParent() const = 0;
  // The window itself: HWND on Windows, the GtkWindow on Linux.
  virtual NativeWindow Native() const = 0;
  // The owner's bounds (screen pixels), when the window has an owner.
  virtual std::optional<PixelRect> OwnerBounds() const = 0;
  // The work area and the whole area of the monitor the window is on.
  virtual PixelRect WorkArea() const = 0;
  virtual PixelRect ScreenArea() const = 0;

  // The window's face becomes image with its per-pixel alpha, at the image's
  // size: fully transparent pixels show what is behind and let clicks
  // through. OnPaint is no longer asked. False when the system refuses.
  virtual bool SetAlphaFace(const SkinImage& image) = 0;
  // Pixels that OnPaint paints in the colour key (alpha ignored) are not
  // shown and let clicks through.
  virtual void SetColourKey(Argb key) = 0;
  // The whole window at this opacity, 255 being opaque (229 for an overlay).
  virtual void SetOpacity(uint8_t alpha) = 0;
};

// What the host window's controller paints under area (client pixels), as a
// surface of area's size; child controls copy it to look transparent. Null
// when window is not a host window (or on Windows, does not answer
// WM_PRINTCLIENT: its pixels on screen are read then).
std::unique_ptr<Surface> CaptureFace(NativeWindow window, const PixelRect& area);

// Delivers command id to the controller of the host window whose Native() or
// ChildParent() is window, at once, on the user interface thread. False when
// window belongs to no host.
bool SendCommand(NativeWindow window, int id);
// The same from any thread: delivered later on the user interface thread,
// and dropped when the window is gone by then.
void PostCommand(NativeWindow window, int id);

// The screen bounds of any native window of this process (a host's Native(),
// a dialog's owner), or nothing for null.
std::optional<PixelRect> WindowBoundsOf(NativeWindow window);

}  // namespace qm
