// The HTTP client of the Windows build, on WinInet. A URL handle is the open
// response: InternetOpenUrlW returns once the status and headers are in.
#include <windows.h>
#include <wininet.h>

#include <string>

#include "update/http_access.h"

namespace qm {

namespace {

std::wstring InternetMessage(DWORD code) {
  wchar_t* text = nullptr;
  DWORD length = 0;
  if (code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST) {
    length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                            GetModuleHandleW(L"wininet.dll"), code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  } else {
    length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                            nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  }
  std::wstring message = length ? std::wstring(text, length) : std::wstring();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  const std::wstring number = L"WinInet error " + std::to_wstring(code);
  return message.empty() ? number : number + L": " + message;
}

[[noreturn]] void RaiseLastError() { throw UpdateException(InternetMessage(GetLastError())); }

class WinInetResponse : public HttpResponse {
 public:
  explicit WinInetResponse(HINTERNET request) : request_(request) {}
  ~WinInetResponse() override { Close(); }

  long StatusCode() override {
    DWORD status = 0, size = sizeof status;
    if (!request_ ||
        !HttpQueryInfoW(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
      return 0;
    }
    return static_cast<long>(status);
  }

  std::wstring ContentLengthText() override {
    wchar_t text[64];
    DWORD size = sizeof text;
    if (!request_ || !HttpQueryInfoW(request_, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return L"";
    return std::wstring(text, size / sizeof(wchar_t));
  }

  bool AddRequestHeader(const std::wstring& line) override {
    return request_ && HttpAddRequestHeadersW(request_, line.c_str(), static_cast<DWORD>(-1),
                                              HTTP_ADDREQ_FLAG_ADD_IF_NEW) != FALSE;
  }

  size_t Read(char* buffer, size_t size) override {
    if (!request_) return 0;
    DWORD read = 0;
    if (!InternetReadFile(request_, buffer, static_cast<DWORD>(size), &read)) RaiseLastError();
    return read;
  }

  void Close() override {
    if (request_) InternetCloseHandle(request_);
    request_ = nullptr;
  }

 private:
  HINTERNET request_;
};

class WinInetSession : public HttpSession {
 public:
  explicit WinInetSession(const std::wstring& agent) {
    session_ = InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session_) RaiseLastError();
  }
  ~WinInetSession() override { Close(); }

  void SetConnectTimeout(unsigned long milliseconds) override { SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, milliseconds); }
  void SetReceiveTimeout(unsigned long milliseconds) override { SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, milliseconds); }

  std::unique_ptr<HttpResponse> OpenUrl(const std::wstring& url) override {
    // Always from the server: a cached version answer could hide an update,
    // and a downloaded executable has no place in the URL cache.
    const DWORD flags = INTERNET_FLAG_TRANSFER_ASCII | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
    HINTERNET request = InternetOpenUrlW(session_, url.c_str(), nullptr, 0, flags, 1);
    if (!request) RaiseLastError();
    return std::make_unique<WinInetResponse>(request);
  }

  void Close() override {
    if (session_) InternetCloseHandle(session_);
    session_ = nullptr;
  }

 private:
  void SetOption(DWORD option, unsigned long milliseconds) {
    DWORD value = milliseconds;
    InternetSetOptionW(session_, option, &value, sizeof value);
  }

  HINTERNET session_ = nullptr;
};

}  // namespace

std::unique_ptr<HttpSession> OpenHttpSession(const std::wstring& agent) {
  return std::make_unique<WinInetSession>(agent);
}

std::wstring WideFromNetworkText(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
  return text;
}

}  // namespace qm
