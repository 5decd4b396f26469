#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <vector>

#include "base/text.h"
#include "platform/linux/owners.h"
#include "support/temp_dir.h"

extern char** environ;

namespace qm::test {

ChildResult RunChild(const std::wstring& program, const std::wstring& commandLine, int timeoutSeconds) {
  ChildResult result;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return result;
  const UniqueFd readEnd(pipeFds[0]);
  UniqueFd writeEnd(pipeFds[1]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 2);
  const std::string path = Utf8FromWide(program);
  const std::string line = Utf8FromWide(commandLine);
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  if (!commandLine.empty()) argv.push_back(const_cast<char*>(line.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  writeEnd.reset();  // the child holds its own copy; the end of its output is seen here
  if (rc != 0) return result;
  // Reads standard error until the child ends; successors it started may keep
  // the pipe open, so the child's own end decides, not the pipe's.
  fcntl(readEnd.get(), F_SETFL, O_NONBLOCK);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  char buffer[4096];
  auto drain = [&] {
    ssize_t n;
    while ((n = read(readEnd.get(), buffer, sizeof buffer)) > 0) result.errorOutput.append(buffer, static_cast<size_t>(n));
  };
  int status = 0;
  for (;;) {
    pollfd fd{readEnd.get(), POLLIN, 0};
    poll(&fd, 1, 20);
    drain();
    if (waitpid(pid, &status, WNOHANG) == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
  }
  drain();
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace qm::test
