// A child process started to be looked after: its id is known before it can
// act, its end is reported, and nothing of it is left in the process table.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/process.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/owners.h"
#else
#include <glib.h>
#include <signal.h>

#include <filesystem>
#endif

namespace qm {
namespace {

// Runs this thread's share of the event loop (Linux: GLib delivers the end
// there) until done holds or the time is up.
template <typename Done>
bool WaitFor(Done done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done() && std::chrono::steady_clock::now() < end) {
#ifndef _WIN32
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
#endif
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

// Whether the system still keeps an entry for the process (a zombie counts).
bool InProcessTable(long pid) {
#ifdef _WIN32
  const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid)));
  return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
#else
  return std::filesystem::exists("/proc/" + std::to_string(pid));
#endif
}

// A program that ends at once.
std::wstring QuickProgram() {
#ifdef _WIN32
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  return std::wstring(system) + L"\\cmd.exe";
#else
  return L"/bin/true";
#endif
}
std::wstring QuickLine() {
#ifdef _WIN32
  return L"cmd.exe /c exit 3";
#else
  return L"";
#endif
}

TEST(ChildProcess, ItsIdComesFirstItsEndIsReportedAndNothingOfItStays) {
  std::atomic<long> started{0};
  std::atomic<int> ended{0};
  ChildProcessWatch watch;
  watch.started = [&](long pid) { started = pid; };
  watch.ended = [&] { ++ended; };
  ASSERT_TRUE(StartChildProcess(QuickProgram(), QuickLine(), std::move(watch)));
  // Known by the time the start returns.
  const long pid = started;
  EXPECT_GT(pid, 0);
  ASSERT_TRUE(WaitFor([&] { return ended > 0; }, 20000)) << "the end was never reported";
  EXPECT_FALSE(InProcessTable(pid)) << "the ended child was left in the process table";
  WaitFor([] { return false; }, 200);
  EXPECT_EQ(ended, 1);
}

#ifndef _WIN32
TEST(ChildProcess, AChildThatIsKilledIsReapedToo) {
  std::atomic<long> started{0};
  std::atomic<bool> ended{false};
  ChildProcessWatch watch;
  watch.started = [&](long pid) { started = pid; };
  watch.ended = [&] { ended = true; };
  ASSERT_TRUE(StartChildProcess(L"/bin/sleep", L"30", std::move(watch)));
  ASSERT_GT(started.load(), 0);
  WaitFor([] { return false; }, 100);
  EXPECT_TRUE(InProcessTable(started));
  kill(static_cast<pid_t>(started.load()), SIGKILL);
  ASSERT_TRUE(WaitFor([&] { return ended.load(); }, 10000));
  EXPECT_FALSE(InProcessTable(started));
}
#endif

TEST(ChildProcess, AProgramThatCannotStartReportsNothing) {
  bool called = false;
  ChildProcessWatch watch;
  watch.started = [&](long) { called = true; };
  watch.ended = [&] { called = true; };
#ifdef _WIN32
  const std::wstring missing = L"C:\\no\\such\\program.exe";
#else
  const std::wstring missing = L"/no/such/program";
#endif
  EXPECT_FALSE(StartChildProcess(missing, L"", std::move(watch)));
  WaitFor([] { return false; }, 200);
  EXPECT_FALSE(called);
}

}  // namespace
}  // namespace qm
