// The web view on Linux: a WebKitWebView with a web context and website data
// manager of its own, so that its data and cache live where the caller says
// and never in the user's home defaults.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <memory>
#include <system_error>
#include <utility>

#include "base/text.h"
#include "browser/web_view.h"
#include "platform/debug_output.h"
#include "platform/linux/owners.h"

namespace qm {
namespace {

// The game view's click report runs in a script world of its own, so that the
// page's scripts can neither see nor replace its message channel. It listens
// on the window in the capture phase, before any listener of the page can
// stop the click, and reports the nearest anchor at or above the clicked
// element. Injected into the top frame only: clicks inside frames are not
// reported.
struct UserScriptUnref {
  void operator()(WebKitUserScript* script) const noexcept { webkit_user_script_unref(script); }
};
using UserScriptPtr = std::unique_ptr<WebKitUserScript, UserScriptUnref>;

constexpr char kClickWorld[] = "qm-game-view";
constexpr char kClickChannel[] = "qmLinkClicked";
constexpr char kClickScript[] = R"JS(
window.addEventListener('click', function (event) {
  for (var node = event.target; node; node = node.parentElement) {
    if (node.tagName === 'A' || node.tagName === 'a') {
      var href = node.getAttribute('href');
      window.webkit.messageHandlers.qmLinkClicked.postMessage(href === null ? '' : String(href));
      return;
    }
  }
}, true);
)JS";

std::string PathText(const std::filesystem::path& path) { return path.string(); }

// The engine's data manager: everything beneath folder, or in memory only
// when folder is empty. Cookies are kept in a file of their own beside the
// other website data, so a login survives a restart as the Windows control's
// cookie store does.
GObjectPtr<WebKitWebsiteDataManager> MakeDataManager(const std::filesystem::path& folder) {
  if (folder.empty()) return GObjectPtr<WebKitWebsiteDataManager>(webkit_website_data_manager_new_ephemeral());
  const std::filesystem::path data = folder / "data";
  const std::filesystem::path cache = folder / "cache";
  std::error_code error;
  std::filesystem::create_directories(data, error);
  std::filesystem::create_directories(cache, error);
  GObjectPtr<WebKitWebsiteDataManager> manager(webkit_website_data_manager_new(
      "base-data-directory", PathText(data).c_str(), "base-cache-directory", PathText(cache).c_str(), nullptr));
  webkit_cookie_manager_set_persistent_storage(webkit_website_data_manager_get_cookie_manager(manager.get()),
                                               PathText(data / "cookies.sqlite").c_str(),
                                               WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
  return manager;
}

// How many windows of the engine's own a view has opened that are still
// open: they share the view's web process.
using OpenWindowCount = std::shared_ptr<int>;

// A window of the engine's own for a page that asks for a new window; it
// closes when the page closes itself or the user closes it.
GtkWidget* OpenEngineWindow(WebKitWebView* opener, WebKitNavigationAction*, gpointer count) {
  GtkWidget* view = webkit_web_view_new_with_related_view(opener);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  gtk_container_add(GTK_CONTAINER(window), view);
  g_signal_connect_swapped(view, "ready-to-show", G_CALLBACK(gtk_widget_show_all), window);
  g_signal_connect_swapped(view, "close", G_CALLBACK(gtk_widget_destroy), window);
  // Counted while it lives; the count outlives the view that opened it.
  OpenWindowCount& open = *static_cast<OpenWindowCount*>(count);
  ++*open;
  g_signal_connect_data(
      view, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer data) { --**static_cast<OpenWindowCount*>(data); }),
      new OpenWindowCount(open), [](gpointer data, GClosure*) { delete static_cast<OpenWindowCount*>(data); },
      GConnectFlags{});
  return view;
}

class WebKitView final : public WebView {
 public:
  WebKitView(GtkWidget* parent, const WebViewSettings& settings)
      : role_(settings.role), dataManager_(MakeDataManager(settings.dataFolder)) {
    context_.reset(webkit_web_context_new_with_website_data_manager(dataManager_.get()));
    webkit_web_context_set_cache_model(context_.get(), WEBKIT_CACHE_MODEL_WEB_BROWSER);
    content_.reset(webkit_user_content_manager_new());
    view_.reset(WEBKIT_WEB_VIEW(g_object_ref_sink(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context_.get(),
                                                               "user-content-manager", content_.get(), nullptr))));
    // The login page is drawn without the engine's compositing: a
    // composited frame is not drawn again where the login dialog is exposed
    // (a prompt or another window that lay over the page goes), and the
    // place stayed empty until the page itself changed. Drawn by the
    // engine's own backing store, the page is painted again on every expose.
    if (role_ == WebViewRole::kLogin)
      webkit_settings_set_hardware_acceleration_policy(webkit_web_view_get_settings(view_.get()),
                                                       WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);

    g_signal_connect(view_.get(), "decide-policy", G_CALLBACK(OnDecidePolicy), this);
    g_signal_connect(view_.get(), "load-changed", G_CALLBACK(OnLoadChanged), this);
    g_signal_connect(view_.get(), "load-failed", G_CALLBACK(OnLoadFailed), this);
    g_signal_connect(view_.get(), "create", G_CALLBACK(OpenEngineWindow), &openWindows_);
    if (role_ == WebViewRole::kGameView) AddClickReport();

    GtkWidget* widget = GTK_WIDGET(view_.get());
    GtkAllocation area;
    gtk_widget_get_allocation(parent, &area);
    if (GTK_IS_FIXED(parent)) {
      gtk_fixed_put(GTK_FIXED(parent), widget, 0, 0);
    } else {
      gtk_container_add(GTK_CONTAINER(parent), widget);
    }
    // Until Place says otherwise the page fills the parent, as the control
    // fills its host window's client area when it is activated.
    if (area.width > 1 && area.height > 1) gtk_widget_set_size_request(widget, area.width, area.height);
    gtk_widget_show(widget);
  }

  ~WebKitView() override {
    g_cancellable_cancel(clearing_.get());
    if (role_ == WebViewRole::kGameView) {
      webkit_user_content_manager_unregister_script_message_handler_in_world(content_.get(), kClickChannel,
                                                                             kClickWorld);
      g_signal_handlers_disconnect_by_data(content_.get(), this);
    }
    g_signal_handlers_disconnect_by_data(view_.get(), this);
    g_signal_handlers_disconnect_by_data(view_.get(), &openWindows_);
    webkit_web_view_stop_loading(view_.get());
    // The page's web process goes with the view, unless a window the page
    // opened still shows its pages. Left to itself, it outlives the view by
    // about ten seconds, running the page's scripts and animations beside
    // whatever starts next (the game process after the login), and then
    // ends with an error line on standard error.
    if (*openWindows_ == 0) webkit_web_view_terminate_web_process(view_.get());
    // Takes the widget out of its parent; our own reference keeps the object
    // until view_ lets it go.
    gtk_widget_destroy(GTK_WIDGET(view_.get()));
  }

  bool Navigate(const std::wstring& url) override {
    webkit_web_view_load_uri(view_.get(), Utf8FromWide(url).c_str());
    return true;
  }

  bool Place(const PixelRect& rect) override {
    GtkWidget* widget = GTK_WIDGET(view_.get());
    if (rect == PixelRect{}) {
      gtk_widget_hide(widget);
      return true;
    }
    if (rect.width <= 0 || rect.height <= 0) return false;
    GtkWidget* parent = gtk_widget_get_parent(widget);
    if (parent && GTK_IS_FIXED(parent)) gtk_fixed_move(GTK_FIXED(parent), widget, rect.x, rect.y);
    gtk_widget_set_size_request(widget, rect.width, rect.height);
    gtk_widget_show(widget);
    return true;
  }

  void ClearWebsiteDataExceptCookies(DoneHandler done) override {
    // The handler travels with the request, not with the view: when the view
    // goes away first, the request is cancelled and the handler is dropped.
    if (!clearing_) clearing_.reset(g_cancellable_new());
    auto* pending = new DoneHandler(std::move(done));
    const auto types = static_cast<WebKitWebsiteDataTypes>(WEBKIT_WEBSITE_DATA_ALL & ~WEBKIT_WEBSITE_DATA_COOKIES);
    webkit_website_data_manager_clear(dataManager_.get(), types, 0, clearing_.get(), OnCleared, pending);
  }

  bool ForwardKey(NativeKeyEvent key) override {
    if (!key) return false;
    return gtk_widget_event(GTK_WIDGET(view_.get()), reinterpret_cast<GdkEvent*>(const_cast<GdkEventKey*>(key)));
  }

  NativeWindow Native() const override { return GTK_WIDGET(view_.get()); }

 private:
  void AddClickReport() {
    g_signal_connect(content_.get(), "script-message-received::qmLinkClicked", G_CALLBACK(OnScriptMessage), this);
    webkit_user_content_manager_register_script_message_handler_in_world(content_.get(), kClickChannel, kClickWorld);
    const UserScriptPtr script(
        webkit_user_script_new_for_world(kClickScript, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                         WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, kClickWorld, nullptr, nullptr));
    webkit_user_content_manager_add_script(content_.get(), script.get());
  }

  // Navigations of the page and its frames, and requests for new windows,
  // before any request is sent: ignoring the decision stops them.
  static gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                 gpointer self) {
    NavigationTarget target;
    if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) {
      target = NavigationTarget::kThisView;
    } else if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
      target = NavigationTarget::kNewWindow;
    } else {
      return FALSE;  // responses: the engine's own handling
    }
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const gchar* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    const bool cancel = static_cast<WebKitView*>(self)->ReportBeforeNavigate(WideFromUtf8(uri ? uri : ""), target);
    if (cancel) {
      webkit_policy_decision_ignore(decision);
    } else {
      webkit_policy_decision_use(decision);
    }
    return TRUE;
  }

  // A load that was cancelled (stopped, or replaced by the next navigation)
  // still ends with a finish; it completed no document.
  static gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError* error, gpointer self) {
    if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED))
      static_cast<WebKitView*>(self)->cancelledLoad_ = true;
    return FALSE;  // other failures: the engine shows its own error page
  }

  static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
    auto* self = static_cast<WebKitView*>(data);
    if (self->role_ == WebViewRole::kGameView) self->StageOfFirstLoad(event);
    if (event != WEBKIT_LOAD_FINISHED) return;
    if (std::exchange(self->cancelledLoad_, false)) return;
    // The document that finished is the main resource's: the view's own URI
    // already names the next page when a navigation interrupted this one.
    WebKitWebResource* document = webkit_web_view_get_main_resource(view);
    const gchar* uri = document ? webkit_web_resource_get_uri(document) : webkit_web_view_get_uri(view);
    self->ReportDocumentComplete(WideFromUtf8(uri ? uri : ""));
  }

  // The game page's first request and first response, for start-up
  // measurements.
  void StageOfFirstLoad(WebKitLoadEvent event) {
    if (event == WEBKIT_LOAD_STARTED && !loadStarted_) DebugStage(L"game load started");
    if (event == WEBKIT_LOAD_COMMITTED && !loadCommitted_) DebugStage(L"game page committed");
    loadStarted_ = loadStarted_ || event == WEBKIT_LOAD_STARTED;
    loadCommitted_ = loadCommitted_ || event == WEBKIT_LOAD_COMMITTED;
  }

  static void OnScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer self) {
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    if (!jsc_value_is_string(value)) return;
    GMemoryPtr<char> href(jsc_value_to_string(value));
    static_cast<WebKitView*>(self)->ReportLinkClicked(WideFromUtf8(href.get()));
  }

  static void OnCleared(GObject* manager, GAsyncResult* result, gpointer pending) {
    std::unique_ptr<DoneHandler> done(static_cast<DoneHandler*>(pending));
    GError* failure = nullptr;
    const bool ok = webkit_website_data_manager_clear_finish(WEBKIT_WEBSITE_DATA_MANAGER(manager), result, &failure);
    const GErrorPtr error(failure);
    if (error && g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;
    if (*done) (*done)(ok);
  }

  const WebViewRole role_;
  GObjectPtr<WebKitWebsiteDataManager> dataManager_;
  GObjectPtr<WebKitWebContext> context_;
  GObjectPtr<WebKitUserContentManager> content_;
  GObjectPtr<WebKitWebView> view_;
  GObjectPtr<GCancellable> clearing_;
  bool cancelledLoad_ = false;
  OpenWindowCount openWindows_ = std::make_shared<int>(0);
  bool loadStarted_ = false;
  bool loadCommitted_ = false;
};

}  // namespace

std::unique_ptr<WebView> WebView::Create(NativeWindow parent, const WebViewSettings& settings) {
  if (!parent || !GTK_IS_CONTAINER(parent)) return nullptr;
  return std::make_unique<WebKitView>(parent, settings);
}

}  // namespace qm
