#include "install/file_times.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include "base/text.h"
#endif

namespace qm::test {

#ifdef _WIN32
FileFacts ReadFileFacts(const std::wstring& path) {
  FileFacts facts;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return facts;
  auto value = [](const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  facts.exists = true;
  facts.writeTime = value(data.ftLastWriteTime);
  facts.accessTime = value(data.ftLastAccessTime);
  facts.creationTime = value(data.ftCreationTime);
  facts.attributes = data.dwFileAttributes;
  return facts;
}
#else
FileFacts ReadFileFacts(const std::wstring& path) {
  FileFacts facts;
  struct stat info {};
  if (stat(Utf8FromWide(path).c_str(), &info) != 0) return facts;
  auto value = [](const timespec& t) {
    return static_cast<uint64_t>((static_cast<int64_t>(t.tv_sec) + 11644473600LL) * 10000000LL + t.tv_nsec / 100);
  };
  facts.exists = true;
  facts.writeTime = value(info.st_mtim);
  facts.accessTime = value(info.st_atim);
  facts.attributes = (info.st_mode & 0222) ? 0 : 0x1;
  return facts;
}
#endif

}  // namespace qm::test
