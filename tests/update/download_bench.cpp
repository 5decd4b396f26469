// Measures the download path of the self-update: fetches a URL through
// CUpdateModule::DownloadUpdate into the staging folder of the current user
// data area (the caller points it at a scratch area) and prints the time and
// the throughput. The hand-over that follows a complete download is only
// recorded.
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "base/paths.h"
#include "base/text.h"
#include "platform/files.h"
#include "update/update_module.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qm_download_bench URL\n");
    return 2;
  }
  qm::UpdateEnvironment environment = qm::DefaultUpdateEnvironment();
  bool handedOver = false;
  environment.startHandOver = [&](const std::wstring&, const std::wstring&) { handedOver = true; };
  qm::CUpdateModule module(L"\\kvqmrtmp.exe", L"\\korvo_v1\\qmr\\", environment);
  const auto start = std::chrono::steady_clock::now();
  module.DownloadUpdate(qm::WideFromUtf8(argv[1]));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::error_code ec;
  const auto size = std::filesystem::file_size(qm::FsPath(module.m_tempFile), ec);
  std::printf("bytes=%llu seconds=%.3f MiB/s=%.1f complete=%s\n", static_cast<unsigned long long>(ec ? 0 : size),
              seconds, (ec ? 0 : size) / 1048576.0 / seconds, handedOver ? "yes" : "no");
  std::filesystem::remove(qm::FsPath(module.m_tempFile), ec);
  return handedOver ? 0 : 1;
}
