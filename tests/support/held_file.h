// A file held open for reading by the test, as a running program or a
// reader holds a file, until the object goes or lets go.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>

namespace qm::test {

class HeldFile {
 public:
  // Windows: whom the file is shared with while it is held. Linux has no
  // sharing modes; the file is simply open there.
  enum class Sharing { kNobody, kReaders };

  explicit HeldFile(const std::filesystem::path& path, Sharing sharing = Sharing::kNobody);
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  bool held() const;
  // Closes the file now.
  void LetGo();
  // Reads on from where the last read stopped, also after the file was
  // deleted (Linux); the number of bytes read.
  size_t Read(char* buffer, size_t size);

 private:
  struct Handle;  // the open file of this platform
  std::unique_ptr<Handle> handle_;
};

}  // namespace qm::test
