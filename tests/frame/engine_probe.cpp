// Test-only stand-in for the game process on Linux: a WebKitGTK view whose
// engine keeps its data under <base>/data and its disk cache under
// <base>/cache, as the game view does. It loads <url>/page and answers on
// standard output; commands arrive on standard input, one a line:
//   clear  removes the website data other than cookies through the engine
//          ("cleared" when done), as the game process does on the frame's
//          request
//   page   loads <url>/page again ("ready" when loaded)
//   check  loads <url>/check, which shows the Cookie header the server got
//          ("cookie:<header>")
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <string>

#include "platform/linux/owners.h"

namespace {

using qm::GMemoryPtr;
using qm::GObjectPtr;

std::string g_base;
std::string g_url;
WebKitWebView* g_view = nullptr;
WebKitWebsiteDataManager* g_manager = nullptr;
bool g_checking = false;

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void OnText(GObject* view, GAsyncResult* result, gpointer) {
  GError* error = nullptr;
  JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, &error);
  if (!value) {
    Say("cookie:<error>");
    g_clear_error(&error);
    return;
  }
  const GObjectPtr<JSCValue> owned(value);
  const GMemoryPtr<char> text(jsc_value_to_string(value));
  Say(std::string("cookie:") + text.get());
}

void OnLoad(WebKitWebView* view, WebKitLoadEvent event, gpointer) {
  if (event != WEBKIT_LOAD_FINISHED) return;
  if (!g_checking) {
    Say("ready");
    return;
  }
  webkit_web_view_evaluate_javascript(view, "document.body.innerText", -1, nullptr, nullptr, nullptr, &OnText, nullptr);
}

void OnCleared(GObject* manager, GAsyncResult* result, gpointer) {
  GError* error = nullptr;
  const bool ok = webkit_website_data_manager_clear_finish(WEBKIT_WEBSITE_DATA_MANAGER(manager), result, &error);
  g_clear_error(&error);
  Say(ok ? "cleared" : "clear failed");
}

gboolean OnCommand(GIOChannel* channel, GIOCondition, gpointer) {
  gchar* read = nullptr;
  const GIOStatus status = g_io_channel_read_line(channel, &read, nullptr, nullptr, nullptr);
  const GMemoryPtr<gchar> line(read);
  if (status != G_IO_STATUS_NORMAL) {
    gtk_main_quit();
    return G_SOURCE_REMOVE;
  }
  const std::string command = g_strstrip(line.get());
  if (command == "clear") {
    const auto types = static_cast<WebKitWebsiteDataTypes>(WEBKIT_WEBSITE_DATA_ALL & ~WEBKIT_WEBSITE_DATA_COOKIES);
    webkit_website_data_manager_clear(g_manager, types, 0, nullptr, &OnCleared, nullptr);
  } else if (command == "page") {
    g_checking = false;
    webkit_web_view_load_uri(g_view, (g_url + "/page").c_str());
  } else if (command == "check") {
    g_checking = true;
    webkit_web_view_load_uri(g_view, (g_url + "/check").c_str());
  }
  return G_SOURCE_CONTINUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  g_base = argv[1];
  g_url = argv[2];
  gdk_set_allowed_backends("x11");
  gtk_init(&argc, &argv);
  g_manager = webkit_website_data_manager_new("base-data-directory", (g_base + "/data").c_str(), "base-cache-directory",
                                              (g_base + "/cache").c_str(), nullptr);
  WebKitWebContext* context = webkit_web_context_new_with_website_data_manager(g_manager);
  webkit_cookie_manager_set_persistent_storage(webkit_web_context_get_cookie_manager(context),
                                               (g_base + "/data/cookies.sqlite").c_str(),
                                               WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
  GtkWidget* window = gtk_offscreen_window_new();
  g_view = WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(context));
  gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(g_view));
  gtk_widget_show_all(window);
  g_signal_connect(g_view, "load-changed", G_CALLBACK(&OnLoad), nullptr);
  GIOChannel* input = g_io_channel_unix_new(0);
  g_io_add_watch(input, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP), &OnCommand, nullptr);
  webkit_web_view_load_uri(g_view, (g_url + "/page").c_str());
  gtk_main();
  return 0;
}
