// Drives the virtual X display from a test, on both builds: the commands
// (xdotool, ImageMagick) run on the X side even when the test itself runs
// under Wine, and programs under test are started without waiting.
#pragma once

#include <optional>
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

// Handles the window system's events of this process that have arrived,
// without waiting for more.
void PumpPendingEvents();

// Handles the window system's events of this process for ms milliseconds
// (for tests that drive windows of their own process).
void PumpEvents(int ms);

// The build's screenshots folder (X-side path), made on first use.
std::string ShotDir();

// A window or an area on the screen, in screen pixels.
struct Placed {
  std::string id;  // the X window id, empty for a mere area
  int x = 0, y = 0, width = 0, height = 0;
};

// The X window whose name is exactly title, once it is mapped.
std::optional<Placed> FindWindowByName(const std::string& title, int timeoutMs = 15000);

// Pixels read back from the screen, 8-bit RGB.
struct Picture {
  int width = 0, height = 0;
  std::string rgb;
  struct Px {
    int r, g, b;
  };
  Px At(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return {static_cast<unsigned char>(rgb[i]), static_cast<unsigned char>(rgb[i + 1]),
            static_cast<unsigned char>(rgb[i + 2])};
  }
  bool valid() const { return width > 0 && rgb.size() == static_cast<size_t>(width) * height * 3; }
};

// Asks the X window to close as a window manager does for Alt+F4 or a
// taskbar's Close (a WM_DELETE_WINDOW client message).
void RequestWindowClose(const std::string& xWindowId);

// Screenshot of the area, kept as <name>.png in the screenshots folder,
// taken after settleMs milliseconds of handling this process's events.
Picture Capture(const Placed& area, const std::string& name, int settleMs = 300);

}  // namespace qm::test
