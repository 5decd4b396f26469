// Measures the download path of the self-update: fetches a URL through
// CUpdateModule::DownloadUpdate into the staging folder of the current user
// data area (the caller points it at a scratch area) and prints the time and
// the throughput. The time includes the MD5 of the file that the download
// logs. A body that is no launcher is not handed over; the download counts
// as complete once its "Finish download" line is in the log.
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <filesystem>

#include "platform/paths.h"
#include "base/text.h"
#include "platform/files.h"
#include "update/update_module.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qm_download_bench URL\n");
    return 2;
  }
  // The log, where the download's result is read from, needs its folder.
  std::error_code ec;
  std::filesystem::create_directories(qm::FsPath(qm::CurrentPaths().UpdateLog()).parent_path(), ec);
  qm::UpdateEnvironment environment = qm::DefaultUpdateEnvironment();
  bool handedOver = false;
  environment.startHandOver = [&](const std::wstring&, const std::wstring&) { handedOver = true; };
  qm::CUpdateModule module(L"\\kvqmrtmp.exe", L"\\korvo_v1\\qmr\\", environment);
  const auto start = std::chrono::steady_clock::now();
  module.DownloadUpdate(qm::WideFromUtf8(argv[1]));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::wstring log =
      qm::WideFromUtf16Le(qm::ReadFileBytes(qm::CurrentPaths().UpdateLog()).value_or(""));
  const std::wstring marker = L"Finish download,file size=";
  const size_t at = log.rfind(marker);
  const unsigned long long size = at == std::wstring::npos ? 0 : std::wcstoull(log.c_str() + at + marker.size(), nullptr, 10);
  const bool complete = size > 0;
  std::printf("bytes=%llu seconds=%.3f MiB/s=%.1f complete=%s handed-over=%s\n", size, seconds,
              size / 1048576.0 / seconds, complete ? "yes" : "no", handedOver ? "yes" : "no");
  std::filesystem::remove(qm::FsPath(module.m_tempFile), ec);
  return complete ? 0 : 1;
}
