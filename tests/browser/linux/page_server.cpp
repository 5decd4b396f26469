#include "page_server.h"

#include <chrono>

namespace qm::test {
namespace {

constexpr char kHtml[] = "text/html; charset=utf-8";

// Big enough targets for real clicks, at fixed places.
constexpr char kPage[] = R"(<!doctype html>
<html><head><style>
body { margin: 0; font: 20px sans-serif; }
a, p, span { display: block; width: 200px; height: 40px; margin: 0 0 10px 0; }
iframe { width: 300px; height: 120px; border: 0; }
</style></head><body>
<a id="plain" href="/target/plain">plain link</a>
<a id="spanlink" href="/target/span"><span id="inner">inside a span</span></a>
<p id="outside">outside any link</p>
<a id="blank" href="/target/blank" target="_blank">new window</a>
<iframe id="frame" src="/frame"></iframe>
</body></html>)";

constexpr char kFrame[] = R"(<!doctype html>
<html><head><style>body { margin: 0; } a { display: block; width: 200px; height: 40px; }</style></head>
<body><a id="framelink" href="/target/inframe">link in a frame</a></body></html>)";

constexpr char kCancelPage[] = R"(<!doctype html>
<html><head><style>body { margin: 0; } a { display: block; width: 200px; height: 40px; }</style></head><body>
<a id="game" href="/qmr/play_gamecode/svname/%E9%BE%99/?uid=link">play</a>
<a id="gameblank" href="/qmr/play_gamecode/svname/blank/?uid=blank" target="_blank">play in a new window</a>
</body></html>)";

constexpr char kColour[] = R"(<!doctype html>
<html><body style="margin:0; background:#00ff00; width:100vw; height:100vh"></body></html>)";

constexpr char kCachedPage[] = R"(<!doctype html>
<html><head><script src="/cached.js"></script></head><body>cached</body></html>)";

constexpr char kStorage[] = R"(<!doctype html>
<html><body><script>localStorage.setItem('qm', 'stored');</script>storage</body></html>)";

}  // namespace

PageServer::PageServer() {
  server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
    std::string target = request.path;
    if (!request.params.empty()) {
      const auto question = request.target.find('?');
      if (question != std::string::npos) target += request.target.substr(question);
    }
    std::lock_guard lock(mutex_);
    seen_.push_back({target, request.get_header_value("Cookie")});
    return httplib::Server::HandlerResponse::Unhandled;
  });
  auto page = [this](const char* path, const char* body) {
    server_.Get(path, [body](const httplib::Request&, httplib::Response& response) {
      response.set_header("Cache-Control", "no-store");
      response.set_content(body, kHtml);
    });
  };
  page("/page", kPage);
  page("/frame", kFrame);
  page("/cancel-page", kCancelPage);
  page("/colour", kColour);
  page("/cached-page", kCachedPage);
  page("/storage", kStorage);
  server_.Get("/cookie/set", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Set-Cookie", "qm_session=kept; Max-Age=3600; Path=/");
    response.set_header("Cache-Control", "no-store");
    response.set_content("<html><body>cookie set</body></html>", kHtml);
  });
  server_.Get("/cached.js", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Cache-Control", "public, max-age=3600");
    response.set_content("var cached = '" + std::string(32 * 1024, 'x') + "';", "text/javascript");
  });
  server_.Get("/slow", [](const httplib::Request&, httplib::Response& response) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    response.set_content("<html><body>slow</body></html>", kHtml);
  });
  server_.Get(R"(/.*)", [](const httplib::Request& request, httplib::Response& response) {
    response.set_header("Cache-Control", "no-store");
    response.set_content("<html><body>" + request.path + "</body></html>", kHtml);
  });
  // The engine keeps its connections open; stopping waits for each one's
  // keep-alive time to run out (5 s by default), which every test would pay
  // at its end.
  server_.set_keep_alive_timeout(1);
  port_ = server_.bind_to_any_port("127.0.0.1");
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

PageServer::~PageServer() {
  server_.stop();
  thread_.join();
}

std::string PageServer::Url(const std::string& target) const {
  return "http://127.0.0.1:" + std::to_string(port_) + target;
}

std::vector<SeenRequest> PageServer::Requests() const {
  std::lock_guard lock(mutex_);
  return seen_;
}

int PageServer::Count(const std::string& text) const {
  std::lock_guard lock(mutex_);
  int count = 0;
  for (const auto& request : seen_)
    if (request.target.find(text) != std::string::npos) ++count;
  return count;
}

}  // namespace qm::test
