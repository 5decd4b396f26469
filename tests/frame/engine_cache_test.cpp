// Cache cleaning on Linux while the game's engine runs in another process:
// a WebKitGTK stand-in for the game process has loaded a page from a local
// server, which set a persistent session cookie and sent cacheable content.
// The worker asks that process to clear its website data (as the frame does
// over the game channel) and then empties its disk cache folder. The engine
// keeps running, the cached records are gone, and the session cookie is still
// sent with the next request.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <glib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "frame/cache_cleaning.h"
#include "platform/linux/owners.h"
#include "support/temp_dir.h"

extern char** environ;

namespace qm {
namespace {

namespace fs = std::filesystem;

// The site behind the pages (tests/frame/cache_site.py).
const char kCacheSite[] = QM_CACHE_SITE;

std::string EngineProbe() {
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  return self.substr(0, self.rfind('/') + 1) + "qm_frame_engine_probe";
}

// A child process with its standard input and output as pipes.
class Child {
 public:
  explicit Child(std::vector<std::string> args) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) return;
    const UniqueFd childInput(in[0]);
    input_.reset(in[1]);
    if (pipe2(out, O_CLOEXEC) != 0) return;
    const UniqueFd childOutput(out[1]);
    output_.reset(out[0]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, childInput.get(), 0);
    posix_spawn_file_actions_adddup2(&actions, childOutput.get(), 1);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Child() {
    // The child sees the end of its input first, then the signal.
    input_.reset();
    output_.reset();
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool started() const { return pid_ > 0; }
  bool alive() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
  void Send(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t n = write(input_.get(), text.data(), text.size());
  }
  // The next line the child writes, or "" after timeoutMs.
  std::string ReadLine(int timeoutMs) {
    std::string line;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
      pollfd p{output_.get(), POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      char c;
      if (read(output_.get(), &c, 1) != 1) break;
      if (c == '\n') return line;
      line += c;
    }
    return "";
  }

 private:
  pid_t pid_ = -1;
  UniqueFd input_, output_;
  std::mutex mutex_;
};

std::vector<fs::path> CacheRecords(const fs::path& cache) {
  std::vector<fs::path> records;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(cache, ec); it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_regular_file() && it->path().string().find("Records") != std::string::npos) records.push_back(it->path());
  }
  return records;
}

// The engine probe on a page of a local server, its cache filled by the
// first load.
class CacheCleaningWithTheGameRunning : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display for the engine";
    const fs::path portFile = dir_.path() / "port";
    server_ = std::make_unique<Child>(std::vector<std::string>{"python3", std::string(kCacheSite), portFile.string()});
    ASSERT_TRUE(server_->started());
    for (int i = 0; i < 100 && !fs::exists(portFile); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::string url = "http://127.0.0.1:" + test::ReadFile(portFile);

    const fs::path base = dir_.path() / "engine";
    game_ = std::make_unique<Child>(std::vector<std::string>{EngineProbe(), base.string(), url});
    ASSERT_TRUE(game_->started());
    ASSERT_EQ(game_->ReadLine(60000), "ready");
    cache_ = base / "cache";
    for (int i = 0; i < 100 && CacheRecords(cache_).empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    before_ = CacheRecords(cache_);
    ASSERT_FALSE(before_.empty()) << "the engine cached nothing";
  }

  test::TempDir dir_;
  std::unique_ptr<Child> server_;
  std::unique_ptr<Child> game_;  // ends before the server
  fs::path cache_;
  std::vector<fs::path> before_;
};

TEST_F(CacheCleaningWithTheGameRunning, RecordsGoCookiesStayTheEngineGoesOn) {
  Child& game = *game_;
  const fs::path& cache = cache_;
  const std::vector<fs::path>& before = before_;

  std::mutex mutex;
  std::vector<std::string> steps;
  bool ended = false;
  std::thread answerReader;
  CacheCleaningJob job;
  job.cacheFolder = WideFromUtf8(cache.string());
  job.trace = [](const std::wstring&) {};
  job.clearWebsiteData = [&](std::function<void(bool)> done) {
    // As the frame does over the game channel: the game process clears its
    // own engine's data and answers.
    game.Send("clear");
    answerReader = std::thread([&, done] {
      const std::string answer = game.ReadLine(20000);
      {
        std::lock_guard<std::mutex> lock(mutex);
        steps.push_back(answer);
      }
      done(answer == "cleared");
    });
  };
  job.reportEnd = [&](unsigned command) {
    std::lock_guard<std::mutex> lock(mutex);
    steps.push_back("end " + std::to_string(command));
    ended = true;
  };
  StartCacheCleaningWorker(job);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < end) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (ended) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (answerReader.joinable()) answerReader.join();
  EXPECT_EQ(steps, (std::vector<std::string>{"cleared", "end 10002"}));

  EXPECT_TRUE(fs::is_directory(cache)) << "the folder itself stays";
  for (const fs::path& record : before) EXPECT_FALSE(fs::exists(record)) << record;
  ASSERT_TRUE(game.alive()) << "the engine did not survive the cleaning";

  game.Send("check");
  EXPECT_EQ(game.ReadLine(30000), "cookie:session=abc123") << "the session cookie was lost";
  EXPECT_TRUE(game.alive());
}

TEST_F(CacheCleaningWithTheGameRunning, TheFolderPassAloneUnderARunningEngine) {
  Child& game = *game_;
  const fs::path& cache = cache_;
  const std::vector<fs::path>& before = before_;

  // Only the folder pass: the engine's files vanish under it while it runs.
  int deleted = 0;
  ASSERT_TRUE(DeleteFolderContents(WideFromUtf8(cache.string()), [&](const std::wstring& line) {
    deleted += line.find(L"开始清理") == 0 && line.find(L"/") == std::wstring::npos;
  }));
  EXPECT_GE(deleted, static_cast<int>(before.size()));
  for (const fs::path& record : before) EXPECT_FALSE(fs::exists(record)) << record;

  // The engine goes on: the page loads again (its records are written anew)
  // and the session cookie is still sent.
  game.Send("page");
  EXPECT_EQ(game.ReadLine(30000), "ready");
  game.Send("check");
  EXPECT_EQ(game.ReadLine(30000), "cookie:session=abc123");
  EXPECT_TRUE(game.alive());
}

}  // namespace
}  // namespace qm
