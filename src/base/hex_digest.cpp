#include "base/text.h"

namespace qm {

std::wstring HexDigest(const unsigned char* bytes, size_t count) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring out;
  out.reserve(count * 2);
  for (size_t i = 0; i < count; ++i) {
    out.push_back(kDigits[bytes[i] >> 4]);
    out.push_back(kDigits[bytes[i] & 0xF]);
  }
  return out;
}

}  // namespace qm
