// The hand-over run: a freshly downloaded launcher, started with "-d " and the
// installed executable's path, copies itself over that path and starts the
// installed launcher.
#include "update/hand_over.h"

#include <chrono>
#include <thread>

#include "platform/file_facts.h"
#include "platform/paths.h"
#include "base/text.h"
#include "platform/update_log.h"
#include "platform/files.h"
#include "platform/process.h"
#include "update/update_exception.h"
#include "update/update_files.h"
#include "update/update_rules.h"

namespace qm {

namespace {

// The launcher that started this run ends right after starting it, but may
// still hold its executable for a moment; a copy refused for that reason is
// tried again for a few seconds.
constexpr auto kInUseRetryFor = std::chrono::seconds(5);
constexpr auto kInUseRetryEvery = std::chrono::milliseconds(100);

bool CopyOverInstalled(const std::wstring& source, const std::wstring& target, long& errorCode) {
  const auto deadline = std::chrono::steady_clock::now() + kInUseRetryFor;
  for (;;) {
    if (ReplaceWithCopy(source, target)) return true;
    errorCode = LastErrorCode();
    if (!IsFileInUseError(errorCode) || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kInUseRetryEvery);
  }
}

}  // namespace

void RunUpdateHandOver(const std::wstring& installPath) {
  try {
    const std::wstring self = QuerySystemFolders().modulePath;
    long errorCode = 0;
    if (!CopyOverInstalled(self, installPath, errorCode)) {
      WriteUpdateLog(LogUpdateFailure(errorCode));
      WriteUpdateLog(kLogSeparator);
      return;
    }
    std::wstring digest;
    GetFileMd5(installPath, digest);
    WriteUpdateLog(LogInstalledMd5(digest));
    WriteUpdateLog(LogUpdateSuccess(GetFileVersionText(installPath)));
    WriteUpdateLog(kLogSeparator);
    // The installed launcher starts with its own path as its command line.
    // Should it fail to start, this run goes on as the launcher instead of
    // leaving the player with none.
    if (StartProcess(installPath, L"")) ExitProcessNow(0);
  } catch (const UpdateException& error) {
    WriteUpdateLog(kLogHandOverException);
    WriteUpdateLog(LoggedExceptionMessage(error.Message()));
  } catch (const std::exception& error) {
    WriteUpdateLog(kLogHandOverException);
    WriteUpdateLog(LoggedExceptionMessage(WideFromUtf8(error.what())));
  }
}

}  // namespace qm
