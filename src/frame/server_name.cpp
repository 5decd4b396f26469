#include "frame/server_name.h"

#include "base/text.h"

namespace qm {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string PercentDecodeBytes(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    if (bytes[i] == '%' && i + 2 < bytes.size()) {
      const int high = HexValue(bytes[i + 1]);
      const int low = HexValue(bytes[i + 2]);
      if (high >= 0 && low >= 0) {
        out.push_back(static_cast<char>(high * 16 + low));
        i += 3;
        continue;
      }
    }
    out.push_back(bytes[i]);
    ++i;
  }
  return out;
}

std::wstring ExtractServerName(std::wstring_view gameUrl) {
  // The URL goes through UTF-8 rather than a legacy code page so that
  // characters the URL already holds undecoded survive the round trip.
  const std::wstring decoded = WideFromUtf8(PercentDecodeBytes(Utf8FromWide(gameUrl)));
  const size_t at = decoded.find(L"svname");
  if (at == std::wstring::npos) return std::wstring();
  const size_t start = at + 7;
  if (start >= decoded.size()) return std::wstring();
  std::wstring name = decoded.substr(start);
  // A query-style URL goes on after the name with "&" or "#"; those belong to
  // the URL, not to the name shown in the caption.
  const size_t end = name.find_first_of(L"/&#");
  if (end != std::wstring::npos) name.resize(end);
  return name;
}

}  // namespace qm
