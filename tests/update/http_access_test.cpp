// This build's HTTP client (WinInet on Windows, libcurl on Linux) against the
// demo portal as a real server on 127.0.0.1.
#include "update/http_access.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/text.h"
#include "update/test_portal.h"

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <thread>

#include "platform/linux/owners.h"
#endif

namespace qm {
namespace {

class HttpAccess : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(portal_.running()); }

  std::unique_ptr<HttpResponse> Open(const std::string& target) {
    session_ = OpenHttpSession(L"Quellmoor");
    session_->SetConnectTimeout(5000);
    return session_->OpenUrl(test::TestPortal::BaseUrl() + WideFromUtf8(target));
  }

  // Reads the whole body, checking that no read gives more than asked.
  static std::string ReadAll(HttpResponse& response, size_t& largestRead) {
    std::string body;
    char buffer[1024];
    largestRead = 0;
    for (size_t n; (n = response.Read(buffer, sizeof buffer)) > 0;) {
      largestRead = std::max(largestRead, n);
      body.append(buffer, n);
    }
    return body;
  }

  test::TestPortal portal_;
  std::unique_ptr<HttpSession> session_;
};

TEST_F(HttpAccess, BodiesArriveWholeInReadsOfAtMost1024Bytes) {
  struct Case {
    std::string target;
    size_t size;
    std::wstring contentLength;
  } cases[] = {
      {"/test/bytes?n=0", 0, L"0"},
      {"/test/bytes?n=1023", 1023, L"1023"},
      {"/test/bytes?n=1024", 1024, L"1024"},
      {"/test/bytes?n=70001", 70001, L"70001"},
      {"/test/bytes?n=5000&chunked=1", 5000, L""},  // no Content-Length
  };
  for (const Case& c : cases) {
    auto response = Open(c.target);
    ASSERT_TRUE(response) << c.target;
    EXPECT_EQ(response->StatusCode(), 200) << c.target;
    EXPECT_EQ(response->ContentLengthText(), c.contentLength) << c.target;
    size_t largest = 0;
    EXPECT_EQ(ReadAll(*response, largest), test::PatternBytes(c.size)) << c.target;
    EXPECT_LE(largest, 1024u);
    EXPECT_EQ(response->Read(nullptr, 0), 0u);
    response->Close();
  }
}

TEST_F(HttpAccess, ErrorStatusesAreResponses) {
  for (int status : {404, 500, 403}) {
    auto response = Open("/test/status?code=" + std::to_string(status));
    ASSERT_TRUE(response);
    EXPECT_EQ(response->StatusCode(), status);
  }
}

TEST_F(HttpAccess, AddedHeaderDoesNotSendTheRequestAgain) {
  auto response = Open("/test/bytes?n=3000");
  ASSERT_TRUE(response);
  EXPECT_EQ(response->ContentLengthText(), L"3000");
  response->AddRequestHeader(L"Range: bytes=0-3000");
  EXPECT_EQ(response->ContentLengthText(), L"3000");
  size_t largest = 0;
  EXPECT_EQ(ReadAll(*response, largest), test::PatternBytes(3000));
  response->Close();
  const auto requests = portal_.Requests();
  EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET /test/bytes?n=3000"), 1);
}

TEST_F(HttpAccess, ABodyCutShortEndsEarlyOrRaises) {
  auto response = Open("/test/short?n=1500&declared=4000");
  ASSERT_TRUE(response);
  EXPECT_EQ(response->ContentLengthText(), L"4000");
  std::string body;
  bool raised = false;
  try {
    size_t largest = 0;
    body = ReadAll(*response, largest);
  } catch (const UpdateException& error) {
    raised = true;
    EXPECT_FALSE(error.Message().empty());
  }
  EXPECT_TRUE(raised || body.size() < 4000u) << body.size();
}

TEST(HttpAccessFailures, RefusedConnectionRaisesWithAMessage) {
  auto session = OpenHttpSession(L"Quellmoor");
  session->SetConnectTimeout(5000);
  // Nobody listens on the test port while no portal runs.
  try {
    session->OpenUrl(test::TestPortal::BaseUrl() + L"/getClientVersion.php");
    FAIL() << "no exception";
  } catch (const UpdateException& error) {
    EXPECT_FALSE(error.Message().empty());
  }
}

TEST_F(HttpAccess, AServerThatNeverAnswersIsGivenUp) {
  session_ = OpenHttpSession(L"Quellmoor");
  session_->SetReceiveTimeout(2000);
  bool raised = false;
  try {
    auto response = session_->OpenUrl(test::TestPortal::BaseUrl() + L"/test/hang");
    size_t largest = 0;
    if (response) ReadAll(*response, largest);
  } catch (const UpdateException& error) {
    raised = true;
    EXPECT_FALSE(error.Message().empty());
  }
  EXPECT_TRUE(raised);
}

#ifndef _WIN32
// A proxy on 127.0.0.1 that takes CONNECT requests and answers each with a
// fixed reply, then closes the connection without tunnelling anything.
class ConnectProxy {
 public:
  explicit ConnectProxy(std::string reply) : reply_(std::move(reply)) {
    listener_.reset(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (!listener_ || bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_.get(), 8) != 0 ||
        getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ConnectProxy() {
    shutdown(listener_.get(), SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
  }

  int port() const { return port_; }
  const std::string& firstRequestLine() const { return firstLine_; }

 private:
  void Serve() {
    for (;;) {
      UniqueFd client(accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
      if (!client) return;
      std::string request;
      char buffer[1024];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = recv(client.get(), buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      if (firstLine_.empty()) firstLine_ = request.substr(0, request.find("\r\n"));
      send(client.get(), reply_.data(), reply_.size(), MSG_NOSIGNAL);
    }
  }

  std::string reply_;
  UniqueFd listener_;
  int port_ = 0;
  std::string firstLine_;
  std::thread thread_;
};

// The environment variable set for one test and put back afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

// Through a proxy, the proxy's answer to CONNECT is not the server's: a
// tunnel that ends before the server spoke, or a refused tunnel, is a failed
// request, never a response with the proxy's status.
TEST(HttpAccessThroughAProxy, TheProxysAnswerToConnectIsNotTheResponse) {
  const char* replies[] = {
      "HTTP/1.1 200 Connection established\r\n\r\n",
      "HTTP/1.1 200 Connection established\r\nProxy-Agent: test\r\n\r\n",
      "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n",
  };
  for (const char* reply : replies) {
    ConnectProxy proxy(reply);
    ASSERT_NE(proxy.port(), 0);
    const std::string proxyUrl = "http://127.0.0.1:" + std::to_string(proxy.port());
    ScopedEnv https("https_proxy", proxyUrl.c_str()), upper("HTTPS_PROXY", nullptr), all("ALL_PROXY", nullptr),
        noProxy("no_proxy", nullptr), noProxyUpper("NO_PROXY", nullptr);
    auto session = OpenHttpSession(L"Quellmoor");
    session->SetConnectTimeout(5000);
    session->SetReceiveTimeout(5000);
    long status = -1;
    bool raised = false;
    try {
      auto response = session->OpenUrl(L"https://127.0.0.1:9/download/Quellmoor");
      if (response) status = response->StatusCode();
    } catch (const UpdateException& error) {
      raised = true;
      EXPECT_FALSE(error.Message().empty());
    }
    EXPECT_TRUE(raised) << reply << " gave status " << status;
    EXPECT_EQ(proxy.firstRequestLine().rfind("CONNECT 127.0.0.1:9 ", 0), 0u) << proxy.firstRequestLine();
  }
}
#endif

}  // namespace
}  // namespace qm
