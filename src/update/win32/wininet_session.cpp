// The HTTP client of the Windows build, on WinInet. A request handle is the open
// response: HttpSendRequestW returns once the status and headers are in.
#include <windows.h>
#include <wininet.h>

#include <string>
#include <utility>

#include "platform/error_text.h"
#include "platform/win32/owners.h"
#include "update/http_access.h"

namespace qm {

namespace {

std::wstring InternetMessage(DWORD code) {
  const std::wstring message = SystemErrorText(code);
  const std::wstring number = L"WinInet error " + std::to_wstring(code);
  return message.empty() ? number : number + L": " + message;
}

[[noreturn]] void RaiseLastError() { throw UpdateException(InternetMessage(GetLastError())); }

class WinInetResponse : public HttpResponse {
 public:
  WinInetResponse(UniqueHInternet connection, UniqueHInternet request)
      : connection_(std::move(connection)), request_(std::move(request)) {}

  long StatusCode() override {
    DWORD status = 0, size = sizeof status;
    if (!request_ ||
        !HttpQueryInfoW(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
      return 0;
    }
    return static_cast<long>(status);
  }

  std::wstring ContentLengthText() override {
    wchar_t text[64];
    DWORD size = sizeof text;
    if (!request_ || !HttpQueryInfoW(request_.get(), HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return L"";
    return std::wstring(text, size / sizeof(wchar_t));
  }

  bool AddRequestHeader(const std::wstring& line) override {
    return request_ && HttpAddRequestHeadersW(request_.get(), line.c_str(), static_cast<DWORD>(-1),
                                              HTTP_ADDREQ_FLAG_ADD_IF_NEW) != FALSE;
  }

  size_t Read(char* buffer, size_t size) override {
    if (!request_) return 0;
    DWORD read = 0;
    if (!InternetReadFile(request_.get(), buffer, static_cast<DWORD>(size), &read)) RaiseLastError();
    return read;
  }

  // The request goes before the connection it was opened on.
  void Close() override {
    request_.reset();
    connection_.reset();
  }

 private:
  UniqueHInternet connection_;
  UniqueHInternet request_;
};

class WinInetSession : public HttpSession {
 public:
  explicit WinInetSession(const std::wstring& agent) {
    session_.reset(InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session_) RaiseLastError();
  }

  // Kept on the session and put on each request; without a call, WinInet's
  // own defaults apply.
  void SetConnectTimeout(unsigned long milliseconds) override {
    connectMs_ = milliseconds;
    SetOption(session_.get(), INTERNET_OPTION_CONNECT_TIMEOUT, milliseconds);
  }
  void SetReceiveTimeout(unsigned long milliseconds) override {
    receiveMs_ = milliseconds;
    SetOption(session_.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, milliseconds);
  }

  std::unique_ptr<HttpResponse> OpenUrl(const std::wstring& url) override {
    // The request is built from its parts rather than with InternetOpenUrlW,
    // so that the time-outs can be put on the request handle itself, where
    // every WinInet implementation applies them.
    wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = INTERNET_MAX_HOST_NAME_LENGTH + 1;
    parts.dwUrlPathLength = 1;   // pointers into url
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) RaiseLastError();
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
      throw UpdateException(InternetMessage(ERROR_INTERNET_UNRECOGNIZED_SCHEME));
    }
    std::wstring object(parts.lpszUrlPath ? std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) : L"");
    if (parts.lpszExtraInfo) object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (object.empty()) object = L"/";
    UniqueHInternet connection(
        InternetConnectW(session_.get(), host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection) RaiseLastError();
    // Always from the server: a cached version answer could hide an update,
    // and a downloaded executable has no place in the URL cache.
    DWORD flags = INTERNET_FLAG_TRANSFER_ASCII | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    UniqueHInternet request(
        HttpOpenRequestW(connection.get(), L"GET", object.c_str(), nullptr, nullptr, nullptr, flags, 1));
    if (!request) RaiseLastError();
    if (connectMs_) SetOption(request.get(), INTERNET_OPTION_CONNECT_TIMEOUT, connectMs_);
    if (receiveMs_) SetOption(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, receiveMs_);
    if (!HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) {
      // The error is taken before the owners close the handles.
      const DWORD error = GetLastError();
      request.reset();
      throw UpdateException(InternetMessage(error));
    }
    return std::make_unique<WinInetResponse>(std::move(connection), std::move(request));
  }

  void Close() override { session_.reset(); }

 private:
  static void SetOption(HINTERNET handle, DWORD option, unsigned long milliseconds) {
    DWORD value = milliseconds;
    InternetSetOptionW(handle, option, &value, sizeof value);
  }

  UniqueHInternet session_;
  unsigned long connectMs_ = 0;
  unsigned long receiveMs_ = 0;
};

}  // namespace

std::unique_ptr<HttpSession> OpenHttpSession(const std::wstring& agent) {
  return std::make_unique<WinInetSession>(agent);
}

std::wstring WideFromNetworkText(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  // A UTF-8 byte-order mark says how the text is written; it is read as
  // UTF-8 then, the mark included, so that the reader can see and drop it.
  const bool utf8 = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
  const UINT codePage = utf8 ? CP_UTF8 : CP_THREAD_ACP;
  const int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
  return text;
}

}  // namespace qm
