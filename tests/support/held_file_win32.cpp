#include "support/held_file.h"

#include <windows.h>

#include "platform/win32/owners.h"

namespace qm::test {

struct HeldFile::Handle {
  UniqueFileHandle file;
};

HeldFile::HeldFile(const std::filesystem::path& path, Sharing sharing) {
  const DWORD share = sharing == Sharing::kReaders ? FILE_SHARE_READ : 0;
  UniqueFileHandle file(CreateFileW(path.wstring().c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
  if (file) handle_ = std::make_unique<Handle>(Handle{std::move(file)});
}

HeldFile::~HeldFile() = default;

bool HeldFile::held() const { return handle_ != nullptr; }

void HeldFile::LetGo() { handle_.reset(); }

size_t HeldFile::Read(char* buffer, size_t size) {
  DWORD read = 0;
  if (!handle_ || !ReadFile(handle_->file.get(), buffer, static_cast<DWORD>(size), &read, nullptr)) return 0;
  return read;
}

}  // namespace qm::test
