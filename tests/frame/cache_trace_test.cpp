// The cache-cleaning trace as another program sees it: the worker runs in a
// child process with its trace going to the real debugger output channel
// (Linux: standard error; Windows: OutputDebugStringW, read the way a
// debug-output viewer reads it without being the child's debugger).
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <filesystem>
#include <thread>

#include "base/text.h"
#include "frame/cache_cleaning.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/owners.h"
#endif

namespace qm {
namespace {

namespace fs = std::filesystem;

std::wstring ProbePath() {
#ifdef _WIN32
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring path(self, n);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"qm_frame_cache_probe.exe";
#else
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  return WideFromUtf8(self.substr(0, self.rfind('/') + 1) + "qm_frame_cache_probe");
#endif
}

#ifdef _WIN32
// The debug-output buffer protocol: a viewer owns DBWIN_BUFFER (the writer's
// process id, then the text) and two events; a writer waits for "ready",
// fills the buffer and signals "data".
class DebugOutputListener {
 public:
  DebugOutputListener() {
    ready_.reset(CreateEventW(nullptr, FALSE, TRUE, L"DBWIN_BUFFER_READY"));
    data_.reset(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY"));
    mapping_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER"));
    if (mapping_) view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 4096));
    if (view_) reader_ = std::thread([this] { Read(); });
  }
  ~DebugOutputListener() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
  }
  bool listening() const { return view_.valid(); }
  std::string text() {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
  }

 private:
  void Read() {
    while (!stop_) {
      if (WaitForSingleObject(data_.get(), 50) != WAIT_OBJECT_0) continue;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        const char* text = static_cast<const char*>(view_.get()) + sizeof(DWORD);
        text_ += std::string(text, strnlen(text, 4096 - sizeof(DWORD)));
      }
      SetEvent(ready_.get());
    }
  }
  UniqueHandle ready_, data_, mapping_;
  UniqueMappedView view_;  // goes before the mapping
  std::thread reader_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::string text_;
};

// The channel carries the text in the system's ANSI code page.
std::string AnsiOf(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}
#endif

TEST(CacheCleaningTrace, TheWorkerTracesOnTheDebuggerOutputChannel) {
  test::TempDir dir;
  const fs::path root = dir.path() / "cache";
  test::WriteFile(root / "page.html", "<html>");
  test::WriteFile(root / "desktop.ini", "keep");
  test::WriteFile(root / "Sub" / "a.js", "js");
  const std::wstring folder = WidePath(root);

#ifdef _WIN32
  DebugOutputListener listener;
  ASSERT_TRUE(listener.listening());
  const test::ChildResult child = test::RunChild(ProbePath(), L"probe \"" + folder + L"\"");
  ASSERT_EQ(child.exitCode, 0);
  Sleep(300);
  const std::string output = listener.text();
  auto expect = [&](const std::wstring& line) { return AnsiOf(line); };
#else
  const test::ChildResult child = test::RunChild(ProbePath(), folder);
  ASSERT_EQ(child.exitCode, 0) << child.errorOutput;
  const std::string output = child.errorOutput;
  // Standard error carries each line as UTF-8 ending in a plain line feed.
  auto expect = [&](const std::wstring& line) { return Utf8FromWide(line.substr(0, line.size() - 2)) + "\n"; };
#endif
  const std::wstring sub = folder + (fs::path::preferred_separator == L'\\' ? L"\\" : L"/") + L"Sub";
  auto at = [&](const std::wstring& line) {
    const std::size_t found = output.find(expect(line));
    EXPECT_NE(found, std::string::npos) << "missing: " << Utf8FromWide(line) << "\nin:\n" << output;
    return found;
  };
  const std::size_t located = at(cache_trace::FolderLocated(folder));
  const std::size_t begins = at(cache_trace::FolderCleaningBegins(folder));
  const std::size_t subBegins = at(cache_trace::FolderCleaningBegins(sub));
  const std::size_t page = at(cache_trace::FileDeleted(L"page.html"));
  const std::size_t script = at(cache_trace::FileDeleted(L"a.js"));
  EXPECT_LT(located, begins);
  EXPECT_LT(begins, page);
  EXPECT_LT(begins, subBegins);
  EXPECT_LT(subBegins, script);
  EXPECT_TRUE(fs::exists(root / "desktop.ini"));
  EXPECT_FALSE(fs::exists(root / "Sub"));
}

}  // namespace
}  // namespace qm
