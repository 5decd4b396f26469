// The game process protocol over X11: client messages addressed by window id,
// a synchronous send made of a request and its answer, XEmbed for the
// embedding, and the watchdog as a timer of the GTK main loop.
#include "frame/game_channel.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <gtk/gtkx.h>

#include <algorithm>
#include <map>

#include "platform/linux/owners.h"
#include "platform/process.h"

namespace qm {

namespace {

// A game message: l[0] message, l[1] wParam, l[2] lParam, l[3] sequence
// number (0: posted, no answer wanted), l[4] the window to answer to.
constexpr const char* kMessageAtom = "_QM_GAME_MESSAGE";
// The answer to a sent message: l[0] sequence number, l[1] answer, l[2] 1
// when the receiver handled the message.
constexpr const char* kAnswerAtom = "_QM_GAME_ANSWER";
// The game window's wish to be placed: l[0..3] x, y, width, height in the
// frame's client coordinates.
constexpr const char* kPlaceAtom = "_QM_GAME_PLACE";
// Property on the frame's window: the id of the GtkSocket the game window
// embeds into.
constexpr const char* kSocketProperty = "_QM_GAME_SOCKET";

GdkDisplay* Display_() { return gdk_display_get_default(); }
::Display* XDisplay() { return GDK_DISPLAY_XDISPLAY(Display_()); }
Atom AtomOf(const char* name) { return gdk_x11_get_xatom_by_name_for_display(Display_(), name); }

// Sends a format-32 client message to the client that owns target; false
// when target names no window.
bool SendClientMessage(WindowId target, const char* type, const long (&data)[5]) {
  if (target <= 0) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = static_cast<Window>(target);
  event.xclient.message_type = AtomOf(type);
  event.xclient.format = 32;
  for (int i = 0; i < 5; ++i) event.xclient.data.l[i] = data[i];
  gdk_x11_display_error_trap_push(Display_());
  XSendEvent(XDisplay(), static_cast<Window>(target), False, NoEventMask, &event);
  XSync(XDisplay(), False);
  return gdk_x11_display_error_trap_pop(Display_()) == 0;
}

XClientMessageEvent* AsClientMessage(GdkXEvent* xevent, const char* type) {
  auto* event = static_cast<XEvent*>(xevent);
  if (event->type != ClientMessage || event->xclient.format != 32) return nullptr;
  if (event->xclient.message_type != AtomOf(type)) return nullptr;
  return &event->xclient;
}

WindowId XidOf(GtkWidget* widget) {
  gtk_widget_realize(widget);
  GdkWindow* window = gtk_widget_get_window(widget);
  return window ? static_cast<WindowId>(gdk_x11_window_get_xid(window)) : 0;
}

class X11GameChannel : public GameChannel {
 public:
  X11GameChannel(GdkWindow* window, GameMessageHandler handler)
      : window_(GDK_WINDOW(g_object_ref(window))),
        id_(static_cast<WindowId>(gdk_x11_window_get_xid(window))),
        handler_(std::move(handler)) {
    gdk_window_add_filter(window_.get(), &X11GameChannel::Filter, this);
  }
  ~X11GameChannel() override { gdk_window_remove_filter(window_.get(), &X11GameChannel::Filter, this); }

  WindowId Id() const override { return id_; }

  std::optional<std::int64_t> Send(WindowId target, const GameMessage& message, int timeoutMs) override {
    long sequence = ++lastSequence_;
    if (sequence <= 0) sequence = lastSequence_ = 1;
    const long request[5] = {static_cast<long>(message.message), static_cast<long>(message.wParam),
                             static_cast<long>(message.lParam), sequence, static_cast<long>(id_)};
    // Only an answer to a request that is waiting is taken (any program on
    // the display can send answers); it waits here from before the request.
    waiting_[sequence] = std::nullopt;
    if (!SendClientMessage(target, kMessageAtom, request)) {
      waiting_.erase(sequence);
      return std::nullopt;
    }
    // Wait in a nested main loop, which also lets this window take the
    // messages that arrive meanwhile, until the answer or the time-out.
    bool timedOut = false;
    const guint timer = g_timeout_add(static_cast<guint>(timeoutMs), &X11GameChannel::TimeOut, &timedOut);
    while (!timedOut && !waiting_[sequence]) g_main_context_iteration(nullptr, TRUE);
    if (!timedOut) g_source_remove(timer);
    const std::optional<std::int64_t> answer = waiting_[sequence];
    waiting_.erase(sequence);
    return answer;
  }

  bool Post(WindowId target, const GameMessage& message) override {
    const long request[5] = {static_cast<long>(message.message), static_cast<long>(message.wParam),
                             static_cast<long>(message.lParam), 0, 0};
    return SendClientMessage(target, kMessageAtom, request);
  }

 private:
  static gboolean TimeOut(gpointer flag) {
    *static_cast<bool*>(flag) = true;
    return G_SOURCE_REMOVE;
  }

  static GdkFilterReturn Filter(GdkXEvent* xevent, GdkEvent*, gpointer data) {
    auto* self = static_cast<X11GameChannel*>(data);
    if (XClientMessageEvent* answer = AsClientMessage(xevent, kAnswerAtom)) {
      // An answer for which no send waits is dropped: kept, it would grow
      // without end, or answer a later request before it was even made.
      const auto waiting = self->waiting_.find(answer->data.l[0]);
      if (waiting != self->waiting_.end() && !waiting->second) waiting->second = answer->data.l[1];
      return GDK_FILTER_REMOVE;
    }
    XClientMessageEvent* request = AsClientMessage(xevent, kMessageAtom);
    if (!request) return GDK_FILTER_CONTINUE;
    const GameMessage message{static_cast<unsigned>(request->data.l[0]), request->data.l[1], request->data.l[2]};
    const long sequence = request->data.l[3];
    const WindowId replyTo = request->data.l[4];
    const std::optional<std::int64_t> result = self->handler_(message);
    // The handler may have ended this channel; the answer needs nothing of it.
    if (sequence != 0 && replyTo != 0) {
      const long reply[5] = {sequence, static_cast<long>(result.value_or(0)), result ? 1 : 0, 0, 0};
      SendClientMessage(replyTo, kAnswerAtom, reply);
    }
    return GDK_FILTER_REMOVE;
  }

  GObjectPtr<GdkWindow> window_;
  WindowId id_;
  GameMessageHandler handler_;
  long lastSequence_ = 0;
  // The sends waiting for their answers (nested sends wait together), with
  // the answer once it has come.
  std::map<long, std::optional<std::int64_t>> waiting_;
};

void PutChild(GtkWidget* parent, GtkWidget* child, int x, int y) {
  if (GTK_IS_LAYOUT(parent))
    gtk_layout_put(GTK_LAYOUT(parent), child, x, y);
  else
    gtk_fixed_put(GTK_FIXED(parent), child, x, y);
}

void MoveChild(GtkWidget* parent, GtkWidget* child, int x, int y) {
  if (GTK_IS_LAYOUT(parent))
    gtk_layout_move(GTK_LAYOUT(parent), child, x, y);
  else
    gtk_fixed_move(GTK_FIXED(parent), child, x, y);
}

struct XFreeMemory {
  void operator()(unsigned char* memory) const noexcept { XFree(memory); }
};
// Memory that Xlib hands out for the caller to XFree.
using XMemoryPtr = std::unique_ptr<unsigned char, XFreeMemory>;

// A place the game window asked for, kept inside a client area of the given
// size: computed in 64 bits, so that no number a message can carry
// overflows, and at least one pixel wide and high.
PixelRect ClampPlace(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height, std::int64_t limitWidth,
                     std::int64_t limitHeight) {
  x = std::clamp<std::int64_t>(x, 0, std::max<std::int64_t>(0, limitWidth - 1));
  y = std::clamp<std::int64_t>(y, 0, std::max<std::int64_t>(0, limitHeight - 1));
  width = std::clamp<std::int64_t>(width, 1, std::max<std::int64_t>(1, limitWidth - x));
  height = std::clamp<std::int64_t>(height, 1, std::max<std::int64_t>(1, limitHeight - y));
  return {static_cast<int>(x), static_cast<int>(y), static_cast<int>(width), static_cast<int>(height)};
}

class X11GameEmbedSite : public GameEmbedSite {
 public:
  X11GameEmbedSite(GtkWidget* frame, GtkWidget* childParent)
      : frame_(GDK_WINDOW(g_object_ref(gtk_widget_get_window(frame)))), parent_(childParent) {
    socket_.reset(GTK_WIDGET(g_object_ref_sink(gtk_socket_new())));
    // The socket stays when a game window leaves it; the default handler
    // would destroy it.
    g_signal_connect(socket_.get(), "plug-removed", G_CALLBACK(+[](GtkSocket*, gpointer) -> gboolean { return TRUE; }),
                     nullptr);
    PutChild(parent_, socket_.get(), 0, kCaptionStripHeight);
    gtk_widget_set_size_request(socket_.get(), 1, 1);
    gtk_widget_show(socket_.get());
    gtk_widget_realize(socket_.get());
    const unsigned long socketId = gtk_socket_get_id(GTK_SOCKET(socket_.get()));
    XChangeProperty(XDisplay(), gdk_x11_window_get_xid(frame_.get()), AtomOf(kSocketProperty), XA_WINDOW, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&socketId), 1);
    XFlush(XDisplay());
    gdk_window_add_filter(frame_.get(), &X11GameEmbedSite::Filter, this);
  }
  ~X11GameEmbedSite() override {
    gdk_window_remove_filter(frame_.get(), &X11GameEmbedSite::Filter, this);
    gdk_x11_display_error_trap_push(Display_());
    XDeleteProperty(XDisplay(), gdk_x11_window_get_xid(frame_.get()), AtomOf(kSocketProperty));
    gdk_x11_display_error_trap_pop_ignored(Display_());
    if (gtk_widget_get_parent(socket_.get())) gtk_widget_destroy(socket_.get());
  }

  bool HoldsGameWindow(WindowId window, long gameProcessId) const override;

 private:
  static GdkFilterReturn Filter(GdkXEvent* xevent, GdkEvent*, gpointer data) {
    auto* self = static_cast<X11GameEmbedSite*>(data);
    XClientMessageEvent* asked = AsClientMessage(xevent, kPlaceAtom);
    if (!asked) return GDK_FILTER_CONTINUE;
    // The game window measures the frame's X window, which lags behind a
    // size the frame has just asked for (leaving full screen, restoring).
    // The socket's request is a minimum of the frame window, so a place
    // measured from the old size would hold the frame at it; kept inside the
    // client size the frame set, the socket lets the frame shrink and hands
    // the plug its true size. Without a size set, the screen bounds it: any
    // program can send this message, with any numbers.
    int clientWidth = -1, clientHeight = -1;
    gtk_widget_get_size_request(self->parent_, &clientWidth, &clientHeight);
    ::Display* display = XDisplay();
    const PixelRect place = ClampPlace(asked->data.l[0], asked->data.l[1], asked->data.l[2], asked->data.l[3],
                                       clientWidth > 0 ? clientWidth : DisplayWidth(display, DefaultScreen(display)),
                                       clientHeight > 0 ? clientHeight : DisplayHeight(display, DefaultScreen(display)));
    MoveChild(self->parent_, self->socket_.get(), place.x, place.y);
    gtk_widget_set_size_request(self->socket_.get(), place.width, place.height);
    return GDK_FILTER_REMOVE;
  }

  GObjectPtr<GdkWindow> frame_;
  GtkWidget* parent_;
  GObjectPtr<GtkWidget> socket_;
};

// The parent X window of window, or 0 when it names none.
::Window ParentOf(WindowId window) {
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  gdk_x11_display_error_trap_push(Display_());
  const Status ok = XQueryTree(XDisplay(), static_cast<::Window>(window), &root, &parent, &children, &count);
  const bool failed = gdk_x11_display_error_trap_pop(Display_()) != 0;
  const XMemoryPtr owned(reinterpret_cast<unsigned char*>(children));
  return failed || !ok ? 0 : parent;
}

bool X11GameEmbedSite::HoldsGameWindow(WindowId window, long) const {
  if (window <= 0) return false;
  const ::Window socket = gtk_socket_get_id(GTK_SOCKET(socket_.get()));
  return socket != 0 && ParentOf(window) == socket;
}

// The socket the frame published, or 0.
Window PublishedSocket(WindowId frame) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* raw = nullptr;
  gdk_x11_display_error_trap_push(Display_());
  const int status = XGetWindowProperty(XDisplay(), static_cast<Window>(frame), AtomOf(kSocketProperty), 0, 1, False,
                                        XA_WINDOW, &type, &format, &count, &after, &raw);
  const bool failed = gdk_x11_display_error_trap_pop(Display_()) != 0;
  const XMemoryPtr value(raw);
  if (failed || status != Success || !value || type != XA_WINDOW || format != 32 || count != 1) return 0;
  return static_cast<Window>(*reinterpret_cast<const unsigned long*>(value.get()));
}

unsigned VirtualKeyOf(guint keyval) {
  switch (keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
      return 0x0D;
    case GDK_KEY_Escape:
      return 0x1B;
    case GDK_KEY_F5:
      return 0x74;
    default:
      return 0;
  }
}

class X11EmbeddedGameWindow : public EmbeddedGameWindow {
 public:
  X11EmbeddedGameWindow(WindowId frame, ::Window socket)
      : frame_(frame), plugOwner_(GTK_WIDGET(g_object_ref_sink(gtk_plug_new(socket)))), plug_(plugOwner_.get()) {
    // The children's container sits in a GtkLayout, which asks for no size
    // of its own: the view's size request must not become the plug's
    // minimum size, or the plug (and the socket around it) could not shrink
    // when the frame fits the game window into a smaller place.
    GtkWidget* layout = gtk_layout_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(plug_), layout);
    fixed_ = gtk_fixed_new();
    gtk_layout_put(GTK_LAYOUT(layout), fixed_, 0, 0);
    gtk_widget_show_all(layout);
    g_signal_connect(plug_, "size-allocate", G_CALLBACK(&X11EmbeddedGameWindow::OnSizeAllocate), this);
    g_signal_connect(plug_, "key-press-event", G_CALLBACK(&X11EmbeddedGameWindow::OnKeyPress), this);
    // The plug's own window manager close must not destroy the game window
    // behind the controller's back.
    g_signal_connect(plug_, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer) -> gboolean {
                       return TRUE;
                     }),
                     nullptr);
    gtk_widget_realize(plug_);
    id_ = static_cast<WindowId>(gtk_plug_get_id(GTK_PLUG(plug_)));
  }
  ~X11EmbeddedGameWindow() override {
    g_signal_handlers_disconnect_by_data(plug_, this);
    gtk_widget_destroy(plug_);
  }

  WindowId Id() const override { return id_; }
  NativeWindow Window() const override { return plug_; }
  NativeWindow ChildParent() const override { return fixed_; }
  void SetResizeHandler(std::function<void(int, int)> handler) override { resize_ = std::move(handler); }
  void SetKeyHandler(std::function<bool(unsigned)> handler) override { key_ = std::move(handler); }

  PixelRect FrameClientRect() const override {
    ::Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    gdk_x11_display_error_trap_push(Display_());
    const Status ok = XGetGeometry(XDisplay(), static_cast<::Window>(frame_), &root, &x, &y, &width, &height,
                                   &border, &depth);
    if (gdk_x11_display_error_trap_pop(Display_()) != 0 || !ok) return {};
    return {0, 0, static_cast<int>(width), static_cast<int>(height)};
  }

  void Move(const PixelRect& rect, bool repaint) override {
    const long place[5] = {rect.x, rect.y, rect.width, rect.height, 0};
    SendClientMessage(frame_, kPlaceAtom, place);
    if (repaint) gtk_widget_queue_draw(plug_);
  }

  bool IsVisible() const override { return gtk_widget_get_visible(plug_); }
  void Show() override { gtk_widget_show(plug_); }

  WindowId Embed() override {
    // The plug went into the socket when it was made; showing it maps it
    // there (XEmbed's mapped flag).
    gtk_widget_show(plug_);
    return id_;
  }

 private:
  static void OnSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data) {
    auto* self = static_cast<X11EmbeddedGameWindow*>(data);
    if (self->resize_) self->resize_(allocation->width, allocation->height);
  }
  static gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
    auto* self = static_cast<X11EmbeddedGameWindow*>(data);
    const unsigned key = VirtualKeyOf(event->keyval);
    return key != 0 && self->key_ && self->key_(key) ? TRUE : FALSE;
  }

  WindowId frame_;
  GObjectPtr<GtkWidget> plugOwner_;
  GtkWidget* plug_;
  GtkWidget* fixed_;
  WindowId id_ = 0;
  std::function<void(int, int)> resize_;
  std::function<bool(unsigned)> key_;
};

struct Watch {
  WindowId frame;
  WindowId gameWindow;
};

gboolean EndProcess(gpointer) { ExitProcessNow(0); }

gboolean CheckFrame(gpointer data) {
  auto* watch = static_cast<Watch*>(data);
  if (GameWindowExists(watch->frame)) return G_SOURCE_CONTINUE;
  const long close[5] = {static_cast<long>(kGameWindowClose), 0, 0, 0, 0};
  SendClientMessage(watch->gameWindow, kMessageAtom, close);
  g_timeout_add(1000, &EndProcess, nullptr);
  delete watch;
  return G_SOURCE_REMOVE;
}

}  // namespace

std::unique_ptr<GameChannel> GameChannel::Listen(NativeWindow window, GameMessageHandler handler) {
  if (!window) return nullptr;
  gtk_widget_realize(window);
  GdkWindow* gdkWindow = gtk_widget_get_window(window);
  if (!gdkWindow || !GDK_IS_X11_WINDOW(gdkWindow)) return nullptr;
  return std::make_unique<X11GameChannel>(gdkWindow, std::move(handler));
}

std::unique_ptr<GameEmbedSite> GameEmbedSite::Create(NativeWindow frame, NativeWindow childParent) {
  if (!frame || !childParent || XidOf(frame) == 0) return nullptr;
  if (!GTK_IS_FIXED(childParent) && !GTK_IS_LAYOUT(childParent)) return nullptr;
  return std::make_unique<X11GameEmbedSite>(frame, childParent);
}

std::unique_ptr<EmbeddedGameWindow> EmbeddedGameWindow::Create(WindowId frame) {
  if (!GameWindowExists(frame)) return nullptr;
  const ::Window socket = PublishedSocket(frame);
  if (socket == 0) return nullptr;
  return std::make_unique<X11EmbeddedGameWindow>(frame, socket);
}

void StartFrameWatchdog(WindowId frame, WindowId gameWindow) {
  g_timeout_add(1000, &CheckFrame, new Watch{frame, gameWindow});
}

bool GameWindowExists(WindowId id) {
  if (id <= 0) return false;
  XWindowAttributes attributes;
  gdk_x11_display_error_trap_push(Display_());
  const Status ok = XGetWindowAttributes(XDisplay(), static_cast<Window>(id), &attributes);
  return gdk_x11_display_error_trap_pop(Display_()) == 0 && ok != 0;
}

}  // namespace qm
