// The first cache-cleaning pass on Linux with a real game process: the probe
// (qm_frame_website_data_probe) holds a game channel and the real game view,
// whose WebKitGTK engine loaded a page from a local server that set a
// persistent session cookie and sent cacheable content. The frame side here
// is a real window with its own channel and the relay; the cleaning worker
// asks the game window over the channel, the game's engine removes its
// website data other than cookies, the folder pass empties the engine's disk
// cache folder, and the end is reported. The engine keeps running and the
// session cookie is still sent with the next request.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../ui/desktop.h"
#include "base/text.h"
#include "frame/cache_cleaning.h"
#include "frame/game_channel.h"
#include "frame/website_data_relay.h"
#include "platform/linux/owners.h"
#include "support/temp_dir.h"
#include "ui/window_host.h"

extern char** environ;

namespace qm {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;


// The site behind the pages (tests/frame/cache_site.py).
const char kCacheSite[] = QM_CACHE_SITE;

std::string NextToSelf(const std::string& name) {
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  return self.substr(0, self.rfind('/') + 1) + name;
}

// A child process with its standard input and output as pipes; ended with
// SIGTERM and reaped when the object goes.
class Child {
 public:
  explicit Child(std::vector<std::string> args) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) return;
    UniqueFd inRead(in[0]);
    input_.reset(in[1]);
    if (pipe2(out, O_CLOEXEC) != 0) return;
    output_.reset(out[0]);
    UniqueFd outWrite(out[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inRead.get(), 0);
    posix_spawn_file_actions_adddup2(&actions, outWrite.get(), 1);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Child() {
    input_.reset();
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool started() const { return pid_ > 0; }
  bool alive() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
  void Send(const std::string& line) {
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t n = write(input_.get(), text.data(), text.size());
  }
  // Lines the child has written so far (without waiting).
  void Collect(std::vector<std::string>* lines) {
    pollfd p{output_.get(), POLLIN, 0};
    while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
      char c;
      if (read(output_.get(), &c, 1) != 1) return;
      if (c == '\n') {
        lines->push_back(partial_);
        partial_.clear();
      } else {
        partial_ += c;
      }
    }
  }

 private:
  pid_t pid_ = -1;
  UniqueFd input_, output_;
  std::string partial_;
};

std::vector<fs::path> CacheRecords(const fs::path& cache) {
  std::vector<fs::path> records;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(cache, ec); it != fs::recursive_directory_iterator(); it.increment(ec))
    if (it->is_regular_file() && it->path().string().find("Records") != std::string::npos) records.push_back(it->path());
  return records;
}

class PlainWindow : public WindowController {};

class GameProcessOnScreen : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display for the engine";
    const fs::path portFile = dir.path() / "port";
    server = std::make_unique<Child>(
        std::vector<std::string>{"python3", std::string(kCacheSite), portFile.string(), cookieFile.string()});
    ASSERT_TRUE(server->started());
    for (int i = 0; i < 100 && !fs::exists(portFile); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    url = "http://127.0.0.1:" + test::ReadFile(portFile);
    game = std::make_unique<Child>(
        std::vector<std::string>{NextToSelf("qm_frame_website_data_probe"), base.string(), url});
    ASSERT_TRUE(game->started());
  }

  // Pumps this process's events until a line of the game starts with prefix.
  std::string WaitForLine(const std::string& prefix, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < end) {
      game->Collect(&lines);
      for (; seen < lines.size(); ++seen)
        if (lines[seen].rfind(prefix, 0) == 0) return lines[seen++];
      test::PumpEvents(10);
    }
    return {};
  }

  test::TempDir dir;
  fs::path base = dir.path() / "engine";
  fs::path cookieFile = dir.path() / "cookie";
  std::string url;
  std::unique_ptr<Child> server, game;
  std::vector<std::string> lines;
  std::size_t seen = 0;
};

TEST_F(GameProcessOnScreen, TheGamesEngineClearsItsDataAndTheCookieStays) {
  const std::string windowLine = WaitForLine("window ", 60000);
  ASSERT_FALSE(windowLine.empty()) << "the game probe did not listen";
  const WindowId gameWindow = std::stoll(windowLine.substr(7));
  ASSERT_FALSE(WaitForLine("loaded " + url + "/page", 60000).empty()) << "the page did not load";
  const fs::path cache = base / "cache";
  for (int i = 0; i < 100 && CacheRecords(cache).empty(); ++i) test::PumpEvents(100);
  const std::vector<fs::path> records = CacheRecords(cache);
  ASSERT_FALSE(records.empty()) << "the engine cached nothing";

  // What a player's cache folder may also hold.
  test::WriteFile(cache / "desktop.ini", "[.ShellClassInfo]");
  test::WriteFile(cache / "readonly.bin", "r");
  chmod((cache / "readonly.bin").c_str(), 0444);
  fs::create_directories(cache / "sub" / "deeper");
  test::WriteFile(cache / "sub" / "deeper" / "file.bin", "f");

  // The frame: a window of this process with its channel and the relay.
  PlainWindow frameWindow;
  WindowOptions options;
  options.title = L"Relay-Engine-Frame";
  auto frameHost = WindowHost::Create(frameWindow, options);
  ASSERT_TRUE(frameHost);
  std::unique_ptr<WebsiteDataRelay> relay;
  auto frameChannel = GameChannel::Listen(frameHost->Native(), [&](const GameMessage& m) {
    return relay ? relay->HandleMessage(m) : std::nullopt;
  });
  ASSERT_TRUE(frameChannel);
  relay = std::make_unique<WebsiteDataRelay>([&] { return gameWindow; }, frameChannel->Id(),
                                             [&](WindowId target, const GameMessage& message) {
                                               return frameChannel->Post(target, message);
                                             });

  std::mutex mutex;
  std::vector<std::wstring> trace;
  std::atomic<bool> ended{false};
  CacheCleaningJob job;
  job.clearWebsiteData = relay->Step();
  job.cacheFolder = WideFromUtf8(cache.string());
  job.trace = [&](const std::wstring& line) {
    std::lock_guard<std::mutex> lock(mutex);
    trace.push_back(line);
  };
  job.reportEnd = [&](unsigned command) {
    if (command == kCommandCacheCleaned) ended = true;
  };
  const auto started = Clock::now();
  StartCacheCleaningWorker(job);
  for (int i = 0; i < 6000 && !ended; ++i) test::PumpEvents(10);
  ASSERT_TRUE(ended) << "the worker did not end";
  // The answer came from the game, not from the relay's wait running out.
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(kWebsiteDataWaitSeconds));
  EXPECT_FALSE(WaitForLine("got " + std::to_string(WM_GAMEWND_CLEAR_WEBSITE_DATA), 1000).empty());
  EXPECT_EQ(relay->Waiting(), 0u);

  EXPECT_TRUE(fs::is_directory(cache)) << "the folder itself stays";
  for (const fs::path& record : records) EXPECT_FALSE(fs::exists(record)) << record;
  EXPECT_TRUE(fs::exists(cache / "desktop.ini"));
  EXPECT_FALSE(fs::exists(cache / "readonly.bin"));
  EXPECT_FALSE(fs::exists(cache / "sub"));
  ASSERT_TRUE(game->alive()) << "the engine did not survive the cleaning";

  game->Send("check");
  ASSERT_FALSE(WaitForLine("loaded " + url + "/check", 30000).empty()) << "the engine stopped loading pages";
  EXPECT_EQ(test::ReadFile(cookieFile), "session=abc123") << "the session cookie was lost";
  EXPECT_TRUE(game->alive());
  relay.reset();
}

}  // namespace
}  // namespace qm
