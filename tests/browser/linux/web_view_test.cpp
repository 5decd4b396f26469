// The web view on WebKitGTK, for real: a GTK window on the virtual display, a
// loopback web site (page_server.h), real mouse clicks through xdotool and
// screenshots through ImageMagick's import.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtk/gtk.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "browser/game_view.h"
#include "browser/web_browser_base.h"
#include "browser/web_view.h"
#include "page_server.h"
#include "platform/linux/owners.h"
#include "ui/linux/gtk_owners.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using test::PageServer;
using test::TempDir;

// The scratch home of this process (set in main before GTK starts).
fs::path g_home;

bool Pump(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    if (done && done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done && done();
}

void PumpFor(int ms) { Pump(nullptr, ms); }

std::string Shell(const std::string& command) {
  std::string out;
  if (const ProcessPipePtr pipe{popen(command.c_str(), "r")}) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
  }
  return out;
}

// Runs script in the view's page and gives back its result as text.
std::string Evaluate(GtkWidget* view, const std::string& script) {
  struct Result {
    bool done = false;
    std::string text;
  } result;
  webkit_web_view_evaluate_javascript(
      WEBKIT_WEB_VIEW(view), script.c_str(), -1, nullptr, nullptr, nullptr,
      [](GObject* source, GAsyncResult* async, gpointer data) {
        auto* out = static_cast<Result*>(data);
        GError* failure = nullptr;
        GObjectPtr<JSCValue> value(webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), async, &failure));
        GErrorPtr error(failure);
        if (value && !jsc_value_is_undefined(value.get())) {
          GMemoryPtr<char> text(jsc_value_to_string(value.get()));
          out->text = text.get();
        }
        out->done = true;
      },
      &result);
  Pump([&] { return result.done; }, 5000);
  return result.text;
}

// A toplevel window at the screen's top-left corner whose only child is a
// GtkFixed, as the window host gives its children.
class TestWindow {
 public:
  TestWindow() {
    owner_.reset(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    window_ = owner_.get();
    gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(window_), 800, 600);
    gtk_window_move(GTK_WINDOW(window_), 0, 0);
    fixed_ = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(window_), fixed_);
    gtk_widget_show_all(window_);
    Pump([this] { return gtk_widget_get_mapped(window_) && gtk_widget_get_allocated_width(fixed_) == 800; }, 5000);
  }

  GtkWidget* fixed() const { return fixed_; }
  GtkWidget* window() const { return window_; }

  // Screen coordinates of a point of child (in child's own coordinates).
  std::pair<int, int> ScreenPoint(GtkWidget* child, int x, int y) const {
    int ox = 0, oy = 0, wx = 0, wy = 0;
    gdk_window_get_origin(gtk_widget_get_window(window_), &ox, &oy);
    gtk_widget_translate_coordinates(child, window_, x, y, &wx, &wy);
    return {ox + wx, oy + wy};
  }

 private:
  UniqueWidget owner_;
  GtkWidget* window_;
  GtkWidget* fixed_;
};

// The centre of an element of the page in the view's coordinates; inFrame
// looks inside the iframe "frame" (same origin).
std::pair<int, int> ElementCentre(GtkWidget* view, const std::string& id, bool inFrame = false) {
  const std::string lookup =
      inFrame ? "(function(){var f=document.getElementById('frame');var o=f.getBoundingClientRect();"
                "var r=f.contentDocument.getElementById('" + id + "').getBoundingClientRect();"
                "return Math.round(o.left+r.left+r.width/2)+','+Math.round(o.top+r.top+r.height/2);})()"
              : "(function(){var r=document.getElementById('" + id + "').getBoundingClientRect();"
                "return Math.round(r.left+r.width/2)+','+Math.round(r.top+r.height/2);})()";
  const std::string text = Evaluate(view, lookup);
  const auto comma = text.find(',');
  if (comma == std::string::npos) return {-1, -1};
  return {std::stoi(text.substr(0, comma)), std::stoi(text.substr(comma + 1))};
}

// A real left click on an element of the page.
void ClickElement(const TestWindow& window, GtkWidget* view, const std::string& id, bool inFrame = false) {
  const auto [x, y] = ElementCentre(view, id, inFrame);
  ASSERT_GE(x, 0) << "no element " << id;
  const auto [sx, sy] = window.ScreenPoint(view, x, y);
  Shell("xdotool mousemove --sync " + std::to_string(sx) + " " + std::to_string(sy) + " click 1");
}

struct Screenshot {
  GObjectPtr<GdkPixbuf> pixels;
  // 0xRRGGBB at a screen point.
  unsigned Pixel(int x, int y) const {
    const guchar* row = gdk_pixbuf_get_pixels(pixels.get()) + y * gdk_pixbuf_get_rowstride(pixels.get());
    const guchar* p = row + x * gdk_pixbuf_get_n_channels(pixels.get());
    return (p[0] << 16) | (p[1] << 8) | p[2];
  }
};

Screenshot TakeScreenshot(const std::string& name) {
  fs::create_directories(QM_SCREENSHOT_DIR);
  const std::string file = std::string(QM_SCREENSHOT_DIR) + "/" + name + ".png";
  Shell("import -window root " + file);
  return Screenshot{GObjectPtr<GdkPixbuf>(gdk_pixbuf_new_from_file(file.c_str(), nullptr))};
}

guint CountToplevels() {
  GList* windows = gtk_window_list_toplevels();
  const guint count = g_list_length(windows);
  g_list_free(windows);
  return count;
}

bool Contains(const std::vector<std::wstring>& list, const std::wstring& text) {
  return std::any_of(list.begin(), list.end(), [&](const std::wstring& s) { return s.find(text) != std::wstring::npos; });
}

int CountFiles(const fs::path& folder) {
  std::error_code error;
  int count = 0;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    if (it->is_regular_file()) ++count;
  return count;
}

// Every record file of the engine's disk cache below folder.
int CountCacheRecords(const fs::path& folder) {
  std::error_code error;
  int count = 0;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    if (it->is_regular_file() && it->path().string().find("/Records/") != std::string::npos) ++count;
  return count;
}

class WebViewTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!gdk_display_get_default()) GTEST_SKIP() << "no display";
    Shell("xdotool mousemove 799 599");
  }

  // A view of the given role in the window, its events recorded.
  std::unique_ptr<WebView> MakeView(WebViewRole role, const fs::path& dataFolder) {
    WebViewSettings settings;
    settings.role = role;
    settings.dataFolder = dataFolder;
    auto view = WebView::Create(window_.fixed(), settings);
    if (!view) return view;
    view->SetBeforeNavigate([this](const std::wstring& url, NavigationTarget target, bool* cancel) {
      navigations_.push_back(url);
      targets_.push_back(target);
      if (cancelGameUrls_ && url.find(L"play_gamecode") != std::wstring::npos) *cancel = true;
    });
    view->SetDocumentComplete([this](const std::wstring& url) { completed_.push_back(url); });
    view->SetLinkClicked([this](const std::wstring& href) { clicks_.push_back(href); });
    view->Place({0, 0, 700, 500});
    return view;
  }

  // Loads url and waits for its document to complete.
  bool Load(WebView& view, const std::string& url) {
    const size_t before = completed_.size();
    view.Navigate(WideFromUtf8(url));
    return Pump([&] { return completed_.size() > before && completed_.back() == WideFromUtf8(url); }, 10000);
  }

  PageServer server_;
  TestWindow window_;
  TempDir data_;
  bool cancelGameUrls_ = false;
  std::vector<std::wstring> navigations_;
  std::vector<NavigationTarget> targets_;
  std::vector<std::wstring> completed_;
  std::vector<std::wstring> clicks_;
};

TEST_F(WebViewTest, BeforeNavigateSeesPageFramesLinksAndScripts) {
  auto view = MakeView(WebViewRole::kLogin, data_.path());
  ASSERT_TRUE(view);
  GtkWidget* page = view->Native();
  ASSERT_TRUE(Load(*view, server_.Url("/page")));
  ASSERT_TRUE(Pump([&] { return server_.Count("/frame") == 1; }, 5000));
  EXPECT_EQ(navigations_.at(0), WideFromUtf8(server_.Url("/page")));
  EXPECT_TRUE(Contains(navigations_, WideFromUtf8(server_.Url("/frame")))) << "the iframe's load";

  ClickElement(window_, page, "plain");
  ASSERT_TRUE(Pump([&] { return !completed_.empty() && completed_.back() == WideFromUtf8(server_.Url("/target/plain")); }, 10000));
  EXPECT_TRUE(Contains(navigations_, WideFromUtf8(server_.Url("/target/plain")))) << "a real click on a link";

  Evaluate(page, "location.href = '/target/scripted?x=1'; 0");
  ASSERT_TRUE(Pump([&] { return server_.Count("/target/scripted?x=1") == 1; }, 10000));
  EXPECT_TRUE(Contains(navigations_, WideFromUtf8(server_.Url("/target/scripted?x=1")))) << "a script navigation";
  for (NavigationTarget target : targets_) EXPECT_EQ(target, NavigationTarget::kThisView);
}

// Each way a page can navigate to a game URL, cancelled in before-navigate:
// the request never reaches the server, the page stays, and a later allowed
// navigation still works.
TEST_F(WebViewTest, CancelStopsTheRequestBeforeItIsSent) {
  cancelGameUrls_ = true;
  auto view = MakeView(WebViewRole::kLogin, data_.path());
  ASSERT_TRUE(view);
  GtkWidget* page = view->Native();
  const guint windowsBefore = CountToplevels();

  struct Way {
    const char* name;
    std::function<void()> navigate;
    std::string gameUrl;
    NavigationTarget target;
  };
  const std::string linkUrl = server_.Url("/qmr/play_gamecode/svname/%E9%BE%99/?uid=link");
  const std::vector<Way> ways = {
      {"Navigate", [&] { view->Navigate(WideFromUtf8(server_.Url("/qmr/play_gamecode/svname/a/?uid=call"))); },
       server_.Url("/qmr/play_gamecode/svname/a/?uid=call"), NavigationTarget::kThisView},
      {"link click", [&] { ClickElement(window_, page, "game"); }, linkUrl, NavigationTarget::kThisView},
      {"script", [&] { Evaluate(page, "location.assign('/qmr/play_gamecode/svname/b/?uid=script'); 0"); },
       server_.Url("/qmr/play_gamecode/svname/b/?uid=script"), NavigationTarget::kThisView},
      {"iframe", [&] {
         Evaluate(page, "var f = document.createElement('iframe'); f.src = '/qmr/play_gamecode/svname/c/?uid=frame';"
                        "document.body.appendChild(f); 0");
       },
       server_.Url("/qmr/play_gamecode/svname/c/?uid=frame"), NavigationTarget::kThisView},
      {"new window link", [&] { ClickElement(window_, page, "gameblank"); },
       server_.Url("/qmr/play_gamecode/svname/blank/?uid=blank"), NavigationTarget::kNewWindow},
  };
  int round = 0;
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    ASSERT_TRUE(Load(*view, server_.Url("/cancel-page?round=" + std::to_string(++round))));
    navigations_.clear();
    targets_.clear();
    way.navigate();
    ASSERT_TRUE(Pump([&] { return Contains(navigations_, WideFromUtf8(way.gameUrl)); }, 5000));
    const auto at = std::find(navigations_.begin(), navigations_.end(), WideFromUtf8(way.gameUrl));
    ASSERT_NE(at, navigations_.end()) << "the whole URL, query included";
    EXPECT_EQ(targets_.at(at - navigations_.begin()), way.target);
    // Something allowed afterwards: once it has loaded, a request for the
    // cancelled one would have arrived long ago.
    ASSERT_TRUE(Load(*view, server_.Url("/target/after")));
    EXPECT_EQ(server_.Count("play_gamecode"), 0);
  }
  PumpFor(300);
  EXPECT_EQ(server_.Count("play_gamecode"), 0);
  EXPECT_EQ(CountToplevels(), windowsBefore) << "no engine window for a cancelled one";
}

TEST_F(WebViewTest, DocumentCompleteOncePerTopLevelDocument) {
  auto view = MakeView(WebViewRole::kLogin, data_.path());
  ASSERT_TRUE(view);
  ASSERT_TRUE(Load(*view, server_.Url("/page")));
  PumpFor(1000);  // the frame and the images have long finished by then
  ASSERT_EQ(server_.Count("/frame"), 1);
  EXPECT_EQ(completed_, (std::vector<std::wstring>{WideFromUtf8(server_.Url("/page"))}));
  ASSERT_TRUE(Load(*view, server_.Url("/target/second")));
  PumpFor(500);
  EXPECT_EQ(completed_.size(), 2u);

  // A load interrupted by the next navigation completes nothing; the one that
  // replaced it completes once, under its own URL.
  view->Navigate(WideFromUtf8(server_.Url("/slow")));
  ASSERT_TRUE(Pump([&] { return server_.Count("/slow") == 1; }, 5000));
  ASSERT_TRUE(Load(*view, server_.Url("/target/third")));
  PumpFor(2000);
  EXPECT_EQ(completed_.size(), 3u);
  EXPECT_EQ(completed_.back(), WideFromUtf8(server_.Url("/target/third")));
}

TEST_F(WebViewTest, PlaceShowsThePageInTheRectangleAndAllZeroHidesIt) {
  auto view = MakeView(WebViewRole::kLogin, data_.path());
  ASSERT_TRUE(view);
  ASSERT_TRUE(Load(*view, server_.Url("/colour")));
  const auto screen = [&](int x, int y) { return window_.ScreenPoint(window_.fixed(), x, y); };
  const unsigned kGreen = 0x00FF00;

  ASSERT_TRUE(view->Place({40, 30, 300, 200}));
  PumpFor(800);
  Screenshot shown = TakeScreenshot("web-view-placed");
  ASSERT_TRUE(shown.pixels);
  auto [ix, iy] = screen(40 + 150, 30 + 100);
  EXPECT_EQ(shown.Pixel(ix, iy), kGreen) << "inside the rectangle";
  auto [cx, cy] = screen(41, 31);
  EXPECT_EQ(shown.Pixel(cx, cy), kGreen) << "its top-left corner";
  auto [ox, oy] = screen(20, 130);
  EXPECT_NE(shown.Pixel(ox, oy), kGreen) << "left of the rectangle";
  auto [bx, by] = screen(190, 240);
  EXPECT_NE(shown.Pixel(bx, by), kGreen) << "below the rectangle";

  ASSERT_TRUE(view->Place({}));
  PumpFor(800);
  Screenshot hidden = TakeScreenshot("web-view-hidden");
  EXPECT_NE(hidden.Pixel(ix, iy), kGreen);
  EXPECT_FALSE(gtk_widget_get_visible(view->Native()));

  ASSERT_TRUE(view->Place({400, 300, 200, 150}));
  PumpFor(800);
  Screenshot again = TakeScreenshot("web-view-placed-again");
  auto [nx, ny] = screen(500, 375);
  EXPECT_EQ(again.Pixel(nx, ny), kGreen) << "shown again at the new place";
  EXPECT_NE(again.Pixel(ix, iy), kGreen) << "not at the old one";
}

TEST_F(WebViewTest, GameViewReportsClicksOnLinksOfTheTopDocumentOnly) {
  auto view = MakeView(WebViewRole::kGameView, data_.path());
  ASSERT_TRUE(view);
  GtkWidget* page = view->Native();
  ASSERT_TRUE(Load(*view, server_.Url("/page")));

  ClickElement(window_, page, "outside");
  ClickElement(window_, page, "framelink", /*inFrame=*/true);
  ASSERT_TRUE(Pump([&] { return server_.Count("/target/inframe") == 1; }, 5000)) << "the click in the frame happened";
  PumpFor(300);
  EXPECT_TRUE(clicks_.empty()) << "nothing for a click outside links or inside a frame";

  ClickElement(window_, page, "plain");
  ASSERT_TRUE(Pump([&] { return !clicks_.empty(); }, 5000));
  EXPECT_EQ(clicks_, (std::vector<std::wstring>{L"/target/plain"}));
  ASSERT_TRUE(Pump([&] { return server_.Count("/target/plain") == 1; }, 5000)) << "the link is still followed";

  ASSERT_TRUE(Load(*view, server_.Url("/page")));
  ClickElement(window_, page, "inner");
  ASSERT_TRUE(Pump([&] { return clicks_.size() == 2; }, 5000));
  EXPECT_EQ(clicks_.back(), L"/target/span") << "a span inside a link reports the link";
  PumpFor(300);
  EXPECT_EQ(clicks_.size(), 2u);
}

TEST_F(WebViewTest, GameViewOpensNewWindowsInAnEngineWindowAndStaysOnItsPage) {
  auto view = MakeView(WebViewRole::kGameView, data_.path());
  ASSERT_TRUE(view);
  ASSERT_TRUE(Load(*view, server_.Url("/page")));
  const guint windowsBefore = CountToplevels();

  ClickElement(window_, view->Native(), "blank");
  ASSERT_TRUE(Pump([&] { return server_.Count("/target/blank") == 1; }, 10000)) << "the new window loads its page";
  ASSERT_TRUE(Pump([&] { return CountToplevels() == windowsBefore + 1; }, 5000));
  PumpFor(300);
  EXPECT_EQ(WideFromUtf8(webkit_web_view_get_uri(WEBKIT_WEB_VIEW(view->Native()))), WideFromUtf8(server_.Url("/page")));
  EXPECT_EQ(completed_.size(), 1u) << "the game view did not load anything else";
  EXPECT_EQ(clicks_, (std::vector<std::wstring>{L"/target/blank"}));
  EXPECT_EQ(navigations_.back(), WideFromUtf8(server_.Url("/target/blank")));
  EXPECT_EQ(targets_.back(), NavigationTarget::kNewWindow);
  TakeScreenshot("web-view-engine-window");

  // Close the engine's window again.
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item; item = item->next) {
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(item->data));
    if (child && WEBKIT_IS_WEB_VIEW(child)) gtk_widget_destroy(GTK_WIDGET(item->data));
  }
  g_list_free(windows);
}

TEST_F(WebViewTest, ClearingWebsiteDataKeepsCookiesAndEmptiesTheDiskCache) {
  auto view = MakeView(WebViewRole::kGameView, data_.path());
  ASSERT_TRUE(view);
  ASSERT_TRUE(Load(*view, server_.Url("/cookie/set")));
  ASSERT_TRUE(Load(*view, server_.Url("/cached-page")));
  ASSERT_TRUE(Load(*view, server_.Url("/target/between")));
  ASSERT_TRUE(Load(*view, server_.Url("/cached-page")));
  EXPECT_EQ(server_.Count("/cached.js"), 1) << "the script came from the cache the second time";
  const fs::path cache = data_.path() / "cache";
  ASSERT_TRUE(Pump([&] { return CountCacheRecords(cache) > 0; }, 10000)) << "the disk cache holds records";

  bool finished = false, ok = false;
  view->ClearWebsiteDataExceptCookies([&](bool result) {
    finished = true;
    ok = result;
  });
  ASSERT_TRUE(Pump([&] { return finished; }, 10000));
  EXPECT_TRUE(ok);

  EXPECT_TRUE(Pump([&] { return CountCacheRecords(cache) == 0; }, 5000)) << "the disk cache is empty";

  ASSERT_TRUE(Load(*view, server_.Url("/cookie/check")));
  const auto requests = server_.Requests();
  const auto check = std::find_if(requests.rbegin(), requests.rend(),
                                  [](const test::SeenRequest& r) { return r.target == "/cookie/check"; });
  ASSERT_NE(check, requests.rend());
  EXPECT_NE(check->cookie.find("qm_session=kept"), std::string::npos) << "the cookie is still sent";
  // (Whether the page's web process fetches the script again is up to its
  // own memory cache: WebKitGTK keeps serving what it holds, so that is not
  // asserted here.)
}

// Everything the engine keeps lies under the folder the caller gave; the
// user's home (a scratch one here) gets none of it.
TEST_F(WebViewTest, EngineDataStaysUnderTheGivenFolder) {
  {
    auto view = MakeView(WebViewRole::kLogin, data_.path());
    ASSERT_TRUE(view);
    ASSERT_TRUE(Load(*view, server_.Url("/cookie/set")));
    ASSERT_TRUE(Load(*view, server_.Url("/storage")));
    ASSERT_TRUE(Load(*view, server_.Url("/cached-page")));
    ASSERT_TRUE(Pump([&] { return CountCacheRecords(data_.path() / "cache") > 0; }, 10000));
    EXPECT_EQ(Evaluate(view->Native(), "localStorage.getItem('qm')"), "stored");
  }
  PumpFor(500);
  EXPECT_TRUE(fs::exists(data_.path() / "data" / "cookies.sqlite"));
  EXPECT_GT(CountFiles(data_.path() / "data"), 0);
  EXPECT_GT(CountFiles(data_.path() / "cache"), 0);

  const std::string program = g_get_prgname() ? g_get_prgname() : "qm_browser_tests";
  std::error_code error;
  for (fs::recursive_directory_iterator it(g_home, error), end; !error && it != end; it.increment(error)) {
    std::string path = it->path().string().substr(g_home.string().size());
    std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_EQ(path.find("webkit"), std::string::npos) << path;
    EXPECT_EQ(path.find(program), std::string::npos) << path;
  }
}

TEST_F(WebViewTest, WithoutDataFolderNothingIsWritten) {
  auto view = MakeView(WebViewRole::kLogin, {});
  ASSERT_TRUE(view);
  ASSERT_TRUE(Load(*view, server_.Url("/cookie/set")));
  ASSERT_TRUE(Load(*view, server_.Url("/cookie/check")));
  EXPECT_NE(server_.Requests().back().cookie.find("qm_session=kept"), std::string::npos) << "cookies in memory";
  std::error_code error;
  for (fs::recursive_directory_iterator it(g_home, error), end; !error && it != end; it.increment(error)) {
    std::string path = it->path().string();
    EXPECT_EQ(path.find("webkit"), std::string::npos) << path;
  }
}

// Keys offered to the page reach its own editing: text goes into the focused
// field and Tab moves on to the next one.
TEST_F(WebViewTest, ForwardedKeysReachThePageFields) {
  auto view = MakeView(WebViewRole::kLogin, data_.path());
  ASSERT_TRUE(view);
  GtkWidget* page = view->Native();
  ASSERT_TRUE(Load(*view, server_.Url("/target/fields")));
  Evaluate(page, "document.body.innerHTML = '<input id=a><input id=b>'; document.getElementById('a').focus(); 0");
  gtk_widget_grab_focus(page);
  PumpFor(200);

  GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_display_get_default());
  GdkDevice* keyboard =
      gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default()));
  const auto send = [&](guint keyval) {
    for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
      const GdkEventPtr owned(gdk_event_new(type));
      GdkEvent* event = owned.get();
      event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(page)));
      event->key.keyval = keyval;
      event->key.time = GDK_CURRENT_TIME;
      GdkKeymapKey* entries = nullptr;
      gint count = 0;
      const bool found = gdk_keymap_get_entries_for_keyval(keymap, keyval, &entries, &count);
      const GMemoryPtr<GdkKeymapKey> keys(entries);
      if (found && count > 0) event->key.hardware_keycode = static_cast<guint16>(keys.get()[0].keycode);
      gdk_event_set_device(event, keyboard);
      const bool used = view->ForwardKey(&event->key);
      if (type == GDK_KEY_PRESS) {
        EXPECT_TRUE(used);
      }
      PumpFor(30);
    }
  };
  send(GDK_KEY_q);
  send(GDK_KEY_m);
  send(GDK_KEY_Tab);
  send(GDK_KEY_z);
  ASSERT_TRUE(Pump([&] { return Evaluate(page, "document.getElementById('b').value") == "z"; }, 3000));
  EXPECT_EQ(Evaluate(page, "document.getElementById('a').value"), "qm");
}

// The login's browser host over the web view, used as the web login dialog
// uses it: activate, remember the page rectangle, navigate, hide; show the
// page at the first completed document; cancel the game URL.
class LoginHost : public CWebBrowserBase {
 public:
  LoginHost(GtkWidget* host, fs::path data) : CWebBrowserBase({WebViewRole::kLogin, std::move(data)}), host_(host) {}
  void SetPageRect(const PixelRect& rect) { m_pageRect = rect; }

  NativeWindow GetHostWindow() override { return host_; }
  void OnDocumentComplete(std::wstring url) override {
    completed.push_back(url);
    PlaceControl(m_pageRect);
  }
  void OnBeforeNavigate2(std::wstring url, bool* cancel) override {
    navigations.push_back(url);
    if (url.find(L"play_gamecode") != std::wstring::npos) *cancel = true;
  }

  std::vector<std::wstring> completed, navigations;

 private:
  GtkWidget* host_;
};

TEST_F(WebViewTest, BrowserHostShowsThePageAfterItsFirstDocumentAndCancelsTheGameUrl) {
  LoginHost host(window_.fixed(), data_.path());
  EXPECT_FALSE(host.Navigate(L"about:blank")) << "nothing to navigate before activation";
  ASSERT_TRUE(host.ActivateInPlace());
  ASSERT_TRUE(host.ActivateInPlace()) << "a second activation answers true";
  GtkWidget* page = host.webView()->Native();
  PumpFor(300);
  EXPECT_EQ(gtk_widget_get_allocated_width(page), 800) << "first the page fills the host's client area";
  EXPECT_EQ(gtk_widget_get_allocated_height(page), 600);
  host.SetPageRect({0, 61, 690, 452});
  ASSERT_TRUE(host.Navigate(WideFromUtf8(server_.Url("/cancel-page"))));
  ASSERT_TRUE(host.PlaceControl({}));
  PumpFor(1);
  EXPECT_FALSE(gtk_widget_get_visible(page)) << "hidden until the first document completes";
  ASSERT_TRUE(Pump([&] { return !host.completed.empty(); }, 10000));
  PumpFor(300);
  EXPECT_TRUE(gtk_widget_get_visible(page));
  GtkAllocation area;
  gtk_widget_get_allocation(page, &area);
  EXPECT_EQ((PixelRect{area.x, area.y, area.width, area.height}), (PixelRect{0, 61, 690, 452}));

  host.navigations.clear();
  ClickElement(window_, page, "game");
  ASSERT_TRUE(Pump([&] { return !host.navigations.empty(); }, 5000));
  PumpFor(300);
  EXPECT_EQ(host.navigations,
            (std::vector<std::wstring>{WideFromUtf8(server_.Url("/qmr/play_gamecode/svname/%E9%BE%99/?uid=link"))}))
      << "one call per navigation: the second activation connected nothing";
  EXPECT_EQ(server_.Count("play_gamecode"), 0);
}

TEST_F(WebViewTest, BrowserHostWithoutHostWindowDoesNotActivate) {
  CWebBrowserBase host;
  EXPECT_FALSE(host.ActivateInPlace());
  EXPECT_FALSE(host.Navigate(L"about:blank"));
  EXPECT_TRUE(host.PlaceControl({1, 2, 3, 4})) << "before activation the rectangle is only stored";
  EXPECT_EQ(host.objectRect(), (PixelRect{1, 2, 3, 4}));
}

// The game view as the game process uses it: the click line goes to standard
// error.
TEST_F(WebViewTest, GameViewWritesTheClickLineToStandardError) {
  TempDir errors;
  const fs::path file = errors.path() / "stderr.txt";
  fflush(stderr);
  const UniqueFd saved(dup(2));
  {
    UniqueFd out(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
    dup2(out.get(), 2);
  }
  {
    CMyHtmlView game(data_.path());
    ASSERT_TRUE(game.Create(window_.fixed()));
    EXPECT_FALSE(gtk_widget_get_visible(game.webView()->Native())) << "no visible area until sized";
    ASSERT_TRUE(game.MoveWindow({0, 0, 700, 500}));
    size_t loads = 0;
    game.webView()->SetDocumentComplete([&](const std::wstring&) { ++loads; });
    ASSERT_TRUE(game.Navigate(WideFromUtf8(server_.Url("/page"))));
    ASSERT_TRUE(Pump([&] { return loads == 1; }, 10000));
    ClickElement(window_, game.webView()->Native(), "inner");
    ASSERT_TRUE(Pump([&] { return server_.Count("/target/span") == 1; }, 5000));
    PumpFor(200);
  }
  fflush(stderr);
  dup2(saved.get(), 2);
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("单击事件:/target/span\n"), std::string::npos) << text.str();
  EXPECT_EQ(ClickReportLine(L"/x"), L"单击事件:/x\r\n");
}

}  // namespace
}  // namespace qm

int main(int argc, char** argv) {
  // A scratch home before anything of GLib reads it, so the test can see
  // that the engine writes nothing there.
  char pattern[] = "/tmp/qm-browser-home-XXXXXX";
  const char* home = mkdtemp(pattern);
  if (!home) return 2;
  qm::g_home = home;
  setenv("HOME", home, 1);
  for (const char* name : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"}) unsetenv(name);
  setenv("NO_AT_BRIDGE", "1", 1);
  testing::InitGoogleTest(&argc, argv);
  gtk_init_check(&argc, &argv);
  const int result = RUN_ALL_TESTS();
  std::error_code error;
  std::filesystem::remove_all(qm::g_home, error);
  return result;
}
