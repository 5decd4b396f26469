// The demo portal: a small HTTP server on 127.0.0.1 that plays the portal's
// servers for local runs and tests. It serves the version endpoint, which
// answers a download URL to clients older than the offered build, and the
// downloads. For tests it also offers bodies of chosen sizes and faults, and
// a control interface to set the version answer and to read the requests seen:
//   /control/version-answer?status=N&answer=TEXT   answers every version request so
//   /control/reset                                 back to deciding by version; forgets
//                                                  requests, counts and sessions
//   /control/requests                              the requests seen, one a line, in order
//   /control/counts                                "N PATH" for every path requested
//   /control/count?path=P  (or ?prefix=P)          how often P (or paths starting with P)
//                                                  was requested; with &session=1 only the
//                                                  requests that carried a session cookie
//                                                  of a login this portal accepted
//   /control/sessions                              "ID ACCOUNT SERVER" for every login
//   /control/auto-login?login=ACCOUNT@SERVER       the login page logs in by itself
//                                                  (without login=: it no longer does)
//   /control/quit                                  ends the server
// and the portal's pages (their files are in pages/, compiled in):
//   /client/gamecode/qmr/skin/as/mac/<MAC text>/   the login page, 690 x 452
//   /qmr/login (POST or GET: account, password, svname, remember, format=json)
//                                                  checks a login, sets the session
//                                                  cookie "qm_session" and leads to
//   /qmr/play_gamecode/svname/<server name>/?uid=<account>   the game page
//     (also /qmr/play_gamecode?svname=<server name>&uid=<account>)
//   /qmr/news /qmr/help /qmr/cookie /qmr/frame     the pages the game page links to
//   /static/<file>                                 the pages' style sheets and scripts
//
//   demo_portal [--port N] [--port-file PATH] [--files DIR]
//               [--latest-version V --latest-file NAME] [--lifetime SECONDS]
//               [--auto-login ACCOUNT@SERVER] [--pages DIR]
#include <httplib.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "embedded_pages.h"
#include "portal_site.h"

namespace {

using portal::HtmlEscape;
using portal::JsonString;

const char kUsage[] =
    "usage: demo_portal [--port N] [--port-file PATH] [--files DIR]\n"
    "                   [--latest-version V --latest-file NAME] [--lifetime SECONDS]\n"
    "                   [--auto-login ACCOUNT@SERVER] [--pages DIR]\n"
    "\n"
    "  --port N              listen on 127.0.0.1:N (default 18614; 0 picks a free port)\n"
    "  --port-file PATH      write the port to PATH once listening\n"
    "  --files DIR           serve DIR under /download/\n"
    "  --latest-version V    offer /download/NAME to clients older than V\n"
    "  --latest-file NAME\n"
    "  --lifetime SECONDS    stop after SECONDS (default: run until /control/quit)\n"
    "  --auto-login A@S      the login page fills in account A, chooses server S and\n"
    "                        presses its button about a second after it has loaded\n"
    "  --pages DIR           serve the page files from DIR instead of the built-in ones\n"
    "\n"
    "Pages: /client/gamecode/qmr/skin/as/mac/<MAC text>/ (login), /qmr/play_gamecode/svname/<server>/?uid=<account>\n"
    "(game), /qmr/news, /qmr/help, /qmr/cookie, /qmr/frame. Control: /control/requests, /control/counts,\n"
    "/control/count?path=P|prefix=P[&session=1], /control/sessions, /control/auto-login?login=A@S, /control/version-answer,\n"
    "/control/reset, /control/quit.\n";

struct Options {
  int port = 18614;
  std::string portFile;
  std::string filesDir;
  std::string latestVersion;
  std::string latestFile;
  int lifetimeSeconds = 0;
  std::optional<portal::LoginForm> autoLogin;
  std::string pagesDir;
};

struct ForcedAnswer {
  int status = 200;
  std::string body;
};

// A login the portal accepted; the session cookie names it.
struct Session {
  std::string account;
  std::string server;
  std::string loginTime;  // "HH:MM:SS", local time
};

// Everything the handlers share.
struct State {
  std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;
  std::optional<ForcedAnswer> forced;
  std::vector<std::string> requests;      // "METHOD TARGET", in arrival order
  std::map<std::string, int> pathCounts;  // by path as sent (percent-encoded)
  std::map<std::string, int> sessionPathCounts;  // the same, of requests with a known session cookie
  std::map<std::string, std::string> decodedPaths;  // sent path -> decoded path
  std::map<std::string, Session> sessions;
  std::optional<portal::LoginForm> autoLogin;
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

// The page files: the ones compiled in, or those of a folder given with
// --pages (read at every request, so edits show on reload).
class PageFiles {
 public:
  explicit PageFiles(std::string folder) : folder_(std::move(folder)) {}

  std::optional<std::string> Read(const std::string& name) const {
    if (!folder_.empty()) {
      std::ifstream in(folder_ + "/" + name, std::ios::binary);
      if (!in) return std::nullopt;
      std::ostringstream text;
      text << in.rdbuf();
      return text.str();
    }
    for (size_t i = 0; i < portal::kEmbeddedPageCount; ++i) {
      const portal::EmbeddedPage& page = portal::kEmbeddedPages[i];
      if (name == page.name) return std::string(reinterpret_cast<const char*>(page.bytes), page.size);
    }
    return std::nullopt;
  }

 private:
  std::string folder_;
};

// The path of a request target, as sent: everything before the query.
std::string TargetPath(const std::string& target) { return target.substr(0, target.find('?')); }

std::string LocalClockTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

std::string AutoLoginJson(const std::optional<portal::LoginForm>& login) {
  if (!login) return "null";
  return "{\"account\":" + JsonString(login->account) + ",\"password\":" + JsonString(login->password) +
         ",\"server\":" + JsonString(login->server) + "}";
}

// The server choices of the login page; the chosen one (or the first open
// one) is checked, servers under maintenance cannot be chosen.
std::string ServerChoices(const std::string& chosen) {
  const bool chosenIsOpen = portal::FindGameServer(chosen) && portal::FindGameServer(chosen)->open;
  std::string html;
  bool checked = false;
  for (const portal::GameServer& server : portal::GameServers()) {
    const bool check = server.open && !checked && (!chosenIsOpen || chosen == server.name);
    checked = checked || check;
    html += std::string("<label class=\"sv ") + server.style + "\"><input type=\"radio\" name=\"svname\" value=\"" +
            HtmlEscape(server.name) + "\"" + (check ? " checked" : "") + (server.open ? "" : " disabled") +
            "><span class=\"sv-name\">" + HtmlEscape(server.name) + "</span><span class=\"sv-badge\">" +
            server.badge + "</span></label>\n";
  }
  return html;
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) {
      error = arg + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    if (arg == "--port") options.port = std::atoi(value.c_str());
    else if (arg == "--port-file") options.portFile = value;
    else if (arg == "--files") options.filesDir = value;
    else if (arg == "--latest-version") options.latestVersion = value;
    else if (arg == "--latest-file") options.latestFile = value;
    else if (arg == "--lifetime") options.lifetimeSeconds = std::atoi(value.c_str());
    else if (arg == "--pages") options.pagesDir = value;
    else if (arg == "--auto-login") {
      options.autoLogin = portal::ParseAutoLogin(value);
      const std::string problem = options.autoLogin ? portal::CheckLogin(*options.autoLogin) : "not ACCOUNT@SERVER";
      if (!problem.empty()) {
        error = "--auto-login " + value + ": " + problem + " (servers:";
        for (const portal::GameServer& server : portal::GameServers()) {
          if (server.open) error += std::string(" ") + server.name;
        }
        error += ")";
        return false;
      }
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  Options options;
  std::string optionError;
  if (!ParseOptions(argc, argv, options, optionError)) {
    std::fprintf(stderr, "demo_portal: %s\n%s", optionError.c_str(), kUsage);
    return 2;
  }
  const PageFiles pages(options.pagesDir);
  if (!pages.Read("login.html")) {
    std::fprintf(stderr, "demo_portal: no login.html in %s\n", options.pagesDir.c_str());
    return 2;
  }
  State state;
  state.autoLogin = options.autoLogin;
  httplib::Server server;

  server.set_pre_routing_handler([&](const httplib::Request& req, httplib::Response&) {
    if (req.path.rfind("/control/", 0) != 0) {
      std::lock_guard<std::mutex> lock(state.mutex);
      state.requests.push_back(req.method + " " + req.target);
      const std::string path = TargetPath(req.target);
      ++state.pathCounts[path];
      state.decodedPaths[path] = req.path;
      const auto cookies = portal::ParseCookieHeader(req.get_header_value("Cookie"));
      const auto session = cookies.find("qm_session");
      if (session != cookies.end() && state.sessions.count(session->second)) ++state.sessionPathCounts[path];
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });

  // A page file filled with values, never cached (so every visit reaches
  // the request log). A missing file or placeholder is the portal's own
  // fault and answers 500.
  auto sendPage = [&](httplib::Response& res, const std::string& name,
                      const std::map<std::string, std::string>& values) {
    const std::optional<std::string> text = pages.Read(name);
    std::vector<std::string> missing;
    const std::string html = text ? portal::FillTemplate(*text, values, &missing) : std::string();
    if (!text || !missing.empty()) {
      res.status = 500;
      res.set_content("demo_portal: page " + name + (text ? " has no value for {{" + missing[0] + "}}" : " missing"),
                      "text/plain; charset=utf-8");
      return;
    }
    res.set_header("Cache-Control", "no-store");
    res.set_content(html, "text/html; charset=utf-8");
  };

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
    state.pathCounts.clear();
    state.sessionPathCounts.clear();
    state.decodedPaths.clear();
    state.sessions.clear();
    res.set_content("ok", "text/plain");
  });
  server.Get("/control/requests", [&](const httplib::Request&, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(state.mutex);
    std::string text;
    for (const std::string& line : state.requests) text += line + "\n";
    res.set_content(text, "text/plain");
  });
  server.Get("/control/counts", [&](const httplib::Request&, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(state.mutex);
    std::string text;
    for (const auto& [path, count] : state.pathCounts) text += std::to_string(count) + " " + path + "\n";
    res.set_content(text, "text/plain; charset=utf-8");
  });
  // A path matches as sent (percent-encoded) or decoded, so a test can ask
  // for "/qmr/play_gamecode/svname/烈焰一区/" either way.
  server.Get("/control/count", [&](const httplib::Request& req, httplib::Response& res) {
    const bool byPrefix = req.has_param("prefix");
    const std::string wanted = req.get_param_value(byPrefix ? "prefix" : "path");
    if (wanted.empty()) {
      res.status = 400;
      res.set_content("give path=P or prefix=P", "text/plain");
      return;
    }
    auto matches = [&](const std::string& path) {
      return byPrefix ? path.rfind(wanted, 0) == 0 : path == wanted;
    };
    const bool withSession = req.get_param_value("session") == "1";
    std::lock_guard<std::mutex> lock(state.mutex);
    int total = 0;
    for (const auto& [path, count] : withSession ? state.sessionPathCounts : state.pathCounts) {
      if (matches(path) || matches(state.decodedPaths[path])) total += count;
    }
    res.set_content(std::to_string(total), "text/plain");
  });
  server.Get("/control/sessions", [&](const httplib::Request&, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(state.mutex);
    std::string text;
    for (const auto& [id, session] : state.sessions) {
      text += id + " " + session.account + " " + session.server + "\n";
    }
    res.set_content(text, "text/plain; charset=utf-8");
  });
  server.Get("/control/auto-login", [&](const httplib::Request& req, httplib::Response& res) {
    const std::string text = req.get_param_value("login");
    std::optional<portal::LoginForm> login;
    if (!text.empty()) {
      login = portal::ParseAutoLogin(text);
      const std::string problem = login ? portal::CheckLogin(*login) : "not ACCOUNT@SERVER";
      if (!problem.empty()) {
        res.status = 400;
        res.set_content(problem, "text/plain; charset=utf-8");
        return;
      }
    }
    std::lock_guard<std::mutex> lock(state.mutex);
    state.autoLogin = login;
    res.set_content(login ? "on" : "off", "text/plain");
  });
  server.Get("/control/quit", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content("bye", "text/plain");
    {
      std::lock_guard<std::mutex> lock(state.mutex);
      state.stopping = true;
    }
    state.wake.notify_all();
  });

  // The pages' style sheets and scripts.
  server.Get(R"(/static/([a-z_]+\.(css|js)))", [&](const httplib::Request& req, httplib::Response& res) {
    const std::optional<std::string> text = pages.Read(req.matches[1]);
    if (!text) {
      res.status = 404;
      res.set_content("not found", "text/plain");
      return;
    }
    res.set_header("Cache-Control", "no-cache");
    res.set_content(*text, req.matches[2] == "css" ? "text/css; charset=utf-8" : "text/javascript; charset=utf-8");
  });

  // The login page. It remembers the account of a login with "remember me"
  // through the qm_account cookie.
  server.Get(R"(/client/gamecode/qmr/skin/as/mac/([0-9A-Fa-f-]*)/)",
             [&](const httplib::Request& req, httplib::Response& res) {
               const auto cookies = portal::ParseCookieHeader(req.get_header_value("Cookie"));
               const auto remembered = cookies.find("qm_account");
               const std::string account =
                   remembered == cookies.end() ? std::string() : portal::PercentDecode(remembered->second);
               const auto lastServer = cookies.find("qm_server");
               std::optional<portal::LoginForm> autoLogin;
               {
                 std::lock_guard<std::mutex> lock(state.mutex);
                 autoLogin = state.autoLogin;
               }
               const std::string mac = req.matches[1];
               sendPage(res, "login.html",
                        {{"MAC", HtmlEscape(mac.empty() ? "未知" : mac)},
                         {"ACCOUNT", HtmlEscape(account)},
                         {"REMEMBER", account.empty() ? "" : "checked"},
                         {"SERVERS", ServerChoices(lastServer == cookies.end()
                                                       ? std::string()
                                                       : portal::PercentDecode(lastServer->second))},
                         {"CONFIG", "{\"login\":\"/qmr/login\",\"play\":\"/qmr/play_gamecode/svname/\",\"autoLogin\":" +
                                        AutoLoginJson(autoLogin) + "}"}});
             });
  // Anyone who opens the portal's address lands on the login page.
  server.Get("/", [&](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("/client/gamecode/qmr/skin/as/mac//");
  });

  // The login: checks the form, starts a session and leads to the game page.
  // The page's script asks with format=json and navigates itself; a plain
  // form post gets a redirect.
  auto login = [&](const httplib::Request& req, httplib::Response& res) {
    const portal::LoginForm form{req.get_param_value("account"), req.get_param_value("password"),
                                 req.get_param_value("svname")};
    const bool json = req.get_param_value("format") == "json";
    const std::string problem = portal::CheckLogin(form);
    res.set_header("Cache-Control", "no-store");
    if (!problem.empty()) {
      res.status = 400;
      if (json) {
        res.set_content("{\"ok\":false,\"message\":" + JsonString(problem) + "}", "application/json");
      } else {
        res.set_content("<!DOCTYPE html><meta charset=\"utf-8\"><title>登录失败</title><p>" + HtmlEscape(problem) +
                            "</p><p><a href=\"javascript:history.back()\">返回</a></p>",
                        "text/html; charset=utf-8");
      }
      return;
    }
    const std::string id = portal::NewSessionId();
    {
      std::lock_guard<std::mutex> lock(state.mutex);
      state.sessions[id] = Session{form.account, form.server, LocalClockTime()};
    }
    res.set_header("Set-Cookie", "qm_session=" + id + "; Path=/; HttpOnly; Max-Age=86400; SameSite=Lax");
    const std::string remember = req.get_param_value("remember");
    if (!remember.empty() && remember != "0") {
      res.set_header("Set-Cookie", "qm_account=" + portal::EncodeUriComponent(form.account) +
                                       "; Path=/; Max-Age=2592000; SameSite=Lax");
    } else {
      res.set_header("Set-Cookie", "qm_account=; Path=/; Max-Age=0; SameSite=Lax");
    }
    res.set_header("Set-Cookie", "qm_server=" + portal::EncodeUriComponent(form.server) +
                                     "; Path=/; Max-Age=2592000; SameSite=Lax");
    const std::string gamePath = portal::GamePath(form.server, form.account);
    if (json) {
      res.set_content("{\"ok\":true,\"url\":" + JsonString(gamePath) + ",\"session\":" + JsonString(id) + "}",
                      "application/json");
    } else {
      res.set_redirect(gamePath, 303);
    }
  };
  server.Post("/qmr/login", login);
  server.Get("/qmr/login", login);

  // The game page shows the session its cookie names.
  auto gamePage = [&](const httplib::Request& req, httplib::Response& res, const std::string& serverName) {
    const auto cookies = portal::ParseCookieHeader(req.get_header_value("Cookie"));
    const auto cookie = cookies.find("qm_session");
    std::string session;
    if (cookie == cookies.end()) {
      session = "<span id=\"session-id\" class=\"none\">没有会话 cookie</span>";
    } else {
      std::optional<Session> known;
      {
        std::lock_guard<std::mutex> lock(state.mutex);
        const auto found = state.sessions.find(cookie->second);
        if (found != state.sessions.end()) known = found->second;
      }
      session = "qm_session = <code id=\"session-id\">" + HtmlEscape(cookie->second) + "</code><br>";
      session += known ? HtmlEscape(known->account) + " · " + HtmlEscape(known->server) + " · 登录于 " +
                             known->loginTime
                       : std::string("<span class=\"none\">这个会话不是本服务器发出的</span>");
    }
    const std::string account = req.get_param_value("uid");
    sendPage(res, "game.html",
             {{"SERVER", HtmlEscape(serverName.empty() ? "未知服务器" : serverName)},
              {"ACCOUNT", HtmlEscape(account.empty() ? "勇士" : account)},
              {"SESSION", session},
              {"CONFIG", "{\"account\":" + JsonString(account) + ",\"server\":" + JsonString(serverName) + "}"}});
  };
  server.Get(R"(/qmr/play_gamecode/svname/([^/]*)/)", [&](const httplib::Request& req, httplib::Response& res) {
    gamePage(req, res, req.matches[1]);
  });
  server.Get("/qmr/play_gamecode", [&](const httplib::Request& req, httplib::Response& res) {
    gamePage(req, res, req.get_param_value("svname"));
  });

  // The pages the game page links to.
  server.Get("/qmr/news", [&](const httplib::Request&, httplib::Response& res) { sendPage(res, "news.html", {}); });
  server.Get("/qmr/help", [&](const httplib::Request&, httplib::Response& res) { sendPage(res, "help.html", {}); });
  server.Get("/qmr/frame", [&](const httplib::Request&, httplib::Response& res) { sendPage(res, "frame.html", {}); });
  // Sets the cookie qm_visits (one more each visit) and shows the cookies
  // the request brought.
  server.Get("/qmr/cookie", [&](const httplib::Request& req, httplib::Response& res) {
    const std::string header = req.get_header_value("Cookie");
    const auto cookies = portal::ParseCookieHeader(header);
    const auto visits = cookies.find("qm_visits");
    const int count = (visits == cookies.end() ? 0 : std::atoi(visits->second.c_str())) + 1;
    std::string received;
    for (const auto& [name, value] : cookies) {
      received += "<li><code>" + HtmlEscape(name) + "=" + HtmlEscape(value) + "</code></li>";
    }
    if (received.empty()) received = "<li class=\"none\">这次请求没有带 cookie</li>";
    res.set_header("Set-Cookie", "qm_visits=" + std::to_string(count) + "; Path=/; Max-Age=86400; SameSite=Lax");
    sendPage(res, "cookie.html", {{"VISITS", std::to_string(count)}, {"RECEIVED", received}});
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
