// The HTTP client of the Linux build, on libcurl. A response is driven by a
// multi handle so that it can be opened once its headers are in and its body
// pulled afterwards in small reads, as the callers expect.
#include <curl/curl.h>

#include <mutex>
#include <string>
#include <vector>

#include "base/text.h"
#include "update/http_access.h"
#include "update/linux/curl_owners.h"

namespace qm {

namespace {

// Bounds where the caller sets none: a connection must be made within 60
// seconds, and an answer that stalls for 30 seconds is given up.
constexpr long kDefaultConnectTimeoutMs = 60000;
constexpr long kDefaultReceiveTimeoutMs = 30000;

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string Trim(std::string text) {
  const char* space = " \t\r\n";
  const size_t first = text.find_first_not_of(space);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

bool StartsWithIgnoreCase(const std::string& text, const char* prefix) {
  for (size_t i = 0; prefix[i]; ++i) {
    if (i >= text.size()) return false;
    const char a = static_cast<char>(text[i] | 0x20), b = static_cast<char>(prefix[i] | 0x20);
    if (a != b) return false;
  }
  return true;
}

class CurlResponse : public HttpResponse {
 public:
  CurlResponse(const std::string& agent, const std::string& url, long connectMs, long receiveMs) {
    errorText_[0] = '\0';
    multi_.reset(curl_multi_init());
    easy_.reset(curl_easy_init());
    if (!multi_ || !easy_) throw UpdateException(L"cannot start an HTTP transfer");
    CURL* easy = easy_.get();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectMs);
    // A receive time-out: less than one byte per second over the whole span
    // ends the transfer, also while waiting for the status line.
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, (receiveMs + 999) / 1000);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText_);
    // Larger receive pieces: fewer turns of the transfer loop per body.
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 256L * 1024);
    // The body is taken as the bytes the server sent: no Accept-Encoding is
    // offered and a Content-Encoding is not undone (WinInet does neither
    // unless asked to), so the length and digest are those of the bytes.
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, nullptr);
    curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    // Through a proxy, its answer to CONNECT is not the server's response:
    // only the server's status and headers reach the header callback. A
    // tunnel that fails or ends before the server answered is a failure.
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlResponse::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlResponse::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    membership_ = CurlMultiMembership(multi_.get(), easy);
    if (!membership_) throw UpdateException(L"cannot start an HTTP transfer");
    while (!headersDone_ && !finished_) Pump();
    // A transfer that broke after the headers had arrived is an open
    // response whose reads raise the failure.
    if (finished_ && result_ != CURLE_OK && !gotHeaders_) {
      const std::wstring message = Message();
      Close();
      throw UpdateException(message);
    }
  }

  ~CurlResponse() override { Close(); }

  long StatusCode() override { return status_; }

  std::wstring ContentLengthText() override { return WideFromUtf8(contentLength_); }

  bool AddRequestHeader(const std::wstring& line) override {
    const std::string text = Utf8FromWide(line);
    const std::string name = text.substr(0, text.find(':') + 1);
    for (const std::string& header : addedHeaders_) {
      if (StartsWithIgnoreCase(header, name.c_str())) return false;
    }
    addedHeaders_.push_back(text);
    return true;
  }

  size_t Read(char* buffer, size_t size) override {
    size_t copied = 0;
    while (copied < size) {
      if (offset_ == body_.size()) {
        body_.clear();
        offset_ = 0;
        if (finished_ || !easy_) break;
        Pump();
        continue;
      }
      const size_t n = std::min(size - copied, body_.size() - offset_);
      body_.copy(buffer + copied, n, offset_);
      offset_ += n;
      copied += n;
    }
    if (copied == 0 && finished_ && result_ != CURLE_OK) {
      const std::wstring message = Message();
      result_ = CURLE_OK;  // raised once; later reads report the end
      throw UpdateException(message);
    }
    return copied;
  }

  void Close() override {
    // The easy handle leaves the multi handle before either goes.
    membership_.reset();
    easy_.reset();
    multi_.reset();
    finished_ = true;
  }

 private:
  void Pump() {
    int running = 0;
    CURLMcode code = curl_multi_perform(multi_.get(), &running);
    if (code != CURLM_OK) {
      Finish(CURLE_RECV_ERROR);
      return;
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &left)) {
      if (message->msg == CURLMSG_DONE) Finish(message->data.result);
    }
    if (!finished_ && running == 0) Finish(CURLE_OK);
    if (!finished_) curl_multi_poll(multi_.get(), nullptr, 0, 1000, nullptr);
  }

  void Finish(CURLcode result) {
    finished_ = true;
    headersDone_ = true;
    result_ = result;
    long status = 0;
    if (easy_ && curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status) status_ = status;
  }

  std::wstring Message() const {
    std::string text = curl_easy_strerror(result_);
    if (errorText_[0]) text += std::string(": ") + errorText_;
    return WideFromUtf8(text);
  }

  static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* response = static_cast<CurlResponse*>(self);
    const std::string line(data, size * count);
    if (StartsWithIgnoreCase(line, "HTTP/")) {
      // A new response (after an interim one or a redirect) starts afresh.
      response->contentLength_.clear();
      response->hasLocation_ = false;
      const size_t space = line.find(' ');
      response->status_ = space == std::string::npos ? 0 : std::strtol(line.c_str() + space + 1, nullptr, 10);
    } else if (StartsWithIgnoreCase(line, "Content-Length:")) {
      response->contentLength_ = Trim(line.substr(15));
    } else if (StartsWithIgnoreCase(line, "Location:")) {
      response->hasLocation_ = true;
    } else if (Trim(line).empty()) {
      const long status = response->status_;
      const bool interim = status >= 100 && status < 200;
      const bool followed = status >= 300 && status < 400 && response->hasLocation_;
      if (!interim && !followed) response->headersDone_ = response->gotHeaders_ = true;
    }
    return size * count;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    auto* response = static_cast<CurlResponse*>(self);
    response->headersDone_ = response->gotHeaders_ = true;
    response->body_.append(data, size * count);
    return size * count;
  }

  // Declared in this order, so that they go in the reverse one.
  CurlMultiPtr multi_;
  CurlEasyPtr easy_;
  CurlMultiMembership membership_;
  char errorText_[CURL_ERROR_SIZE];
  bool headersDone_ = false;
  bool gotHeaders_ = false;
  bool finished_ = false;
  bool hasLocation_ = false;
  CURLcode result_ = CURLE_OK;
  long status_ = 0;
  std::string contentLength_;
  std::string body_;
  size_t offset_ = 0;
  std::vector<std::string> addedHeaders_;
};

class CurlSession : public HttpSession {
 public:
  explicit CurlSession(std::string agent) : agent_(std::move(agent)) {}

  void SetConnectTimeout(unsigned long milliseconds) override { connectMs_ = static_cast<long>(milliseconds); }
  void SetReceiveTimeout(unsigned long milliseconds) override { receiveMs_ = static_cast<long>(milliseconds); }

  std::unique_ptr<HttpResponse> OpenUrl(const std::wstring& url) override {
    auto response = std::make_unique<CurlResponse>(agent_, Utf8FromWide(url), connectMs_, receiveMs_);
    if (response->StatusCode() == 0) return nullptr;
    return response;
  }

  void Close() override {}

 private:
  std::string agent_;
  long connectMs_ = kDefaultConnectTimeoutMs;
  long receiveMs_ = kDefaultReceiveTimeoutMs;
};

}  // namespace

std::unique_ptr<HttpSession> OpenHttpSession(const std::wstring& agent) {
  InitCurlOnce();
  return std::make_unique<CurlSession>(Utf8FromWide(agent));
}

std::wstring WideFromNetworkText(const std::string& bytes) { return WideFromUtf8(bytes); }

}  // namespace qm
