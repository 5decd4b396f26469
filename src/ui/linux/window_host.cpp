// The GTK window host: a GtkWindow (or, for a child, a GtkEventBox) whose
// only child is a GtkFixed for the child controls. Its signals become
// controller calls; the face is painted off-screen through the cairo canvas
// and copied in one go.
#include "ui/window_host.h"


#include <algorithm>
#include <map>
#include <vector>
#include <unordered_map>
#include <utility>

#include "base/text.h"
#include "ui/double_click.h"
#include "ui/linux/gtk_owners.h"
#include "ui/linux/key_map.h"
#include "ui/linux/skin_image.h"
#include "ui/linux/x11_shape.h"
#include "ui/linux/x11_stacking.h"

namespace qm {

namespace {

class GtkWindowHost;

// The live hosts by their window and their GtkFixed, so that commands and
// face captures find their controller; touched on the UI thread only.
std::unordered_map<GtkWidget*, GtkWindowHost*>& LiveHosts() {
  static std::unordered_map<GtkWidget*, GtkWindowHost*> hosts;
  return hosts;
}

GtkWindowHost* HostOf(GtkWidget* widget) {
  const auto found = LiveHosts().find(widget);
  return found == LiveHosts().end() ? nullptr : found->second;
}

// The region of pixels of surface (ARGB32) that pass keep(pixel).
template <typename Keep>
CairoRegionPtr RegionOf(cairo_surface_t* surface, Keep keep) {
  CairoRegionPtr region(cairo_region_create());
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width;) {
      while (x < width && !keep(row[x])) ++x;
      const int start = x;
      while (x < width && keep(row[x])) ++x;
      if (x > start) {
        const cairo_rectangle_int_t run{start, y, x - start, 1};
        cairo_region_union_rectangle(region.get(), &run);
      }
    }
  }
  return region;
}

// The GtkFixed of a host: as large as its size request (the host's bounds)
// whatever its children ask for, so that a child placed past an edge is cut
// there, as a child window is clipped by its parent, and never grows the
// window.
struct HostFixed {
  GtkFixed parent;
};
struct HostFixedClass {
  GtkFixedClass parentClass;
};

G_DEFINE_TYPE(HostFixed, qm_host_fixed, GTK_TYPE_FIXED)

void NothingPreferred(GtkWidget*, gint* minimum, gint* natural) { *minimum = *natural = 0; }

void qm_host_fixed_class_init(HostFixedClass* hostClass) {
  // The widget's size request still applies over these: only the children's
  // requests are left out.
  GtkWidgetClass* widgetClass = GTK_WIDGET_CLASS(hostClass);
  widgetClass->get_preferred_width = NothingPreferred;
  widgetClass->get_preferred_height = NothingPreferred;
}

void qm_host_fixed_init(HostFixed*) {}

class GtkWindowHost final : public WindowHost {
 public:
  GtkWindowHost(WindowController& controller, const WindowOptions& options);
  ~GtkWindowHost() override;

  bool made() const { return window_.valid(); }
  WindowController& controller() { return controller_; }
  void PaintFace(cairo_t* cr, const PixelRect& area);

  void Show() override;
  void Hide() override;
  bool IsVisible() const override { return window_ && gtk_widget_get_visible(window_.get()); }
  void Activate() override;
  void Minimize() override;
  void Maximize() override;
  void Restore() override;
  ShowState State() const override { return state_; }
  void SetBounds(const PixelRect& bounds) override;
  PixelRect Bounds() const override { return bounds_; }
  PixelSize ClientSize() const override { return {bounds_.width, bounds_.height}; }
  void Invalidate() override;
  void Invalidate(const PixelRect& area) override;
  void StartTimer(int id, int periodMs) override;
  void StopTimer(int id) override { timers_.erase(id); }
  int RunModal() override;
  void EndModal(int result) override;
  bool InModalRun() const override { return modal_ != nullptr; }
  void Close() override { window_.reset(); }
  void BeginMoveDrag() override;
  void SetTitle(const std::wstring& title) override;
  NativeWindow ChildParent() const override { return fixed_; }
  NativeWindow Native() const override { return window_.get(); }
  std::optional<PixelRect> OwnerBounds() const override { return WindowBoundsOf(options_.owner); }
  PixelRect WorkArea() const override;
  PixelRect ScreenArea() const override;
  bool SetAlphaFace(const SkinImage& image) override;
  void SetColourKey(Argb key) override;
  void SetOpacity(uint8_t alpha) override;

 private:
  struct Timer {
    GtkWindowHost* host;
    int id;
    UniqueSource source;
  };
  struct ModalRun {
    MainLoopPtr loop;
    int result = 0;
  };

  bool IsToplevel() const { return options_.kind != WindowKind::kChild; }
  GdkMonitor* Monitor() const;
  void ApplyShape(CairoRegionPtr region, bool bounding);
  void ApplyAlphaShape();

  static gboolean OnDraw(GtkWidget*, cairo_t*, gpointer);
  static gboolean OnPress(GtkWidget*, GdkEventButton*, gpointer);
  static gboolean OnRelease(GtkWidget*, GdkEventButton*, gpointer);
  static gboolean OnMotion(GtkWidget*, GdkEventMotion*, gpointer);
  static gboolean OnLeave(GtkWidget*, GdkEventCrossing*, gpointer);
  static gboolean OnKey(GtkWidget*, GdkEventKey*, gpointer);
  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer);
  static gboolean OnConfigure(GtkWidget*, GdkEventConfigure*, gpointer);
  static gboolean OnWindowState(GtkWidget*, GdkEventWindowState*, gpointer);
  static void OnSizeAllocate(GtkWidget*, GdkRectangle*, gpointer);
  static void OnDestroyed(GtkWidget*, gpointer);
  static void OnCompositedChanged(GdkScreen*, gpointer);
  static gboolean OnTimer(gpointer);
  static gboolean OnKeyShapeDue(gpointer);
  static void OnRealize(GtkWidget*, gpointer);
  static gboolean OnMapped(GtkWidget*, GdkEvent*, gpointer);
  static void KeepOwnedPopupsAbove();
  void ApplyOpacity();
  void RaiseOwnedPopups();
  bool BelongsAbove(const GtkWindowHost& owner) const;
  bool IsPrompt() const { return modal_ != nullptr; }
  void AddChildrenToKeyShape(cairo_region_t* region);

  WindowController& controller_;
  WindowOptions options_;
  UniqueWidget window_;
  GtkWidget* fixed_ = nullptr;
  PixelRect bounds_;
  ShowState state_ = ShowState::kRestored;
  std::map<int, std::unique_ptr<Timer>> timers_;
  ModalRun* modal_ = nullptr;
  DoubleClickDetector doubleClicks_;
  bool tracking_ = false;  // the pointer is inside: a leave is due

  CairoSurfacePtr alphaFace_;
  std::optional<Argb> colourKey_;
  CairoRegionPtr keyShape_;  // the shape set last
  CairoRegionPtr pendingKeyShape_;
  UniqueSource keyShapeIdle_;
  uint8_t opacity_ = 255;
  gulong compositedHandler_ = 0;
};

DoubleClickDetector SystemDoubleClicks() {
  gint time = 400, distance = 5;
  if (GtkSettings* settings = gtk_settings_get_default())
    g_object_get(settings, "gtk-double-click-time", &time, "gtk-double-click-distance", &distance, nullptr);
  return DoubleClickDetector(static_cast<uint32_t>(time), distance);
}

GtkWindowHost::GtkWindowHost(WindowController& controller, const WindowOptions& options)
    : controller_(controller), options_(options), bounds_(options.bounds), doubleClicks_(SystemDoubleClicks()) {
  GtkWidget* window = nullptr;
  if (IsToplevel()) {
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* w = GTK_WINDOW(window);
    gtk_window_set_decorated(w, FALSE);
    gtk_window_set_resizable(w, FALSE);
    if (options.dialog) gtk_window_set_type_hint(w, GDK_WINDOW_TYPE_HINT_DIALOG);
    GtkWidget* owner = options.owner ? gtk_widget_get_toplevel(options.owner) : nullptr;
    if (owner && GTK_IS_WINDOW(owner)) {
      gtk_window_set_transient_for(w, GTK_WINDOW(owner));
      if (options.kind == WindowKind::kOwnedPopup) {
        gtk_window_set_destroy_with_parent(w, TRUE);
        gtk_window_set_skip_taskbar_hint(w, TRUE);
        gtk_window_set_skip_pager_hint(w, TRUE);
      }
    }
    gtk_widget_add_events(window, GDK_KEY_PRESS_MASK | GDK_STRUCTURE_MASK);
    window_.reset(window);
  } else {
    if (!options.owner || !GTK_IS_FIXED(options.owner)) return;
    window = gtk_event_box_new();
    gtk_widget_set_can_focus(window, TRUE);
    gtk_fixed_put(GTK_FIXED(options.owner), window, options.bounds.x, options.bounds.y);
    window_.reset(window);
  }
  gtk_widget_set_app_paintable(window, TRUE);
  gtk_widget_add_events(window, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                    GDK_LEAVE_NOTIFY_MASK | GDK_ENTER_NOTIFY_MASK);
  fixed_ = GTK_WIDGET(g_object_new(qm_host_fixed_get_type(), nullptr));
  gtk_container_add(GTK_CONTAINER(window), fixed_);
  gtk_widget_show(fixed_);
  LiveHosts()[window] = this;
  LiveHosts()[fixed_] = this;

  g_signal_connect(fixed_, "draw", G_CALLBACK(OnDraw), this);
  g_signal_connect(fixed_, "size-allocate", G_CALLBACK(OnSizeAllocate), this);
  g_signal_connect(window, "button-press-event", G_CALLBACK(OnPress), this);
  g_signal_connect(window, "button-release-event", G_CALLBACK(OnRelease), this);
  g_signal_connect(window, "motion-notify-event", G_CALLBACK(OnMotion), this);
  g_signal_connect(window, "leave-notify-event", G_CALLBACK(OnLeave), this);
  g_signal_connect(window, "key-press-event", G_CALLBACK(OnKey), this);
  g_signal_connect(window, "destroy", G_CALLBACK(OnDestroyed), this);
  g_signal_connect_after(window, "realize", G_CALLBACK(OnRealize), this);
  if (IsToplevel()) {
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(window, "configure-event", G_CALLBACK(OnConfigure), this);
    g_signal_connect(window, "window-state-event", G_CALLBACK(OnWindowState), this);
    g_signal_connect(window, "map-event", G_CALLBACK(OnMapped), this);
    // Owned popups stay above their owners however the window manager
    // restacks them.
    if (options.kind == WindowKind::kOwnedPopup) WatchClientStacking(KeepOwnedPopupsAbove);
  }
  SetTitle(options.title);
  SetBounds(options.bounds);
}

GtkWindowHost::~GtkWindowHost() {
  window_.reset();  // OnDestroyed tells the controller
  if (GdkDisplay* display = gdk_display_get_default()) gdk_display_flush(display);
}

void GtkWindowHost::OnDestroyed(GtkWidget* widget, gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  g_signal_handlers_disconnect_by_data(widget, host);
  if (host->fixed_) g_signal_handlers_disconnect_by_data(host->fixed_, host);
  if (host->compositedHandler_)
    g_signal_handler_disconnect(gtk_widget_get_screen(widget), std::exchange(host->compositedHandler_, 0));
  LiveHosts().erase(widget);
  LiveHosts().erase(host->fixed_);
  host->fixed_ = nullptr;
  host->timers_.clear();
  host->keyShapeIdle_.reset();
  // Destroyed from outside (its owner went): the widget is no longer ours.
  if (host->window_.get() == widget) host->window_.release();
  if (host->modal_) g_main_loop_quit(host->modal_->loop.get());
  host->controller_.OnDestroy();
}

void GtkWindowHost::PaintFace(cairo_t* cr, const PixelRect& area) {
  if (alphaFace_) {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, alphaFace_.get(), -area.x, -area.y);
    cairo_paint(cr);
    cairo_restore(cr);
    return;
  }
  cairo_save(cr);
  cairo_translate(cr, -area.x, -area.y);
  CairoCanvas canvas(cr);
  controller_.OnPaint(canvas);
  cairo_restore(cr);
}

gboolean GtkWindowHost::OnDraw(GtkWidget* fixed, cairo_t* cr, gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  const int width = gtk_widget_get_allocated_width(fixed), height = gtk_widget_get_allocated_height(fixed);
  if (host->alphaFace_) {
    host->PaintFace(cr, {0, 0, width, height});
    return FALSE;
  }
  // Off-screen first, then one copy: the face never shows half painted.
  CairoSurfacePtr off(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width > 0 ? width : 1, height > 0 ? height : 1));
  {
    CairoPtr offCr(cairo_create(off.get()));
    CairoCanvas canvas(offCr.get());
    host->controller_.OnPaint(canvas);
  }
  cairo_surface_flush(off.get());
  if (host->colourKey_) {
    // Shapes set while a frame is drawn do not reach the X server: the key's
    // shape is set right after.
    const uint32_t key = *host->colourKey_ & 0xFFFFFF;
    host->pendingKeyShape_ =
        RegionOf(off.get(), [key](uint32_t p) { return (p & 0xFFFFFF) != key || (p >> 24) != 0xFF; });
    if (!host->keyShapeIdle_) host->keyShapeIdle_.reset(g_idle_add(OnKeyShapeDue, host));
  }
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, off.get(), 0, 0);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_fill(cr);
  cairo_restore(cr);
  return FALSE;  // the child controls draw next
}

gboolean GtkWindowHost::OnKeyShapeDue(gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  host->keyShapeIdle_.release();  // this source ends with the G_SOURCE_REMOVE below
  if (!host->window_ || !host->pendingKeyShape_) return G_SOURCE_REMOVE;
  // Laid out and painted by now: the children's pixels join the face's.
  host->AddChildrenToKeyShape(host->pendingKeyShape_.get());
  host->ApplyShape(std::move(host->pendingKeyShape_), true);
  return G_SOURCE_REMOVE;
}

// The colour key applies to what the window shows, its child controls
// included: a control keeps its area except where it paints the key itself
// (an image button copies the face under it, key pixels too). Controls drawn
// by a toolkit of their own (the web view) keep their whole area.
void GtkWindowHost::AddChildrenToKeyShape(cairo_region_t* region) {
  struct Walk {
    GtkWindowHost* host;
    cairo_region_t* region;
    uint32_t key;
  } walk{this, region, *colourKey_ & 0xFFFFFF};
  gtk_container_foreach(
      GTK_CONTAINER(fixed_),
      [](GtkWidget* child, gpointer data) {
        const auto* w = static_cast<Walk*>(data);
        if (!gtk_widget_get_visible(child)) return;
        GtkAllocation a;
        gtk_widget_get_allocation(child, &a);
        if (a.width <= 0 || a.height <= 0) return;
        if (!GTK_IS_DRAWING_AREA(child)) {
          const cairo_rectangle_int_t whole{a.x, a.y, a.width, a.height};
          cairo_region_union_rectangle(w->region, &whole);
          return;
        }
        // Transparent to start with: what the control leaves unpainted stays.
        CairoSurfacePtr drawn(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, a.width, a.height));
        {
          CairoPtr cr(cairo_create(drawn.get()));
          gtk_widget_draw(child, cr.get());
        }
        const uint32_t key = w->key;
        CairoRegionPtr own = RegionOf(drawn.get(), [key](uint32_t p) { return (p & 0xFFFFFF) != key || (p >> 24) != 0xFF; });
        // Only inside the window's client area, like the child it is.
        const cairo_rectangle_int_t client{-a.x, -a.y, w->host->bounds_.width, w->host->bounds_.height};
        cairo_region_intersect_rectangle(own.get(), &client);
        cairo_region_translate(own.get(), a.x, a.y);
        cairo_region_union(w->region, own.get());
      },
      &walk);
}

void GtkWindowHost::ApplyShape(CairoRegionPtr region, bool bounding) {
  if (keyShape_ && cairo_region_equal(keyShape_.get(), region.get())) return;
  // Kept on the widget (applied when it is realized) and set on its X
  // window now.
  if (bounding) gtk_widget_shape_combine_region(window_.get(), region.get());
  gtk_widget_input_shape_combine_region(window_.get(), region.get());
  SetXShape(window_.get(), region.get(), bounding);
  keyShape_ = std::move(region);
}

void GtkWindowHost::OnSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  if (host->IsToplevel()) return;  // toplevels report through configure events
  if (allocation->width == host->bounds_.width && allocation->height == host->bounds_.height) return;
  host->bounds_.width = allocation->width;
  host->bounds_.height = allocation->height;
  host->controller_.OnResized({allocation->width, allocation->height});
}

MouseButton ButtonOf(guint button) {
  return button == 3 ? MouseButton::kRight : button == 2 ? MouseButton::kMiddle : MouseButton::kLeft;
}

gboolean GtkWindowHost::OnPress(GtkWidget* widget, GdkEventButton* event, gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  // Presses on child controls with windows of their own are theirs; GDK's
  // own double-click events are replaced by the detector's answer.
  if (event->window != gtk_widget_get_window(widget) || event->type != GDK_BUTTON_PRESS) return FALSE;
  if (event->button < 1 || event->button > 3) return FALSE;
  const int x = static_cast<int>(event->x), y = static_cast<int>(event->y);
  const PointerPress press{x, y, ButtonOf(event->button)};
  const bool isDouble = host->doubleClicks_.IsDoubleClick(press.button, x, y, event->time);
  switch (host->controller_.HitTest(x, y)) {
    case HitArea::kDrag:
      if (event->button == 1 && host->IsToplevel() && !isDouble)
        gtk_window_begin_move_drag(GTK_WINDOW(widget), 1, static_cast<int>(event->x_root),
                                   static_cast<int>(event->y_root), event->time);
      return TRUE;
    case HitArea::kTransparent:
      return TRUE;
    case HitArea::kClient:
      break;
  }
  if (isDouble)
    host->controller_.OnDoubleClick(press);
  else
    host->controller_.OnPointerDown(press);
  return TRUE;
}

gboolean GtkWindowHost::OnRelease(GtkWidget* widget, GdkEventButton* event, gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  if (event->window != gtk_widget_get_window(widget) || event->button < 1 || event->button > 3) return FALSE;
  host->controller_.OnPointerUp({static_cast<int>(event->x), static_cast<int>(event->y), ButtonOf(event->button)});
  return TRUE;
}

gboolean GtkWindowHost::OnMotion(GtkWidget* widget, GdkEventMotion* event, gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  if (event->window != gtk_widget_get_window(widget)) return FALSE;
  host->tracking_ = true;
  host->controller_.OnPointerMove(static_cast<int>(event->x), static_cast<int>(event->y));
  return TRUE;
}

gboolean GtkWindowHost::OnLeave(GtkWidget* widget, GdkEventCrossing* event, gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  if (event->window != gtk_widget_get_window(widget) || !host->tracking_) return FALSE;
  // Onto a child control counts as leaving, as on Windows.
  host->tracking_ = false;
  host->controller_.OnPointerLeave();
  return FALSE;
}

gboolean GtkWindowHost::OnKey(GtkWidget*, GdkEventKey* event, gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  const int key = VirtualKeyFromGdkKeyval(event->keyval);
  if (!key) return FALSE;
  const KeyPress press{key, (event->state & GDK_CONTROL_MASK) != 0, (event->state & GDK_SHIFT_MASK) != 0,
                       (event->state & GDK_MOD1_MASK) != 0};
  return host->controller_.OnKeyDown(press) ? TRUE : FALSE;
}

gboolean GtkWindowHost::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<GtkWindowHost*>(self)->controller_.OnCloseRequest();
  return TRUE;  // the controller decides; GTK never destroys the window itself
}

gboolean GtkWindowHost::OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  const PixelRect now{event->x, event->y, event->width, event->height};
  const PixelRect before = std::exchange(host->bounds_, now);
  if (now.x != before.x || now.y != before.y) host->controller_.OnMoved(now);
  if (now.width != before.width || now.height != before.height) host->controller_.OnResized({now.width, now.height});
  // A window manager raises a window that is pressed or dragged; its owned
  // popups come back above it (a restack also arrives here).
  host->RaiseOwnedPopups();
  return FALSE;
}

gboolean GtkWindowHost::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  const GdkWindowState s = event->new_window_state;
  const ShowState state = (s & GDK_WINDOW_STATE_ICONIFIED)    ? ShowState::kMinimized
                          : (s & GDK_WINDOW_STATE_MAXIMIZED) ? ShowState::kMaximized
                                                             : ShowState::kRestored;
  if (state != host->state_) {
    host->state_ = state;
    host->controller_.OnShowStateChanged(state);
  }
  return FALSE;
}

void GtkWindowHost::Show() {
  if (!window_) return;
  gtk_widget_show(window_.get());
  RaiseOwnedPopups();
}

// Whether this window stands above owner: a popup owner owns, or a prompt
// (a window in its modal run) of owner's or of one of owner's popups.
bool GtkWindowHost::BelongsAbove(const GtkWindowHost& owner) const {
  if (options_.kind != WindowKind::kOwnedPopup || !options_.owner || !window_ || this == &owner) return false;
  GtkWidget* const ownerWindow = gtk_widget_get_toplevel(options_.owner);
  if (ownerWindow == owner.window_.get()) return true;
  if (!IsPrompt()) return false;
  const GtkWindowHost* const direct = HostOf(ownerWindow);
  return direct && !direct->IsPrompt() && direct->BelongsAbove(owner);
}

// Owned popups stay above their owner, as on Windows, and the prompts of the
// owner and of its popups above those. A window manager keeps transient
// windows above their parent only as long as it restacks them as a group;
// without one, a window that is mapped or raised covers them until they are
// raised again.
void GtkWindowHost::RaiseOwnedPopups() {
  if (!window_ || !IsToplevel()) return;
  std::vector<GdkWindow*> popups, prompts;
  for (const auto& [widget, host] : LiveHosts()) {
    if (widget != host->window_.get() || !host->BelongsAbove(*this) || !gtk_widget_get_visible(widget)) continue;
    if (GdkWindow* const window = gtk_widget_get_window(widget))
      (host->IsPrompt() ? prompts : popups).push_back(window);
  }
  for (GdkWindow* popup : popups) gdk_window_raise(popup);
  for (GdkWindow* prompt : prompts) gdk_window_raise(prompt);
}

// The window manager changed the stacking order: every shown popup whose
// owner now stands above it, or that covers a prompt of its owner's, comes
// back above its owner, with the prompts above it.
void GtkWindowHost::KeepOwnedPopupsAbove() {
  const std::vector<unsigned long> order = ClientStackingOrder();
  const auto place = [&order](GtkWidget* widget) -> long {
    const unsigned long id = XWindowOf(widget);
    for (size_t i = 0; id && i < order.size(); ++i)
      if (order[i] == id) return static_cast<long>(i);
    return -1;
  };
  std::vector<GtkWindowHost*> owners;
  for (const auto& [widget, host] : LiveHosts()) {
    if (widget != host->window_.get() || host->options_.kind != WindowKind::kOwnedPopup || host->IsPrompt() ||
        !host->options_.owner || !gtk_widget_get_visible(widget))
      continue;
    GtkWindowHost* const owner = HostOf(gtk_widget_get_toplevel(host->options_.owner));
    if (!owner || !owner->IsVisible() || owner->state_ == ShowState::kMinimized) continue;
    const long popupAt = place(widget), ownerAt = place(owner->window_.get());
    if (popupAt < 0 || ownerAt < 0) continue;
    bool misplaced = popupAt < ownerAt;
    for (const auto& [other, prompt] : LiveHosts()) {
      if (other != prompt->window_.get() || !prompt->IsPrompt() || !prompt->BelongsAbove(*owner)) continue;
      const long promptAt = place(other);
      if (gtk_widget_get_visible(other) && promptAt >= 0 && promptAt < popupAt) misplaced = true;
    }
    if (misplaced && std::find(owners.begin(), owners.end(), owner) == owners.end()) owners.push_back(owner);
  }
  for (GtkWindowHost* owner : owners) owner->RaiseOwnedPopups();
}

// A popup shown before its owner was mapped named an owner the window
// manager did not know yet, which then keeps no group: once the owner is
// mapped its popups name it again.
gboolean GtkWindowHost::OnMapped(GtkWidget*, GdkEvent*, gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  GdkWindow* const owner = gtk_widget_get_window(host->window_.get());
  for (const auto& [widget, popup] : LiveHosts()) {
    if (widget != popup->window_.get() || popup->IsPrompt() || !popup->BelongsAbove(*host)) continue;
    if (GdkWindow* const window = gtk_widget_get_window(widget); window && owner)
      gdk_window_set_transient_for(window, owner);
  }
  host->RaiseOwnedPopups();
  return FALSE;
}

void GtkWindowHost::Hide() {
  if (window_) gtk_widget_hide(window_.get());
}

void GtkWindowHost::Activate() {
  if (!window_) return;
  if (IsToplevel()) {
    gtk_window_present(GTK_WINDOW(window_.get()));
    RaiseOwnedPopups();
  } else {
    gtk_widget_grab_focus(window_.get());
  }
}

void GtkWindowHost::Minimize() {
  if (window_ && IsToplevel()) gtk_window_iconify(GTK_WINDOW(window_.get()));
}

void GtkWindowHost::Maximize() {
  if (window_ && IsToplevel()) gtk_window_maximize(GTK_WINDOW(window_.get()));
}

void GtkWindowHost::Restore() {
  if (!window_ || !IsToplevel()) return;
  gtk_window_deiconify(GTK_WINDOW(window_.get()));
  gtk_window_unmaximize(GTK_WINDOW(window_.get()));
}

void GtkWindowHost::SetBounds(const PixelRect& bounds) {
  if (!window_) return;
  // The window is as large as its size request: not resizable, and the child
  // controls keep inside it (see CTouchButton).
  gtk_widget_set_size_request(window_.get(), bounds.width, bounds.height);
  gtk_widget_set_size_request(fixed_, bounds.width, bounds.height);
  if (IsToplevel()) {
    gtk_window_move(GTK_WINDOW(window_.get()), bounds.x, bounds.y);
    gtk_window_resize(GTK_WINDOW(window_.get()), bounds.width, bounds.height);
  } else if (GtkWidget* parent = gtk_widget_get_parent(window_.get()); parent && GTK_IS_FIXED(parent)) {
    gtk_fixed_move(GTK_FIXED(parent), window_.get(), bounds.x, bounds.y);
  }
  // Reported at once, as Windows does; the configure event that follows
  // reports only what the window system made different.
  const PixelRect before = std::exchange(bounds_, bounds);
  if (bounds.x != before.x || bounds.y != before.y) controller_.OnMoved(bounds);
  if (bounds.width != before.width || bounds.height != before.height) controller_.OnResized({bounds.width, bounds.height});
}

void GtkWindowHost::Invalidate() {
  if (fixed_) gtk_widget_queue_draw(fixed_);
}

void GtkWindowHost::Invalidate(const PixelRect& area) {
  if (fixed_) gtk_widget_queue_draw_area(fixed_, area.x, area.y, area.width, area.height);
}

gboolean GtkWindowHost::OnTimer(gpointer data) {
  auto* timer = static_cast<Timer*>(data);
  GtkWindowHost* host = timer->host;
  const int id = timer->id;
  // The controller may stop or restart this timer: timer is not used again.
  host->controller_.OnTimer(id);
  return G_SOURCE_CONTINUE;
}

void GtkWindowHost::StartTimer(int id, int periodMs) {
  if (!window_) return;
  auto timer = std::make_unique<Timer>(Timer{this, id, {}});
  timer->source.reset(g_timeout_add(static_cast<guint>(periodMs > 0 ? periodMs : 1), OnTimer, timer.get()));
  timers_[id] = std::move(timer);
}

int GtkWindowHost::RunModal() {
  if (!window_) return 0;
  ModalRun run{MainLoopPtr(g_main_loop_new(nullptr, FALSE))};
  ModalRun* outer = std::exchange(modal_, &run);
  // Modal to GTK and to the window manager only when there is an owner to
  // disable: a modal window without one grabs the input of every other
  // window of the process (its own popups too), and a window manager keeps
  // it above them all.
  const bool blocksOwner = IsToplevel() && options_.owner;
  if (blocksOwner) gtk_window_set_modal(GTK_WINDOW(window_.get()), TRUE);
  gtk_widget_show(window_.get());
  if (IsToplevel()) {
    gtk_window_present(GTK_WINDOW(window_.get()));
    RaiseOwnedPopups();
  }
  g_main_loop_run(run.loop.get());
  modal_ = outer;
  if (window_) {
    if (blocksOwner) gtk_window_set_modal(GTK_WINDOW(window_.get()), FALSE);
    gtk_widget_hide(window_.get());
  }
  return run.result;
}

void GtkWindowHost::EndModal(int result) {
  if (!modal_) return;
  modal_->result = result;
  g_main_loop_quit(modal_->loop.get());
}

void GtkWindowHost::BeginMoveDrag() {
  if (!window_ || !IsToplevel()) return;
  GdkDisplay* display = gtk_widget_get_display(window_.get());
  int x = 0, y = 0;
  gdk_device_get_position(gdk_seat_get_pointer(gdk_display_get_default_seat(display)), nullptr, &x, &y);
  gtk_window_begin_move_drag(GTK_WINDOW(window_.get()), 1, x, y, gtk_get_current_event_time());
}

void GtkWindowHost::SetTitle(const std::wstring& title) {
  if (window_ && IsToplevel()) gtk_window_set_title(GTK_WINDOW(window_.get()), Utf8FromWide(title).c_str());
}

GdkMonitor* GtkWindowHost::Monitor() const {
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = nullptr;
  if (window_ && gtk_widget_get_window(window_.get()))
    monitor = gdk_display_get_monitor_at_window(display, gtk_widget_get_window(window_.get()));
  if (!monitor) monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  return monitor;
}

PixelRect GtkWindowHost::WorkArea() const {
  GdkRectangle r{0, 0, 0, 0};
  if (GdkMonitor* monitor = Monitor()) gdk_monitor_get_workarea(monitor, &r);
  return {r.x, r.y, r.width, r.height};
}

PixelRect GtkWindowHost::ScreenArea() const {
  GdkRectangle r{0, 0, 0, 0};
  if (GdkMonitor* monitor = Monitor()) gdk_monitor_get_geometry(monitor, &r);
  return {r.x, r.y, r.width, r.height};
}

bool GtkWindowHost::SetAlphaFace(const SkinImage& image) {
  if (!window_ || !IsToplevel()) return false;
  cairo_surface_t* face = static_cast<const CairoSkinImage&>(image).surface();
  GtkWidget* window = window_.get();
  GdkScreen* screen = gtk_widget_get_screen(window);
  GdkVisual* rgba = gdk_screen_get_rgba_visual(screen);
  if (!rgba) return false;
  if (gtk_widget_get_visual(window) != rgba) {
    // The visual is chosen when the window is realized: make it anew.
    const bool visible = gtk_widget_get_visible(window);
    if (gtk_widget_get_realized(window)) {
      gtk_widget_hide(window);
      gtk_widget_unrealize(window);
    }
    gtk_widget_set_visual(window, rgba);
    if (visible) gtk_widget_show(window);
  }
  alphaFace_.reset(cairo_surface_reference(face));
  colourKey_.reset();
  SetBounds({bounds_.x, bounds_.y, image.Width(), image.Height()});
  if (!compositedHandler_)
    compositedHandler_ = g_signal_connect(screen, "composited-changed", G_CALLBACK(OnCompositedChanged), this);
  ApplyAlphaShape();
  Invalidate();
  return true;
}

void GtkWindowHost::ApplyAlphaShape() {
  // Clicks pass where the face is fully transparent; without a compositor
  // the window is also cut there, since nothing blends it.
  keyShape_.reset();
  const bool composited = gdk_screen_is_composited(gtk_widget_get_screen(window_.get()));
  if (composited) gtk_widget_shape_combine_region(window_.get(), nullptr);
  ApplyShape(RegionOf(alphaFace_.get(), [](uint32_t p) { return (p >> 24) != 0; }), !composited);
}

void GtkWindowHost::OnCompositedChanged(GdkScreen*, gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  if (host->window_ && host->alphaFace_) host->ApplyAlphaShape();
}

void GtkWindowHost::SetColourKey(Argb key) {
  if (!window_ || alphaFace_) return;
  colourKey_ = key;
  keyShape_.reset();
  Invalidate();
}

void GtkWindowHost::SetOpacity(uint8_t alpha) {
  opacity_ = alpha;
  if (!window_) return;
  gtk_widget_set_opacity(window_.get(), alpha / 255.0);
  ApplyOpacity();
}

void GtkWindowHost::ApplyOpacity() {
  // GTK gives a toplevel's opacity to its window only while realized: set
  // again whenever the window is realized.
  if (GdkWindow* window = gtk_widget_get_window(window_.get()); window && IsToplevel())
    gdk_window_set_opacity(window, opacity_ / 255.0);
}

void GtkWindowHost::OnRealize(GtkWidget*, gpointer self) {
  auto* host = static_cast<GtkWindowHost*>(self);
  if (host->opacity_ != 255) host->ApplyOpacity();
}

}  // namespace

std::unique_ptr<WindowHost> WindowHost::Create(WindowController& controller, const WindowOptions& options) {
  if (!EnsureGtk()) return nullptr;
  auto host = std::make_unique<GtkWindowHost>(controller, options);
  if (!host->made()) return nullptr;
  controller.OnCreate(*host);
  return host;
}

std::unique_ptr<Surface> CaptureFace(NativeWindow window, const PixelRect& area) {
  GtkWindowHost* host = HostOf(window);
  if (!host || area.width <= 0 || area.height <= 0) return nullptr;
  auto surface = std::make_unique<CairoSurface>(area.width, area.height);
  CairoPtr cr(cairo_create(surface->surface()));
  host->PaintFace(cr.get(), area);
  return surface;
}

bool SendCommand(NativeWindow window, int id) {
  GtkWindowHost* host = HostOf(window);
  if (!host) return false;
  host->controller().OnCommand(id);
  return true;
}

void PostCommand(NativeWindow window, int id) {
  struct Posted {
    NativeWindow window;
    int id;
  };
  g_main_context_invoke_full(
      nullptr, G_PRIORITY_DEFAULT,
      [](gpointer data) -> gboolean {
        const auto* posted = static_cast<const Posted*>(data);
        SendCommand(posted->window, posted->id);
        return G_SOURCE_REMOVE;
      },
      new Posted{window, id}, [](gpointer data) { delete static_cast<Posted*>(data); });
}

std::optional<PixelRect> WindowBoundsOf(NativeWindow window) {
  if (!window) return std::nullopt;
  if (GtkWindowHost* host = HostOf(window)) {
    if (host->Native() && GTK_IS_WINDOW(host->Native())) return host->Bounds();
  }
  GtkWidget* toplevel = gtk_widget_get_toplevel(window);
  if (!toplevel || !GTK_IS_WINDOW(toplevel)) return std::nullopt;
  int x = 0, y = 0, w = 0, h = 0;
  gtk_window_get_position(GTK_WINDOW(toplevel), &x, &y);
  gtk_window_get_size(GTK_WINDOW(toplevel), &w, &h);
  return PixelRect{x, y, w, h};
}

}  // namespace qm
