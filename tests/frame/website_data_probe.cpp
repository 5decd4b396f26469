// Test-only stand-in for the game process on Linux, built on the real parts:
// a game window with a game channel and the game view (the real WebKitGTK
// WebView with its data under <base>) that loads <url>/page. The channel's
// handler is the game window's real one for WM_GAMEWND_CLEAR_WEBSITE_DATA.
// It writes on standard output, one a line:
//   window <id>     its channel's window id, once listening
//   got <message>   a message arrived over the channel
//   loaded <url>    a page finished loading
// and reads commands on standard input, one a line:
//   check           loads <url>/check (the server records the cookies sent)
#include <gtk/gtk.h>

#include <cstdio>
#include <memory>
#include <string>

#include "base/text.h"
#include "browser/web_view.h"
#include "frame/game_channel.h"
#include "frame/website_data_relay.h"
#include "ui/linux/gtk_owners.h"

namespace {

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

struct IoChannelUnref {
  void operator()(GIOChannel* channel) const noexcept { g_io_channel_unref(channel); }
};

struct Probe {
  std::string url;
  std::unique_ptr<qm::WebView> view;
  std::unique_ptr<qm::GameChannel> channel;
};

gboolean OnCommand(GIOChannel* input, GIOCondition, gpointer data) {
  auto* probe = static_cast<Probe*>(data);
  gchar* read = nullptr;
  const GIOStatus status = g_io_channel_read_line(input, &read, nullptr, nullptr, nullptr);
  const qm::GMemoryPtr<gchar> line(read);
  if (status != G_IO_STATUS_NORMAL) {
    gtk_main_quit();  // the test has gone; the watch's owner removes it
    return G_SOURCE_CONTINUE;
  }
  const std::string command = g_strstrip(line.get());
  if (command == "check") probe->view->Navigate(qm::WideFromUtf8(probe->url + "/check"));
  return G_SOURCE_CONTINUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  gdk_set_allowed_backends("x11");
  gtk_init(&argc, &argv);
  Probe probe;
  probe.url = argv[2];

  qm::UniqueWidget windowOwner(gtk_window_new(GTK_WINDOW_TOPLEVEL));
  GtkWidget* window = windowOwner.get();
  gtk_window_set_title(GTK_WINDOW(window), "website data probe");
  gtk_window_set_default_size(GTK_WINDOW(window), 400, 300);
  GtkWidget* fixed = gtk_fixed_new();
  gtk_container_add(GTK_CONTAINER(window), fixed);
  gtk_widget_show_all(window);

  qm::WebViewSettings settings;
  settings.role = qm::WebViewRole::kGameView;
  settings.dataFolder = argv[1];
  probe.view = qm::WebView::Create(fixed, settings);
  if (!probe.view) return 3;
  probe.view->Place({0, 0, 400, 300});
  probe.view->SetDocumentComplete([](const std::wstring& url) { Say("loaded " + qm::Utf8FromWide(url)); });

  qm::GameChannel* channel = nullptr;
  probe.channel = qm::GameChannel::Listen(window, [&](const qm::GameMessage& message) -> std::optional<std::int64_t> {
    Say("got " + std::to_string(message.message));
    return qm::HandleClearWebsiteData(message, *probe.view, [&channel](qm::WindowId target, const qm::GameMessage& answer) {
      return channel && channel->Post(target, answer);
    });
  });
  if (!probe.channel) return 4;
  channel = probe.channel.get();
  Say("window " + std::to_string(probe.channel->Id()));

  const std::unique_ptr<GIOChannel, IoChannelUnref> input(g_io_channel_unix_new(0));
  const qm::UniqueSource watch(
      g_io_add_watch(input.get(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP), &OnCommand, &probe));
  probe.view->Navigate(qm::WideFromUtf8(probe.url + "/page"));
  gtk_main();
  probe.channel.reset();
  probe.view.reset();
  return 0;
}
