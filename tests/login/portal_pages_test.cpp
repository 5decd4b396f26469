// The demo portal's pages, fetched over loopback from the native server
// started as a child process on a free port: the login page and its login
// (session cookie, game URL, messages for wrong input), auto-login, the game
// page and the pages around it, and the request counts tests rely on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "frame/server_name.h"
#include "login/game_url_catcher.h"
#include "login/login_url.h"
#include "platform/linux/owners.h"
#include "support/temp_dir.h"
#include "update/http_access.h"

extern char** environ;

namespace qm {
namespace {

struct Page {
  long status = 0;
  std::wstring text;
};

Page Fetch(const std::wstring& url) {
  Page page;
  auto session = OpenHttpSession(L"test");
  session->SetConnectTimeout(2000);
  auto response = session->OpenUrl(url);
  if (!response) return page;
  page.status = response->StatusCode();
  std::string body;
  char buffer[4096];
  size_t n;
  while ((n = response->Read(buffer, sizeof buffer)) > 0) body.append(buffer, n);
  page.text = WideFromUtf8(body);
  return page;
}

// A plain HTTP/1.1 client over a socket, for what the launcher's HTTP layer
// does not do here (POST, request headers, redirects not followed), and which
// hands header values over exactly as sent, percent-encoding included.
using Headers = std::vector<std::pair<std::string, std::string>>;

struct Answer {
  int status = 0;
  Headers headers;
  std::string body;

  size_t get_header_value_count(const std::string& name) const {
    return static_cast<size_t>(std::count_if(headers.begin(), headers.end(),
                                             [&](const auto& header) { return header.first == name; }));
  }
  std::string get_header_value(const std::string& name, size_t index = 0) const {
    for (const auto& header : headers) {
      if (header.first == name && index-- == 0) return header.second;
    }
    return std::string();
  }
  bool has_header(const std::string& name) const { return get_header_value_count(name) > 0; }
};

class RawClient {
 public:
  explicit RawClient(int port) : port_(port) {}

  std::optional<Answer> Get(const std::string& target, const Headers& headers = {}) const {
    return Send("GET", target, headers, std::string(), std::string());
  }
  std::optional<Answer> Post(const std::string& target, const Headers& headers, const std::string& body,
                             const std::string& contentType) const {
    return Send("POST", target, headers, body, contentType);
  }

 private:
  std::optional<Answer> Send(const std::string& method, const std::string& target, const Headers& headers,
                             const std::string& body, const std::string& contentType) const {
    UniqueFd socketFd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{10, 0};
    setsockopt(socketFd.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (!socketFd || connect(socketFd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      return std::nullopt;
    }
    std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    for (const auto& [name, value] : headers) request += name + ": " + value + "\r\n";
    if (method == "POST") {
      request += "Content-Type: " + contentType + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    }
    request += "\r\n" + body;
    if (send(socketFd.get(), request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
      return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = recv(socketFd.get(), buffer, sizeof buffer, 0)) > 0) text.append(buffer, static_cast<size_t>(n));
    const size_t headEnd = text.find("\r\n\r\n");
    if (text.rfind("HTTP/1.1 ", 0) != 0 || headEnd == std::string::npos) return std::nullopt;
    Answer answer;
    answer.status = std::atoi(text.c_str() + 9);
    answer.body = text.substr(headEnd + 4);
    std::istringstream head(text.substr(0, headEnd));
    std::string line;
    std::getline(head, line);  // the status line
    while (std::getline(head, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const size_t colon = line.find(": ");
      if (colon != std::string::npos) answer.headers.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
    return answer;
  }

  int port_;
};

class PortalPages : public ::testing::Test {
 protected:
  // Options a fixture adds to the portal's command line.
  virtual std::vector<std::string> ExtraArgs() const { return {}; }

  void SetUp() override {
    const std::string portFile = dir_.path().string() + "/port";
    std::vector<std::string> args{QM_DEMO_PORTAL, "--port", "0", "--port-file", portFile, "--lifetime", "120"};
    for (const std::string& arg : ExtraArgs()) args.push_back(arg);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int port = 0;
    while (port == 0 && std::chrono::steady_clock::now() < deadline) {
      std::ifstream(portFile) >> port;
      if (port == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_NE(port, 0) << "the demo portal did not start";
    base_ = L"http://127.0.0.1:" + std::to_wstring(port);
    port_ = port;
  }

  RawClient Client() const { return RawClient(port_); }

  std::string Get(const std::string& target, const Headers& headers = {}) {
    const auto res = Client().Get(target, headers);
    return res ? res->body : "(no answer)";
  }

  int Count(const std::string& query) { return std::atoi(Get("/control/count?" + query).c_str()); }

  void TearDown() override {
    if (pid_ <= 0) return;
    if (!base_.empty()) {
      try {
        Fetch(base_ + L"/control/quit");
      } catch (const UpdateException&) {
      }
    }
    int status = 0;
    for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
  }

  test::TempDir dir_;
  pid_t pid_ = -1;
  std::wstring base_;
  int port_ = 0;
};

TEST_F(PortalPages, LoginPageIsServedAtTheLoginUrl) {
  const std::wstring loginBase = base_ + L"/client/gamecode/qmr/skin/as/";
  for (const std::wstring& mac : {FormatMacText({0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}), std::wstring()}) {
    const std::wstring url = ComposeLoginUrl(loginBase, mac);
    const Page page = Fetch(url);
    EXPECT_EQ(page.status, 200) << Utf8FromWide(url);
    EXPECT_NE(page.text.find(L"进入游戏"), std::wstring::npos);
    EXPECT_NE(page.text.find(L"/qmr/play_gamecode/svname/"), std::wstring::npos);
    EXPECT_NE(page.text.find(L"width:690px;height:452px"), std::wstring::npos);
    if (!mac.empty()) {
      EXPECT_NE(page.text.find(mac), std::wstring::npos);
    }
    // Self-contained: nothing is loaded from another address.
    EXPECT_EQ(page.text.find(L"http"), std::wstring::npos);
  }
}

TEST_F(PortalPages, GamePageShowsTheServerNameTheFrameExtracts) {
  struct Case {
    std::wstring target;
    const wchar_t* server;
    const wchar_t* account;
  };
  const Case cases[] = {
      {L"/qmr/play_gamecode/svname/%E4%B8%80%E5%8C%BA/?uid=a%3Cb%3E", L"一区", L"a&lt;b&gt;"},
      {L"/qmr/play_gamecode?uid=hero&svname=%E4%BA%8C%E5%8C%BA", L"二区", L"hero"},
  };
  for (const Case& c : cases) {
    const std::wstring url = base_ + c.target;
    GameUrlCatcher catcher;
    EXPECT_TRUE(catcher.OnBeforeNavigate(url).gameUrlCaught);
    EXPECT_EQ(ExtractServerName(catcher.gameUrl()), c.server);
    const Page page = Fetch(url);
    EXPECT_EQ(page.status, 200) << Utf8FromWide(url);
    EXPECT_NE(page.text.find(std::wstring(L"[ ") + c.server + L" ]"), std::wstring::npos) << Utf8FromWide(url);
    EXPECT_NE(page.text.find(c.account), std::wstring::npos) << Utf8FromWide(url);
    EXPECT_EQ(page.text.find(L"<b>"), std::wstring::npos);
  }
}

TEST_F(PortalPages, VersionEndpointStillAnswers) {
  const Page page = Fetch(base_ + L"/getClientVersion.php?p=korvo&g=qmr&v=1.0.1.0");
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.text, L"-1");
}


// ---- The login ----------------------------------------------------------

// Percent-encodes every byte but letters and digits, as a form would.
std::string FormEncode(const std::string& text) {
  std::string out;
  char hex[4];
  for (unsigned char c : text) {
    if (std::isalnum(c)) {
      out += static_cast<char>(c);
    } else {
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

std::vector<std::string> SetCookies(const Answer& res) {
  std::vector<std::string> cookies;
  for (size_t i = 0; i < res.get_header_value_count("Set-Cookie"); ++i) {
    cookies.push_back(res.get_header_value("Set-Cookie", i));
  }
  return cookies;
}

// The value of cookie name among the Set-Cookie headers, with its attributes.
std::string SetCookie(const Answer& res, const std::string& name) {
  for (const std::string& cookie : SetCookies(res)) {
    if (cookie.rfind(name + "=", 0) == 0) return cookie;
  }
  return std::string();
}

struct LoginCall {
  const char* how;
  bool post;
  bool json;
};

const LoginCall kLoginCalls[] = {
    {"script (POST, JSON answer)", true, true},
    {"form without script (POST, redirect)", true, false},
    {"link (GET, redirect)", false, false},
};

std::optional<Answer> CallLogin(const RawClient& client, const LoginCall& call, const std::string& fields,
                          const Headers& headers = {}) {
  const std::string body = fields + (call.json ? "&format=json" : "");
  if (call.post) return client.Post("/qmr/login", headers, body, "application/x-www-form-urlencoded");
  return client.Get("/qmr/login?" + body, headers);
}

// The game URL of a login, from the JSON answer or the redirect.
std::string GameUrlOfLogin(const Answer& res, bool json) {
  if (!json) return res.get_header_value("Location");
  std::smatch match;
  static const std::regex url(R"re("url":"([^"]*)")re");
  return std::regex_search(res.body, match, url) ? match[1].str() : std::string();
}

TEST_F(PortalPages, LoginSetsTheSessionCookieAndLeadsToTheGameUrl) {
  // Characters that encodeURIComponent leaves alone and some it encodes: the
  // page's script and the server must build the same URL.
  const std::string account = "h.e_r-o!~*'()+&=\xC3\xA9";
  const std::string expectedUrl =
      "/qmr/play_gamecode/svname/%E7%83%88%E7%84%B0%E4%B8%80%E5%8C%BA/?uid=h.e_r-o!~*'()%2B%26%3D%C3%A9";
  for (const LoginCall& call : kLoginCalls) {
    SCOPED_TRACE(call.how);
    const RawClient client = Client();
    const auto res = CallLogin(client, call,
                               "account=" + FormEncode(account) + "&password=" + FormEncode("p w") +
                                   "&svname=" + FormEncode("烈焰一区"));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, call.json ? 200 : 303);
    const std::string gameUrl = GameUrlOfLogin(*res, call.json);
    EXPECT_EQ(gameUrl, expectedUrl);

    // The launcher's rules find the game URL and the server name in it.
    GameUrlCatcher catcher;
    EXPECT_TRUE(catcher.OnBeforeNavigate(base_ + WideFromUtf8(gameUrl)).gameUrlCaught);
    EXPECT_EQ(ExtractServerName(catcher.gameUrl()), L"烈焰一区");

    const std::string cookie = SetCookie(*res, "qm_session");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(cookie, match, std::regex("qm_session=([0-9a-f]{32}); Path=/; HttpOnly; .*")))
        << cookie;
    const std::string session = match[1];
    EXPECT_NE(Get("/control/sessions").find(session + " " + account + " 烈焰一区\n"), std::string::npos);

    // The game page reads the cookie and shows whose session it is.
    const std::string game = Get(gameUrl, {{"Cookie", "qm_visits=3; qm_session=" + session}});
    EXPECT_NE(game.find("<code id=\"session-id\">" + session + "</code>"), std::string::npos) << game;
    EXPECT_NE(game.find("h.e_r-o!~*&#39;()+&amp;=\xC3\xA9 · 烈焰一区 · 登录于 "), std::string::npos);
  }
  // Every login is a session of its own.
  std::istringstream sessions(Get("/control/sessions"));
  EXPECT_EQ(std::count(std::istreambuf_iterator<char>(sessions), {}, '\n'), 3);
}

TEST_F(PortalPages, WrongLoginAnswersWithAMessageAndNoSession) {
  struct Case {
    std::string fields;
    std::string message;
  };
  const Case cases[] = {
      {"account=&password=x&svname=" + FormEncode("寒霜二区"), "请输入账号"},
      {"password=x&svname=" + FormEncode("寒霜二区"), "请输入账号"},
      {"account=a%20b&password=x&svname=" + FormEncode("寒霜二区"), "账号不能包含空格"},
      {"account=" + FormEncode("a\xE3\x80\x80" "b") + "&password=x&svname=" + FormEncode("寒霜二区"),
       "账号不能包含空格"},
      {"account=" + std::string(33, 'a') + "&password=x&svname=" + FormEncode("寒霜二区"), "账号不能超过32个字符"},
      {"account=hero&password=&svname=" + FormEncode("寒霜二区"), "请输入密码"},
      {"account=hero&password=x", "请选择服务器"},
      {"account=hero&password=x&svname=" + FormEncode("无名区"), "没有这个服务器，请重新选择"},
      {"account=hero&password=x&svname=" + FormEncode("幽影六区"), "幽影六区正在维护，请选择其他服务器"},
  };
  for (const LoginCall& call : kLoginCalls) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(call.how) + " " + c.fields);
      const RawClient client = Client();
      const auto res = CallLogin(client, call, c.fields);
      ASSERT_TRUE(res);
      EXPECT_EQ(res->status, 400);
      EXPECT_TRUE(SetCookie(*res, "qm_session").empty());
      EXPECT_FALSE(res->has_header("Location"));
      if (call.json) {
        EXPECT_EQ(res->body, "{\"ok\":false,\"message\":\"" + c.message + "\"}");
      } else {
        EXPECT_NE(res->body.find(c.message), std::string::npos) << res->body;
      }
    }
  }
  EXPECT_EQ(Get("/control/sessions"), "");
}

TEST_F(PortalPages, RememberMeKeepsTheAccountAndServerForTheNextLoginPage) {
  const RawClient client = Client();
  const LoginCall& script = kLoginCalls[0];
  const std::string fields = "account=" + FormEncode("勇者<7>") + "&password=x&svname=" + FormEncode("龙腾四区");
  const auto remembered = CallLogin(client, script, fields + "&remember=1");
  ASSERT_TRUE(remembered);
  const std::string account = SetCookie(*remembered, "qm_account");
  EXPECT_EQ(account, "qm_account=%E5%8B%87%E8%80%85%3C7%3E; Path=/; Max-Age=2592000; SameSite=Lax");
  const std::string server = SetCookie(*remembered, "qm_server");
  EXPECT_EQ(server.substr(0, server.find(';')), "qm_server=%E9%BE%99%E8%85%BE%E5%9B%9B%E5%8C%BA");

  // The browser sends both back: the page fills the account in and chooses
  // the server of the last login.
  const std::string cookies = account.substr(0, account.find(';')) + "; " + server.substr(0, server.find(';'));
  const std::string page = Get("/client/gamecode/qmr/skin/as/mac//", {{"Cookie", cookies}});
  EXPECT_NE(page.find("value=\"勇者&lt;7&gt;\""), std::string::npos);
  EXPECT_NE(page.find("value=\"1\" checked>"), std::string::npos);
  EXPECT_NE(page.find("value=\"龙腾四区\" checked>"), std::string::npos);
  EXPECT_EQ(page.find("value=\"烈焰一区\" checked"), std::string::npos);

  // Without "remember me" the account is forgotten.
  const auto forgotten = CallLogin(client, script, fields + "&remember=0");
  ASSERT_TRUE(forgotten);
  EXPECT_EQ(SetCookie(*forgotten, "qm_account"), "qm_account=; Path=/; Max-Age=0; SameSite=Lax");

  // A remembered server under maintenance is not chosen; the first open one is.
  const std::string closed = Get("/client/gamecode/qmr/skin/as/mac//",
                                 {{"Cookie", "qm_server=%E5%B9%BD%E5%BD%B1%E5%85%AD%E5%8C%BA"}});
  EXPECT_NE(closed.find("value=\"烈焰一区\" checked>"), std::string::npos);
  EXPECT_NE(closed.find("value=\"\" placeholder"), std::string::npos);
}

TEST_F(PortalPages, LoginPageOffersChineseServersAndLogsInByScript) {
  const std::string page = Get("/client/gamecode/qmr/skin/as/mac/00-1A-2B-3C-4D-5E/");
  for (const char* name : {"烈焰一区", "寒霜二区", "雷鸣三区", "龙腾四区", "星辰五区"}) {
    EXPECT_NE(page.find(std::string("name=\"svname\" value=\"") + name + "\""), std::string::npos) << name;
  }
  EXPECT_NE(page.find("name=\"svname\" value=\"幽影六区\" disabled>"), std::string::npos);
  for (const char* part : {"id=\"account\"", "type=\"password\"", "id=\"remember\"", "id=\"msg\"", ">进入游戏</button>",
                           "任意账号和密码都能登录", "\"autoLogin\":null", "00-1A-2B-3C-4D-5E"}) {
    EXPECT_NE(page.find(part), std::string::npos) << part;
  }
  EXPECT_NE(Get("/client/gamecode/qmr/skin/as/mac//").find("本机 未知"), std::string::npos);

  const RawClient client = Client();
  const auto script = client.Get("/static/login.js");
  ASSERT_TRUE(script);
  EXPECT_EQ(script->status, 200);
  EXPECT_EQ(script->get_header_value("Content-Type"), "text/javascript; charset=utf-8");
  // It checks the form before anything is sent, and takes the whole window
  // (not a frame) to the game URL in the form the launcher catches.
  for (const char* part : {"preventDefault", "请输入账号", "请输入密码", "window.top.location.href",
                           "config.play + encodeURIComponent(server) + '/?uid=' + encodeURIComponent(name)"}) {
    EXPECT_NE(script->body.find(part), std::string::npos) << part;
  }
  const auto style = client.Get("/static/login.css");
  ASSERT_TRUE(style);
  EXPECT_EQ(style->get_header_value("Content-Type"), "text/css; charset=utf-8");
  for (const char* missing : {"/static/none.js", "/static/../main.cpp", "/static/login.html"}) {
    const auto res = client.Get(missing);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 404) << missing;
  }
  // The portal's address itself leads to the login page.
  const auto root = client.Get("/");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->status, 302);
  EXPECT_EQ(root->get_header_value("Location"), "/client/gamecode/qmr/skin/as/mac//");
}

// ---- Counts the launcher's tests read -------------------------------------

TEST_F(PortalPages, RequestsAreCountedByPathAndKeptInOrder) {
  const std::string login = "/client/gamecode/qmr/skin/as/mac/00-1A-2B-3C-4D-5E/";
  const std::string game = "/qmr/play_gamecode/svname/%E6%98%9F%E8%BE%B0%E4%BA%94%E5%8C%BA/";
  Get(login);
  Get("/getClientVersion.php?p=korvo&g=qmr&v=1.0.1.0");
  Get(game + "?uid=a");
  Get(game + "?uid=b");
  Get("/qmr/play_gamecode?svname=x&uid=c");

  EXPECT_EQ(Count("path=" + FormEncode(login)), 1);
  EXPECT_EQ(Count("path=/getClientVersion.php"), 1);
  EXPECT_EQ(Count("path=" + FormEncode(game)), 2);  // as sent
  EXPECT_EQ(Count("path=" + FormEncode("/qmr/play_gamecode/svname/星辰五区/")), 2);  // decoded
  EXPECT_EQ(Count("prefix=/qmr/play_gamecode"), 3);
  EXPECT_EQ(Count("prefix=/control/"), 0);  // control requests are not counted
  EXPECT_EQ(Count("path=/nothing"), 0);
  EXPECT_NE(Get("/control/counts").find("2 " + game + "\n"), std::string::npos);

  // The order: the version check came after the login page.
  std::istringstream requests(Get("/control/requests"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(requests, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "GET " + login);
  EXPECT_EQ(lines[1], "GET /getClientVersion.php?p=korvo&g=qmr&v=1.0.1.0");

  const RawClient client = Client();
  const auto bad = client.Get("/control/count");
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->status, 400);

  Get("/control/reset");
  EXPECT_EQ(Count("prefix=/"), 0);
  EXPECT_EQ(Get("/control/counts"), "");
  EXPECT_EQ(Get("/control/requests"), "");
}

// ---- The game page and the pages around it ---------------------------------

TEST_F(PortalPages, GamePageHasTheGameLinksFrameAndSession) {
  const std::string target = "/qmr/play_gamecode/svname/%E5%AF%92%E9%9C%9C%E4%BA%8C%E5%8C%BA/?uid=hero";
  const std::string page = Get(target);
  const struct {
    const char* what;
    const char* pattern;
  } parts[] = {
      {"the game's canvas and script", R"(<canvas id="game"[^>]*>[\s\S]*<script src="/static/game.js">)"},
      {"account and server for the script", R"(window.QM_GAME = \{"account":"hero","server":"寒霜二区"\};)"},
      {"a link opening a new window", R"(<a [^>]*href="/qmr/news" target="_blank">)"},
      {"a link whose text is in a span", R"(<a [^>]*href="/qmr/help"><span[^>]*>[^<]*</span><span>游戏帮助</span></a>)"},
      {"a link to the cookie page", R"(<a [^>]*href="/qmr/cookie">)"},
      {"a frame", R"(<iframe [^>]*src="/qmr/frame")"},
      {"no session without its cookie", R"(<span id="session-id" class="none">没有会话 cookie</span>)"},
  };
  for (const auto& part : parts) {
    EXPECT_TRUE(std::regex_search(page, std::regex(part.pattern))) << part.what;
  }
  const std::string stranger = Get(target, {{"Cookie", "qm_session=<forged>"}});
  EXPECT_NE(stranger.find("<code id=\"session-id\">&lt;forged&gt;</code>"), std::string::npos);
  EXPECT_NE(stranger.find("这个会话不是本服务器发出的"), std::string::npos);

  // The frame's page has a link of its own.
  EXPECT_TRUE(std::regex_search(Get("/qmr/frame"), std::regex(R"(<a [^>]*href="/qmr/news#event")")));
  for (const char* path : {"/qmr/news", "/qmr/help", "/static/game.js", "/static/game.css", "/static/page.css"}) {
    const RawClient client = Client();
    const auto res = client.Get(path);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200) << path;
  }
  // The script asks for frames only while something moves.
  const std::string script = Get("/static/game.js");
  EXPECT_NE(script.find("if (worldMoves() || effectsRunning())"), std::string::npos);
  EXPECT_EQ(script.find("setInterval"), std::string::npos);
}

TEST_F(PortalPages, CookiePageSetsAndShowsItsCookie) {
  const RawClient client = Client();
  const auto first = client.Get("/qmr/cookie");
  ASSERT_TRUE(first);
  EXPECT_EQ(SetCookie(*first, "qm_visits"), "qm_visits=1; Path=/; Max-Age=86400; SameSite=Lax");
  EXPECT_NE(first->body.find("这次请求没有带 cookie"), std::string::npos);
  EXPECT_NE(first->body.find("<span id=\"visits\">1</span>"), std::string::npos);

  const auto second = client.Get("/qmr/cookie", {{"Cookie", "qm_visits=1; qm_session=abc; odd=<i>"}});
  ASSERT_TRUE(second);
  EXPECT_EQ(SetCookie(*second, "qm_visits"), "qm_visits=2; Path=/; Max-Age=86400; SameSite=Lax");
  for (const char* shown : {"<li><code>qm_visits=1</code></li>", "<li><code>qm_session=abc</code></li>",
                            "<li><code>odd=&lt;i&gt;</code></li>", "<span id=\"visits\">2</span>"}) {
    EXPECT_NE(second->body.find(shown), std::string::npos) << shown;
  }
  EXPECT_NE(second->body.find("document.cookie"), std::string::npos);
}

// ---- Auto-login -------------------------------------------------------------

class AutoLoginPortal : public PortalPages {
 protected:
  std::vector<std::string> ExtraArgs() const override { return {"--auto-login", "勇者7@星辰五区"}; }
};

TEST_F(AutoLoginPortal, LoginPageCarriesTheLoginUntilControlTurnsItOff) {
  const std::string login = "/client/gamecode/qmr/skin/as/mac//";
  std::smatch match;
  const std::string page = Get(login);
  ASSERT_TRUE(std::regex_search(page, match, std::regex(R"re("autoLogin":\{"account":"勇者7","password":"[^"]+","server":"星辰五区"\})re")))
      << page;
  // The script fills the form and presses the button after the page has loaded.
  const std::string script = Get("/static/login.js");
  EXPECT_NE(script.find("if (config.autoLogin)"), std::string::npos);
  EXPECT_NE(script.find("play.click()"), std::string::npos);

  EXPECT_EQ(Get("/control/auto-login"), "off");
  EXPECT_NE(Get(login).find("\"autoLogin\":null"), std::string::npos);

  const RawClient client = Client();
  const auto closed = client.Get("/control/auto-login?login=" + FormEncode("hero@幽影六区"));
  ASSERT_TRUE(closed);
  EXPECT_EQ(closed->status, 400);
  EXPECT_EQ(closed->body, "幽影六区正在维护，请选择其他服务器");
  EXPECT_NE(Get(login).find("\"autoLogin\":null"), std::string::npos);

  // An account with "@" in it: the server is after the last one.
  EXPECT_EQ(Get("/control/auto-login?login=" + FormEncode("a@b</script>@寒霜二区")), "on");
  EXPECT_NE(Get(login).find(R"("account":"a@b\u003c/script\u003e")"), std::string::npos);
}

// Runs the portal with args until it ends (at most 10 s): exit code and output.
std::pair<int, std::string> RunPortal(const std::vector<std::string>& extra, const std::string& outputFile) {
  std::vector<std::string> args{QM_DEMO_PORTAL};
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return {-1, ""};
  int status = 0;
  for (int i = 0; i < 200 && waitpid(pid, &status, WNOHANG) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (waitpid(pid, &status, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return {-1, "(still running)"};
  }
  std::ifstream in(outputFile);
  std::ostringstream text;
  text << in.rdbuf();
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
}

TEST(DemoPortalCommandLine, RejectsWrongOptionsAndExplainsItself) {
  test::TempDir dir;
  const std::string output = dir.path().string() + "/out";
  const struct {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"--auto-login", "hero"}, "not ACCOUNT@SERVER"},
      {{"--auto-login", "@星辰五区"}, "not ACCOUNT@SERVER"},
      {{"--auto-login", "hero@"}, "not ACCOUNT@SERVER"},
      {{"--auto-login", "hero@幽影六区"}, "正在维护"},
      {{"--auto-login", "hero@无名区"}, "servers: 烈焰一区 寒霜二区 雷鸣三区 龙腾四区 星辰五区)"},
      {{"--port"}, "--port needs a value"},
      {{"--colour", "red"}, "unknown option --colour"},
      {{"--pages", dir.path().string() + "/none"}, "no login.html"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
    const auto [code, text] = RunPortal(c.args, output);
    EXPECT_EQ(code, 2);
    EXPECT_NE(text.find(c.says), std::string::npos) << text;
  }
  const auto [code, text] = RunPortal({"--help"}, output);
  EXPECT_EQ(code, 0);
  EXPECT_NE(text.find("--auto-login A@S"), std::string::npos) << text;
  EXPECT_NE(text.find("/control/count?path=P|prefix=P"), std::string::npos) << text;
}

// ---- Pages from a folder ------------------------------------------------------

class FolderPagesPortal : public PortalPages {
 protected:
  FolderPagesPortal() {
    test::WriteFile(pages_.path() / "login.html", "<p>{{MAC}}</p>");
    test::WriteFile(pages_.path() / "game.html", "<p>{{NOPE}}</p>");
  }
  std::vector<std::string> ExtraArgs() const override { return {"--pages", pages_.path().string()}; }
  test::TempDir pages_;
};

TEST_F(FolderPagesPortal, ServesThePagesOfTheFolderAndReportsAMissingValue) {
  EXPECT_EQ(Get("/client/gamecode/qmr/skin/as/mac/00-1A-2B-3C-4D-5E/"), "<p>00-1A-2B-3C-4D-5E</p>");
  const RawClient client = Client();
  const auto game = client.Get("/qmr/play_gamecode/svname/x/");
  ASSERT_TRUE(game);
  EXPECT_EQ(game->status, 500);
  EXPECT_EQ(game->body, "demo_portal: page game.html has no value for {{NOPE}}");
  const auto news = client.Get("/qmr/news");
  ASSERT_TRUE(news);
  EXPECT_EQ(news->status, 500);
  EXPECT_EQ(news->body, "demo_portal: page news.html missing");
}

}  // namespace
}  // namespace qm
