// Prints how long GetFileMd5 takes on a file, best of a few runs, with the
// digest, so that a script can set it beside md5sum on the same file.
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/file_facts.h"
#include "base/text.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: md5_bench FILE [RUNS]\n");
    return 2;
  }
  const std::wstring path = qm::WideFromUtf8(argv[1]);
  const int runs = argc > 2 ? std::stoi(argv[2]) : 3;
  double best = 1e30;
  std::wstring digest;
  for (int i = 0; i < runs; ++i) {
    digest.clear();
    const auto start = std::chrono::steady_clock::now();
    if (!qm::GetFileMd5(path, digest)) {
      std::fprintf(stderr, "md5_bench: cannot digest %s\n", argv[1]);
      return 1;
    }
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::printf("%s %.6f\n", qm::Utf8FromWide(digest).c_str(), best);
  return 0;
}
