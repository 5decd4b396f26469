// A little web site on loopback for the web view tests: the pages below, each
// request recorded (path with query, and the Cookie header it carried).
//
//   /page            links (plain, a span inside a link, target=_blank), a
//                    paragraph outside any link, an iframe of /frame
//   /frame           a link inside the frame
//   /cancel-page     links and a new-window link to a play_gamecode URL
//   /colour          the whole page pure green
//   /cookie/set      sets the cookie qm_session=kept for an hour
//   /cached-page     uses /cached.js, which may be cached for an hour
//   /storage         writes local storage
//   /slow            answers after one and a half seconds
//   anything else    a small page naming its path
#pragma once

#include <httplib.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qm::test {

struct SeenRequest {
  std::string target;  // path and query
  std::string cookie;  // the Cookie header, empty when none
};

class PageServer {
 public:
  PageServer();
  ~PageServer();
  PageServer(const PageServer&) = delete;
  PageServer& operator=(const PageServer&) = delete;

  std::string Url(const std::string& target) const;
  std::vector<SeenRequest> Requests() const;
  // How many requests had a target containing text.
  int Count(const std::string& text) const;

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::vector<SeenRequest> seen_;
};

}  // namespace qm::test
