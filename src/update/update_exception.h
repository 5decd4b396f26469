// The failure the self-update raises from its HTTP client and its file
// writes, carrying a message text for the update log.
#pragma once

#include <exception>
#include <string>

namespace qm {

class UpdateException : public std::exception {
 public:
  explicit UpdateException(std::wstring message) : message_(std::move(message)) {}
  const std::wstring& Message() const { return message_; }
  const char* what() const noexcept override { return "update failure"; }

 private:
  std::wstring message_;
};

}  // namespace qm
