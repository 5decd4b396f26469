#include "support/held_file.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/linux/owners.h"

namespace qm::test {

struct HeldFile::Handle {
  UniqueFd fd;
};

HeldFile::HeldFile(const std::filesystem::path& path, Sharing) {
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd) handle_ = std::make_unique<Handle>(Handle{std::move(fd)});
}

HeldFile::~HeldFile() = default;

bool HeldFile::held() const { return handle_ != nullptr; }

void HeldFile::LetGo() { handle_.reset(); }

size_t HeldFile::Read(char* buffer, size_t size) {
  if (!handle_) return 0;
  const ssize_t n = read(handle_->fd.get(), buffer, size);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

}  // namespace qm::test
