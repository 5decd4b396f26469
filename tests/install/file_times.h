// Reads a file's times and attributes back through the system, for checks of
// what extraction set.
#pragma once

#include <cstdint>
#include <string>

namespace qm::test {

struct FileFacts {
  bool exists = false;
  uint64_t writeTime = 0;   // FILETIME units, UTC
  uint64_t accessTime = 0;
  uint64_t creationTime = 0;  // 0 on Linux
  uint32_t attributes = 0;    // Windows attribute bits; on Linux only read-only (no write permission)
};

FileFacts ReadFileFacts(const std::wstring& path);

}  // namespace qm::test
