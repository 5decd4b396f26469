// webkit_peer: the smallest WebKitGTK program that shows a page, as a
// yardstick for the launcher's start-up time and memory. It opens one GTK
// window holding one web view, loads the URL from its command line and, at
// the first finished load, prints the milliseconds since the process
// started:
//   first-load-finished-ms <N>
// followed by "load-finished <URI>" for every finished load. With the
// environment variable QM_STAGE_LOG set it also prints the launcher's stage
// lines, "stage <seconds since 1970> <name>", for its own steps (main
// entered, view created, load started, page committed, page loaded). The web
// engine's data and cache live in their own folder (a fresh temporary one
// unless --data-dir names one), never in the user's home defaults.
//
//   webkit_peer [--size WxH] [--data-dir DIR] [--screenshot FILE.png]
//               [--after-loads N] [--quit-after MS] URL
//
// --screenshot writes the view's visible part as PNG after the first
// finished load (or the Nth with --after-loads, for a page that navigates by
// itself); --quit-after ends the program MS milliseconds after that load (and
// after the screenshot); without it the window stays until it is closed.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/linux/owners.h"

namespace {

using qm::CairoSurfacePtr;
using qm::GObjectPtr;

struct Options {
  int width = 690;
  int height = 452;
  std::string dataDir;
  std::string screenshot;
  int quitAfterMs = -1;  // -1: stay open
  int afterLoads = 1;    // the finished load that is photographed and starts --quit-after
  std::string url;
};

struct Peer {
  Options options;
  GtkWidget* window = nullptr;
  WebKitWebView* view = nullptr;
  int loadsFinished = 0;
  int exitCode = 0;
};

// Milliseconds since this process was started by the kernel: its start time
// (in clock ticks since boot, field 22 of /proc/self/stat) against the boot
// clock now. This includes the dynamic loading before main().
long MillisecondsSinceProcessStart() {
  std::ifstream statFile("/proc/self/stat");
  std::string stat;
  std::getline(statFile, stat);
  // The command name (field 2) may hold spaces; fields are counted after it.
  const size_t afterName = stat.rfind(')');
  std::istringstream fields(afterName == std::string::npos ? std::string() : stat.substr(afterName + 2));
  std::string field;
  unsigned long long startTicks = 0;
  for (int number = 3; fields >> field; ++number) {
    if (number == 22) {
      startTicks = std::strtoull(field.c_str(), nullptr, 10);
      break;
    }
  }
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double startMs = static_cast<double>(startTicks) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
  const double nowMs = static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
  return static_cast<long>(nowMs - startMs + 0.5);
}

// A stage line, as the launcher writes them, when QM_STAGE_LOG is set.
void Stage(const char* name) {
  static const bool enabled = std::getenv("QM_STAGE_LOG") != nullptr;
  if (!enabled) return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::printf("stage %lld.%06ld %s\n", static_cast<long long>(now.tv_sec), now.tv_nsec / 1000, name);
  std::fflush(stdout);
}

// Ends the program --quit-after milliseconds from now, when asked to.
void QuitLater(const Peer& peer) {
  if (peer.options.quitAfterMs < 0) return;
  g_timeout_add(static_cast<guint>(peer.options.quitAfterMs), [](gpointer) -> gboolean {
    gtk_main_quit();
    return G_SOURCE_REMOVE;
  }, nullptr);
}

void OnSnapshot(GObject* view, GAsyncResult* result, gpointer data) {
  Peer& peer = *static_cast<Peer*>(data);
  g_autoptr(GError) error = nullptr;
  CairoSurfacePtr surface(webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(view), result, &error));
  if (!surface || cairo_surface_write_to_png(surface.get(), peer.options.screenshot.c_str()) != CAIRO_STATUS_SUCCESS) {
    std::fprintf(stderr, "webkit_peer: no screenshot %s: %s\n", peer.options.screenshot.c_str(),
                 error ? error->message : "cannot write the file");
    peer.exitCode = 1;
  }
  QuitLater(peer);
}

// The loads are counted; the first one gives the start-up figure, the one
// --after-loads names is photographed and starts the --quit-after clock.
void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
  Peer& peer = *static_cast<Peer*>(data);
  if (peer.loadsFinished == 0 && event == WEBKIT_LOAD_STARTED) Stage("peer load started");
  if (peer.loadsFinished == 0 && event == WEBKIT_LOAD_COMMITTED) Stage("peer page committed");
  if (event != WEBKIT_LOAD_FINISHED) return;
  if (++peer.loadsFinished == 1) {
    Stage("peer page loaded");
    std::printf("first-load-finished-ms %ld\n", MillisecondsSinceProcessStart());
  }
  std::printf("load-finished %s\n", webkit_web_view_get_uri(view));
  std::fflush(stdout);
  if (peer.loadsFinished != peer.options.afterLoads) return;
  if (peer.options.screenshot.empty()) {
    QuitLater(peer);
    return;
  }
  // A moment for the page's first frame (and its fonts) to reach the view.
  g_timeout_add(400, [](gpointer data) -> gboolean {
    Peer& peer = *static_cast<Peer*>(data);
    webkit_web_view_get_snapshot(peer.view, WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
                                 OnSnapshot, &peer);
    return G_SOURCE_REMOVE;
  }, &peer);
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0) {
      if (!options.url.empty()) return false;
      options.url = arg;
      continue;
    }
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    if (arg == "--size") {
      if (std::sscanf(value.c_str(), "%dx%d", &options.width, &options.height) != 2 || options.width <= 0 ||
          options.height <= 0) {
        return false;
      }
    } else if (arg == "--data-dir") {
      options.dataDir = value;
    } else if (arg == "--screenshot") {
      options.screenshot = value;
    } else if (arg == "--after-loads") {
      options.afterLoads = std::atoi(value.c_str());
      if (options.afterLoads < 1) return false;
    } else if (arg == "--quit-after") {
      options.quitAfterMs = std::atoi(value.c_str());
    } else {
      return false;
    }
  }
  return !options.url.empty();
}

// A temporary data folder that goes away with the program.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "webkit_peer-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

int main(int argc, char** argv) {
  Stage("peer main entered");
  Peer peer;
  if (!ParseOptions(argc, argv, peer.options)) {
    std::fprintf(stderr,
                 "usage: webkit_peer [--size WxH] [--data-dir DIR] [--screenshot FILE.png] [--after-loads N]\n"
                 "                   [--quit-after MS] URL\n");
    return 2;
  }
  gtk_init(&argc, &argv);

  TemporaryFolder temporary;
  const std::string dataDir = peer.options.dataDir.empty() ? temporary.path() : peer.options.dataDir;
  if (dataDir.empty()) {
    std::fprintf(stderr, "webkit_peer: cannot make a data folder\n");
    return 1;
  }
  const std::string data = dataDir + "/data";
  const std::string cache = dataDir + "/cache";
  GObjectPtr<WebKitWebsiteDataManager> manager(WEBKIT_WEBSITE_DATA_MANAGER(g_object_new(
      WEBKIT_TYPE_WEBSITE_DATA_MANAGER, "base-data-directory", data.c_str(), "base-cache-directory", cache.c_str(),
      nullptr)));
  GObjectPtr<WebKitWebContext> context(webkit_web_context_new_with_website_data_manager(manager.get()));

  peer.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(peer.window), "webkit_peer");
  gtk_window_set_default_size(GTK_WINDOW(peer.window), peer.options.width, peer.options.height);
  g_signal_connect(peer.window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  peer.view = WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(context.get()));
  gtk_container_add(GTK_CONTAINER(peer.window), GTK_WIDGET(peer.view));
  g_signal_connect(peer.view, "load-changed", G_CALLBACK(OnLoadChanged), &peer);
  Stage("peer view created");
  webkit_web_view_load_uri(peer.view, peer.options.url.c_str());
  Stage("peer navigation started");
  gtk_widget_show_all(peer.window);
  gtk_main();
  return peer.exitCode;
}
