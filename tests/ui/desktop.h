// Drives the virtual X display from a test, on both builds: the commands
// (xdotool, ImageMagick) run on the X side even when the test itself runs
// under Wine, and programs under test are started without waiting.
#pragma once

#include <string>
#include <vector>

namespace qm::test {

// Runs a /bin/sh command line and returns what it printed on stdout.
std::string Shell(const std::string& command);

// Reads a file named by its X-side (Unix) path.
std::string ReadHostFile(const std::string& hostPath);

// A program started in the background.
class BackgroundChild {
 public:
  BackgroundChild(const std::wstring& program, const std::vector<std::wstring>& args);
  ~BackgroundChild();
  BackgroundChild(const BackgroundChild&) = delete;
  BackgroundChild& operator=(const BackgroundChild&) = delete;
  bool started() const;
  // The exit code, or -1 when it did not end within the time.
  int Wait(int timeoutMs);

 private:
  struct State;
  State* state_;
};

void SleepMs(int ms);

}  // namespace qm::test
