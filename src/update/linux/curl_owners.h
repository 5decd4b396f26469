// Owners of libcurl's handles. A transfer's easy handle is added to its multi
// handle while it runs; the membership is an owner of its own, so that the
// easy handle always leaves the multi handle before either is cleaned up.
#pragma once

#include <curl/curl.h>

#include <memory>

namespace qm {

namespace owners {
struct CurlEasyCleanup {
  void operator()(CURL* easy) const noexcept { curl_easy_cleanup(easy); }
};
struct CurlMultiCleanup {
  void operator()(CURLM* multi) const noexcept { curl_multi_cleanup(multi); }
};
}  // namespace owners

using CurlEasyPtr = std::unique_ptr<CURL, owners::CurlEasyCleanup>;
using CurlMultiPtr = std::unique_ptr<CURLM, owners::CurlMultiCleanup>;

// An easy handle added to a multi handle, removed again when this goes. Both
// handles must outlive it (declare it after them).
class CurlMultiMembership {
 public:
  CurlMultiMembership() = default;
  CurlMultiMembership(CURLM* multi, CURL* easy) : multi_(multi), easy_(easy) {
    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) multi_ = nullptr, easy_ = nullptr;
  }
  ~CurlMultiMembership() { reset(); }
  CurlMultiMembership(const CurlMultiMembership&) = delete;
  CurlMultiMembership& operator=(const CurlMultiMembership&) = delete;
  CurlMultiMembership& operator=(CurlMultiMembership&& other) noexcept {
    if (this != &other) {
      reset();
      multi_ = other.multi_, easy_ = other.easy_;
      other.multi_ = nullptr, other.easy_ = nullptr;
    }
    return *this;
  }

  explicit operator bool() const { return multi_ != nullptr; }
  void reset() {
    if (multi_ && easy_) curl_multi_remove_handle(multi_, easy_);
    multi_ = nullptr, easy_ = nullptr;
  }

 private:
  CURLM* multi_ = nullptr;
  CURL* easy_ = nullptr;
};

}  // namespace qm
