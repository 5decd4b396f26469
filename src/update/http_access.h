// The HTTP client the self-update talks to its servers through. One session
// opens responses; a response is open once its status line and headers have
// arrived, and its body is then read in small pieces. Transport failures
// (name resolution, connection, transfer) are raised as UpdateException.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "update/update_exception.h"

namespace qm {

class HttpResponse {
 public:
  virtual ~HttpResponse() = default;

  // The numeric status of the response.
  virtual long StatusCode() = 0;

  // The Content-Length header as the server sent it; empty when absent.
  virtual std::wstring ContentLengthText() = 0;

  // Adds a header line ("Name: value") to this request unless a header of
  // that name is already there. The response already received stays as it
  // is: the request is not sent again.
  virtual bool AddRequestHeader(const std::wstring& line) = 0;

  // Reads the next body bytes into buffer: at most size, fewer only at the
  // end of the body, 0 once the body is over. Raises on a broken transfer.
  virtual size_t Read(char* buffer, size_t size) = 0;

  // Ends the response; reading afterwards gives nothing.
  virtual void Close() = 0;
};

class HttpSession {
 public:
  virtual ~HttpSession() = default;

  // Bounds the time to establish a connection.
  virtual void SetConnectTimeout(unsigned long milliseconds) = 0;

  // Bounds the time to wait for the next bytes of an answer once connected.
  // Every session has such a bound by default (30 seconds).
  virtual void SetReceiveTimeout(unsigned long milliseconds) = 0;

  // Sends a GET of url and returns the response once its status and headers
  // have arrived; null when there is no response. Raises on transport failure.
  virtual std::unique_ptr<HttpResponse> OpenUrl(const std::wstring& url) = 0;

  // Ends the session.
  virtual void Close() = 0;
};

// A session of this platform's HTTP client, with the system's proxy settings.
std::unique_ptr<HttpSession> OpenHttpSession(const std::wstring& agent);

// Response bytes as text, read in this platform's multi-byte code page (the
// thread's ANSI code page on Windows, UTF-8 elsewhere).
std::wstring WideFromNetworkText(const std::string& bytes);

}  // namespace qm
