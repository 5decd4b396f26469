// The demo portal started as a real server process on 127.0.0.1 for one test,
// on this build's test port, and its control interface.
#pragma once

#include <string>
#include <vector>

namespace qm::test {

class TestPortal {
 public:
  // filesDir (a native path) is served under /download/; when latestVersion
  // is given, clients older than it are answered with /download/latestFile.
  explicit TestPortal(const std::string& filesDir = "", const std::string& latestVersion = "",
                      const std::string& latestFile = "");
  ~TestPortal();
  TestPortal(const TestPortal&) = delete;
  TestPortal& operator=(const TestPortal&) = delete;

  bool running() const { return running_; }
  static int Port();
  static std::wstring BaseUrl();  // "http://127.0.0.1:<port>"

  // Every version request is answered with this status and body.
  void SetVersionAnswer(int status, const std::string& answer);
  // The requests seen so far ("GET <target>"), control requests left out.
  std::vector<std::string> Requests();

 private:
  std::string Control(const std::string& target);
  bool running_ = false;
  long pid_ = -1;
};

// The pattern the portal's test bodies carry: byte i is i modulo 251.
std::string PatternBytes(size_t size);

// A file of this build given by its native path, as a path the test opens.
std::wstring BuildFilePath(const std::string& nativePath);

}  // namespace qm::test
