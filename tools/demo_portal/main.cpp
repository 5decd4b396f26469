// The demo portal: a small HTTP server on 127.0.0.1 that plays the portal's
// servers for local runs and tests. It serves the version endpoint, which
// answers a download URL to clients older than the offered build, and the
// downloads. For tests it also offers bodies of chosen sizes and faults, and
// a control interface to set the version answer and to read the requests seen:
//   /control/version-answer?status=N&answer=TEXT   answers every version request so
//   /control/reset                                 back to deciding by version
//   /control/requests                              the requests seen, one a line
//   /control/quit                                  ends the server
// and the pages the launcher shows: the login page under
//   /client/gamecode/qmr/skin/as/mac/<MAC text>/
// whose "进入游戏" navigates to the game page
//   /qmr/play_gamecode/svname/<server name>/?uid=<account>
// (or, without script, /qmr/play_gamecode?svname=<server name>&uid=<account>).
//
//   demo_portal [--port N] [--port-file PATH] [--files DIR]
//               [--latest-version V --latest-file NAME] [--lifetime SECONDS]
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Options {
  int port = 18614;
  std::string portFile;
  std::string filesDir;
  std::string latestVersion;
  std::string latestFile;
  int lifetimeSeconds = 0;
};

struct ForcedAnswer {
  int status = 200;
  std::string body;
};

// Everything the handlers share.
struct State {
  std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;
  std::optional<ForcedAnswer> forced;
  std::vector<std::string> requests;
  int port = 0;
};

// Compares dotted version texts number by number.
int CompareVersions(const std::string& a, const std::string& b) {
  std::istringstream left(a), right(b);
  for (;;) {
    std::string x, y;
    const bool hasX = static_cast<bool>(std::getline(left, x, '.'));
    const bool hasY = static_cast<bool>(std::getline(right, y, '.'));
    if (!hasX && !hasY) return 0;
    const long nx = hasX ? std::strtol(x.c_str(), nullptr, 10) : 0;
    const long ny = hasY ? std::strtol(y.c_str(), nullptr, 10) : 0;
    if (nx != ny) return nx < ny ? -1 : 1;
  }
}

// The test body pattern: byte i is i modulo 251.
void FillPattern(std::string& out, size_t offset, size_t length) {
  out.resize(length);
  for (size_t i = 0; i < length; ++i) out[i] = static_cast<char>((offset + i) % 251);
}

size_t SizeParam(const httplib::Request& req, const char* name, size_t fallback) {
  return req.has_param(name) ? static_cast<size_t>(std::strtoull(req.get_param_value(name).c_str(), nullptr, 10))
                             : fallback;
}

// Text for an HTML page: markup characters escaped.
std::string HtmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

// The servers the login page offers.
const char* const kServers[] = {"一区", "二区", "三区"};

// The login page, shown by the launcher at 690 x 452 pixels below the 61
// pixels of its dialog's caption: no scroll bars, nothing loaded from outside.
std::string LoginPage(const std::string& macText) {
  std::string servers;
  for (size_t i = 0; i < sizeof kServers / sizeof kServers[0]; ++i) {
    servers += std::string("<label><input type=\"radio\" name=\"svname\" value=\"") + kServers[i] + "\"" +
               (i == 0 ? " checked" : "") + "> " + kServers[i] + "</label>";
  }
  return R"(<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>Quellmoor 登录</title>
<style>
html,body{margin:0;padding:0;width:690px;height:452px;overflow:hidden;}
body{font:14px "Microsoft YaHei",sans-serif;color:#f3e9c6;
 background:linear-gradient(160deg,#2b1d12 0%,#4a2f18 55%,#1d140c 100%);}
.box{position:absolute;left:195px;top:40px;width:300px;padding:22px 24px;border:1px solid #b98d4a;
 border-radius:6px;background:rgba(20,12,6,.78);box-shadow:0 0 18px #000;}
h1{margin:0 0 16px;font-size:24px;text-align:center;color:#ffd98a;letter-spacing:4px;}
.row{margin:0 0 12px;}
.row input[type=text],.row input[type=password]{width:100%;box-sizing:border-box;padding:7px;
 border:1px solid #8a6a3a;border-radius:3px;background:#fff8e8;font-size:14px;}
.servers label{margin-right:14px;cursor:pointer;}
button{width:100%;padding:9px;border:0;border-radius:3px;font-size:17px;color:#3a2408;cursor:pointer;
 background:linear-gradient(#ffe08a,#d9a23c);}
#msg{height:18px;margin:8px 0 0;color:#ff9a7a;text-align:center;}
.foot{position:absolute;left:0;right:0;bottom:10px;text-align:center;font-size:12px;color:#a08a66;}
</style></head><body>
<form class="box" id="login" method="get" action="/qmr/play_gamecode">
<h1>Quellmoor</h1>
<div class="row"><input type="text" name="uid" id="uid" placeholder="账号" autocomplete="username"></div>
<div class="row"><input type="password" id="pwd" placeholder="密码" autocomplete="current-password"></div>
<div class="row servers">)" + servers + R"(</div>
<button type="submit" id="play">进入游戏</button>
<div id="msg"></div>
</form>
<div class="foot">Tarnwick 游戏平台 · 本机 )" + HtmlEscape(macText.empty() ? "未知" : macText) + R"(</div>
<script>
document.getElementById('login').onsubmit = function () {
  var uid = document.getElementById('uid').value;
  if (!uid) { document.getElementById('msg').textContent = '请输入账号'; return false; }
  var sv = document.querySelector('input[name=svname]:checked').value;
  location.href = '/qmr/play_gamecode/svname/' + encodeURIComponent(sv) + '/?uid=' + encodeURIComponent(uid);
  return false;
};
</script>
</body></html>
)";
}

// The game page: fills the launcher's game window.
std::string GamePage(const std::string& server, const std::string& account) {
  const std::string name = HtmlEscape(server.empty() ? "未知服务器" : server);
  return R"(<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>Quellmoor - )" + name + R"(</title>
<style>
html,body{margin:0;height:100%;overflow:hidden;}
body{font:15px "Microsoft YaHei",sans-serif;color:#f3e9c6;background:radial-gradient(circle at 50% 40%,#3c5a2a,#10180c);}
.hud{position:absolute;left:0;right:0;top:0;padding:8px 14px;background:rgba(0,0,0,.45);}
.stage{position:absolute;left:50%;top:50%;transform:translate(-50%,-50%);text-align:center;}
.stage h1{margin:0 0 10px;font-size:40px;color:#ffd98a;letter-spacing:6px;}
.dot{display:inline-block;width:10px;height:10px;margin:0 4px;border-radius:5px;background:#ffd98a;
 animation:pulse 1.2s infinite;}
.dot:nth-child(2){animation-delay:.4s}.dot:nth-child(3){animation-delay:.8s}
@keyframes pulse{0%,100%{opacity:.2}50%{opacity:1}}
</style></head><body>
<div class="hud">[ )" + name + R"( ] 欢迎，)" + HtmlEscape(account.empty() ? "勇士" : account) + R"(</div>
<div class="stage"><h1>Quellmoor</h1><p id="state">游戏加载中</p>
<p><span class="dot"></span><span class="dot"></span><span class="dot"></span></p></div>
</body></html>
)";
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    if (arg == "--port") options.port = std::atoi(value.c_str());
    else if (arg == "--port-file") options.portFile = value;
    else if (arg == "--files") options.filesDir = value;
    else if (arg == "--latest-version") options.latestVersion = value;
    else if (arg == "--latest-file") options.latestFile = value;
    else if (arg == "--lifetime") options.lifetimeSeconds = std::atoi(value.c_str());
    else return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: demo_portal [--port N] [--port-file PATH] [--files DIR] "
                 "[--latest-version V --latest-file NAME] [--lifetime SECONDS]\n");
    return 2;
  }
  State state;
  httplib::Server server;

  server.set_pre_routing_handler([&](const httplib::Request& req, httplib::Response&) {
    if (req.path.rfind("/control/", 0) != 0) {
      std::lock_guard<std::mutex> lock(state.mutex);
      state.requests.push_back(req.method + " " + req.target);
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });

  // The version endpoint: a download URL for clients older than the offered
  // build, "-1" for every other client.
  server.Get("/getClientVersion.php", [&](const httplib::Request& req, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.forced) {
      res.status = state.forced->status;
      res.set_content(state.forced->body, "text/html");
      return;
    }
    const std::string version = req.get_param_value("v");
    std::string answer = "-1";
    if (!options.latestVersion.empty() && !options.latestFile.empty() &&
        CompareVersions(version, options.latestVersion) < 0) {
      answer = "http://127.0.0.1:" + std::to_string(state.port) + "/download/" + options.latestFile;
    }
    res.set_content(answer, "text/html");
  });

  if (!options.filesDir.empty() && !server.set_mount_point("/download", options.filesDir)) {
    std::fprintf(stderr, "demo_portal: no folder %s\n", options.filesDir.c_str());
    return 2;
  }

  // Control of the test behaviour.
  server.Get("/control/version-answer", [&](const httplib::Request& req, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(state.mutex);
    state.forced = ForcedAnswer{static_cast<int>(SizeParam(req, "status", 200)), req.get_param_value("answer")};
    res.set_content("ok", "text/plain");
  });
  server.Get("/control/reset", [&](const httplib::Request&, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(state.mutex);
    state.forced.reset();
    state.requests.clear();
    res.set_content("ok", "text/plain");
  });
  server.Get("/control/requests", [&](const httplib::Request&, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(state.mutex);
    std::string text;
    for (const std::string& line : state.requests) text += line + "\n";
    res.set_content(text, "text/plain");
  });
  server.Get("/control/quit", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content("bye", "text/plain");
    {
      std::lock_guard<std::mutex> lock(state.mutex);
      state.stopping = true;
    }
    state.wake.notify_all();
  });

  // The login page and the game page.
  server.Get(R"(/client/gamecode/qmr/skin/as/mac/([0-9A-Fa-f-]*)/)",
             [&](const httplib::Request& req, httplib::Response& res) {
               res.set_content(LoginPage(req.matches[1]), "text/html; charset=utf-8");
             });
  server.Get(R"(/qmr/play_gamecode/svname/([^/]*)/)", [&](const httplib::Request& req, httplib::Response& res) {
    res.set_content(GamePage(req.matches[1], req.get_param_value("uid")), "text/html; charset=utf-8");
  });
  server.Get("/qmr/play_gamecode", [&](const httplib::Request& req, httplib::Response& res) {
    res.set_content(GamePage(req.get_param_value("svname"), req.get_param_value("uid")), "text/html; charset=utf-8");
  });

  // Bodies for tests: n pattern bytes with Content-Length, or chunked without.
  server.Get("/test/bytes", [&](const httplib::Request& req, httplib::Response& res) {
    const size_t n = SizeParam(req, "n", 0);
    auto provide = [](size_t offset, size_t length, httplib::DataSink& sink) {
      std::string piece;
      FillPattern(piece, offset, std::min<size_t>(length, 1 << 16));
      return sink.write(piece.data(), piece.size());
    };
    if (n == 0) {
      res.set_content("", "application/octet-stream");
    } else if (req.has_param("chunked")) {
      auto offset = std::make_shared<size_t>(0);
      res.set_chunked_content_provider("application/octet-stream",
                                       [n, offset](size_t, httplib::DataSink& sink) {
                                         if (*offset >= n) {
                                           sink.done();
                                           return true;
                                         }
                                         std::string piece;
                                         FillPattern(piece, *offset, std::min<size_t>(n - *offset, 1000));
                                         *offset += piece.size();
                                         return sink.write(piece.data(), piece.size());
                                       });
    } else {
      res.set_content_provider(n, "application/octet-stream", provide);
    }
  });
  // Declares a length, sends fewer bytes and closes the connection.
  server.Get("/test/short", [&](const httplib::Request& req, httplib::Response& res) {
    const size_t n = SizeParam(req, "n", 0);
    const size_t declared = SizeParam(req, "declared", n + 1);
    res.set_content_provider(declared, "application/octet-stream",
                             [n](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset < n) {
                                 std::string piece;
                                 FillPattern(piece, offset, n - offset);
                                 sink.write(piece.data(), piece.size());
                               }
                               return false;  // ends the connection early
                             });
  });
  server.Get("/test/status", [&](const httplib::Request& req, httplib::Response& res) {
    res.status = static_cast<int>(SizeParam(req, "code", 200));
    res.set_content("status " + std::to_string(res.status), "text/plain");
  });
  // Accepts the request and does not answer until the server stops (or a
  // minute has passed).
  server.Get("/test/hang", [&](const httplib::Request&, httplib::Response& res) {
    std::unique_lock<std::mutex> lock(state.mutex);
    state.wake.wait_for(lock, std::chrono::seconds(60), [&] { return state.stopping; });
    res.set_content("late", "text/plain");
  });

  state.port = options.port == 0 ? server.bind_to_any_port("127.0.0.1")
                                 : (server.bind_to_port("127.0.0.1", options.port) ? options.port : -1);
  if (state.port <= 0) {
    std::fprintf(stderr, "demo_portal: cannot listen on 127.0.0.1:%d\n", options.port);
    return 1;
  }
  if (!options.portFile.empty()) {
    const std::string temp = options.portFile + ".tmp";
    std::ofstream(temp) << state.port << "\n";
    std::rename(temp.c_str(), options.portFile.c_str());
  }
  std::printf("demo_portal: listening on http://127.0.0.1:%d\n", state.port);
  std::fflush(stdout);

  // Stops the server when asked to quit or when its lifetime is over.
  std::thread supervisor([&] {
    std::unique_lock<std::mutex> lock(state.mutex);
    auto stopping = [&] { return state.stopping; };
    if (options.lifetimeSeconds > 0) {
      state.wake.wait_for(lock, std::chrono::seconds(options.lifetimeSeconds), stopping);
    } else {
      state.wake.wait(lock, stopping);
    }
    state.stopping = true;
    lock.unlock();
    state.wake.notify_all();
    server.stop();
  });
  server.listen_after_bind();
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    state.stopping = true;
  }
  state.wake.notify_all();
  supervisor.join();
  return 0;
}
