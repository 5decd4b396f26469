// Test-only program: runs the cache-cleaning worker over the folder named by
// its one argument with the trace going to the real debugger output channel,
// and exits with 0 once the end report (command 10002) has come.
#include <string>

#include "base/text.h"
#include "frame/cache_cleaning.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

int main(int argc, char** argv) {
  std::wstring folder;
#ifdef _WIN32
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args && count >= 2) folder = args[1];
  if (args) LocalFree(args);
#else
  if (argc >= 2) folder = qm::WideFromUtf8(argv[1]);
#endif
  (void)argc;
  (void)argv;
  if (folder.empty()) return 2;
  unsigned reported = 0;
  qm::CacheCleaningJob job;
  job.cacheFolder = folder;
  job.reportEnd = [&](unsigned command) { reported = command; };
  qm::CacheCleanWorker(job);
  return reported == qm::kCommandCacheCleaned ? 0 : 1;
}
