// The window-system part of the game process protocol: the four messages
// between the frame window and the game window across the process boundary,
// the embedding of the game window into the frame, and the game process's
// watchdog over the frame window.
//
// Windows: the messages are window messages (SendMessageW / PostMessageW to
// HWNDs, taken from the window through a subclass), the game window becomes
// a child of the frame through SetParent with the WS_CHILD style.
// Linux (X11): a window handle is the X11 window id of a toplevel (the
// frame's GtkWindow, the game's GtkPlug); the messages are ClientMessage
// events of a private atom (format 32) sent to that id and taken from the
// window with a GDK filter; "sent" means the sender waits in a nested main
// loop for the receiver's answer or a time-out. The game window is a GtkPlug
// in a GtkSocket (XEmbed) that the frame keeps in its child container and
// places where the game window asks.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "frame/game_messages.h"
#include "platform/native_window.h"
#include "ui/canvas.h"

namespace qm {

// How long a sent message waits for its answer at most.
constexpr int kGameMessageTimeoutMs = 5000;

// Takes one arrived message; returns its answer, or nullopt when the window
// does not handle it (it then goes on to the window's own processing).
using GameMessageHandler = std::function<std::optional<std::int64_t>(const GameMessage&)>;

// One window's end of the channel: receives the game messages that arrive
// at the window, and sends and posts to the other process's window.
class GameChannel {
 public:
  // Listens on window (a toplevel: the frame's window, the game window).
  // The handler runs on the window's thread, also while a Send of this
  // channel waits. Null when the window has no system window yet.
  static std::unique_ptr<GameChannel> Listen(NativeWindow window, GameMessageHandler handler);
  virtual ~GameChannel() = default;

  // This window's handle, as the other process addresses it.
  virtual WindowId Id() const = 0;
  // Delivers the message to target and waits for its answer, handling the
  // messages that arrive meanwhile. nullopt when target names no window, or
  // it did not answer within timeoutMs.
  virtual std::optional<std::int64_t> Send(WindowId target, const GameMessage& message,
                                           int timeoutMs = kGameMessageTimeoutMs) = 0;
  // Queues the message for target without waiting; false when target names
  // no window.
  virtual bool Post(WindowId target, const GameMessage& message) = 0;
};

// The frame's side of the embedding: the place in the frame window where the
// game window of the other process will sit. Windows: nothing to prepare
// (the game window makes itself a child of the frame's HWND). Linux: a
// GtkSocket put into childParent (the frame's GtkFixed or GtkLayout), whose
// id is published on the frame's X11 window for the game process to find.
class GameEmbedSite {
 public:
  // frame: the frame's toplevel window; childParent: its container for
  // children (WindowHost::ChildParent()).
  static std::unique_ptr<GameEmbedSite> Create(NativeWindow frame, NativeWindow childParent);
  virtual ~GameEmbedSite() = default;

  // Whether window is the game window of the game process this frame
  // started, embedded here: the only window whose announcement the frame
  // takes, since any program on the display can send the channel's messages.
  // Windows: a child of the frame that belongs to process gameProcessId;
  // Linux: the window in this place's own socket.
  virtual bool HoldsGameWindow(WindowId window, long gameProcessId) const = 0;
};

// The game process's window inside the frame of the launcher process.
class EmbeddedGameWindow {
 public:
  // Creates the game window for frame, hidden and not yet embedded. Null
  // when frame names no window or (Linux) publishes no place for it.
  static std::unique_ptr<EmbeddedGameWindow> Create(WindowId frame);
  virtual ~EmbeddedGameWindow() = default;

  // The game window as the frame addresses it; valid once embedded.
  virtual WindowId Id() const = 0;
  // The toplevel for GameChannel::Listen.
  virtual NativeWindow Window() const = 0;
  // The parent for the game view (a GtkFixed inside the plug; the HWND).
  virtual NativeWindow ChildParent() const = 0;
  // Called with the new client size whenever the game window's size changes.
  virtual void SetResizeHandler(std::function<void(int width, int height)> handler) = 0;
  // Calls handler for the window's key-downs before anything else sees them
  // (Windows virtual-key codes); true from the handler stops the key.
  virtual void SetKeyHandler(std::function<bool(unsigned virtualKey)> handler) = 0;

  virtual PixelRect FrameClientRect() const = 0;
  // rect in the frame's client coordinates.
  virtual void Move(const PixelRect& rect, bool repaint) = 0;
  virtual bool IsVisible() const = 0;
  virtual void Show() = 0;
  // Makes the window a child of the frame across the process boundary and
  // returns Id().
  virtual WindowId Embed() = 0;
};

// The game process's watchdog: checks once a second whether frame still
// names a window; when it no longer does, posts kGameWindowClose to
// gameWindow and ends the process with exit code 0 one second later,
// whether or not the game window has finished closing. Runs for the rest of
// the process (Windows: a thread; Linux: a timer of the GTK main loop).
void StartFrameWatchdog(WindowId frame, WindowId gameWindow);

// Whether id names an existing window.
bool GameWindowExists(WindowId id);

}  // namespace qm
