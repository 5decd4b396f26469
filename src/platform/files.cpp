#include "platform/files.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

#include "base/text.h"

namespace qm {

namespace fs = std::filesystem;

fs::path FsPath(const std::wstring& path) {
#ifdef _WIN32
  return fs::path(path);
#else
  return fs::path(Utf8FromWide(path));
#endif
}

std::wstring WidePath(const fs::path& path) {
#ifdef _WIN32
  return path.wstring();
#else
  return WideFromUtf8(path.string());
#endif
}

bool FileExists(const std::wstring& path) {
  std::error_code ec;
  return fs::is_regular_file(FsPath(path), ec);
}

bool FolderExists(const std::wstring& path) {
  std::error_code ec;
  return fs::is_directory(FsPath(path), ec);
}

bool PathExists(const std::wstring& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(FsPath(path), ec));
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  // In blocks: an executable is megabytes, too many for a character at a time.
  std::string bytes;
  char block[64 * 1024];
  while (in.read(block, sizeof block) || in.gcount() > 0) bytes.append(block, static_cast<std::size_t>(in.gcount()));
  if (in.bad()) return std::nullopt;
  return bytes;
}

namespace {

// A temporary name beside target that no other writer picks: two launchers
// writing the same file at once each write a file of their own, and the
// last rename wins whole.
fs::path UniqueTempBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const unsigned long long token = (static_cast<unsigned long long>(random()) << 32) ^ random() ^
                                   (static_cast<unsigned long long>(counter++) << 20);
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", token);
  fs::path temp = target;
  temp += suffix;
  return temp;
}

}  // namespace

bool ReplaceFileBytes(const std::wstring& path, const std::string& bytes) {
  const fs::path target = FsPath(path);
  const fs::path temp = UniqueTempBeside(target);
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(temp, ignored);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (!ec) return true;
  std::error_code ignored;
  fs::remove(temp, ignored);
  return false;
}

bool AppendFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::app);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace qm
