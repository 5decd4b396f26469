// libFuzzer target of the game URL: any text as the URL a login yields, its
// server name cut out of the percent-decoded copy; the raw bytes through the
// percent decoding; and the text as a server name put into the portal's game
// URL, encoded and as it stands, which must come back out. See fuzz_text.h for
// how bytes become text.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text.h"
#include "frame/server_name.h"
#include "fuzz_text.h"

namespace qm {
namespace {

constexpr wchar_t kGamePage[] = L"http://127.0.0.1:18614/qmr/play_gamecode/svname/";
constexpr wchar_t kNameEnds[] = L"/&#";

// Every byte as "%XY", the hex digits in upper or lower case by turns.
std::string PercentEncodeAll(std::string_view bytes) {
  static const char kUpper[] = "0123456789ABCDEF";
  static const char kLower[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char* digits = (i % 2) ? kLower : kUpper;
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    out += '%';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

void CheckPercentDecoding(std::string_view bytes) {
  const std::string decoded = PercentDecodeBytes(bytes);
  fuzz::Check(decoded.size() <= bytes.size(), "decoding never lengthens");
  if (bytes.find('%') == std::string_view::npos) fuzz::Check(decoded == bytes, "bytes without % stay as they are");
  fuzz::Check(PercentDecodeBytes(PercentEncodeAll(bytes)) == bytes, "decoding undoes encoding every byte");
}

void CheckServerName(const std::wstring& url) {
  const std::wstring name = ExtractServerName(url);
  fuzz::Check(name.find_first_of(kNameEnds) == std::wstring::npos, "a server name holds no /, & or #", url);
  // The name stands 7 characters after the first "svname" of the decoded URL
  // and runs to the end or to one of the characters that end it.
  const std::wstring decoded = WideFromUtf8(PercentDecodeBytes(Utf8FromWide(url)));
  const size_t at = decoded.find(L"svname");
  if (at == std::wstring::npos) {
    fuzz::Check(name.empty(), "no server name without svname", url);
    return;
  }
  const size_t start = at + 7;
  if (start >= decoded.size()) {
    fuzz::Check(name.empty(), "no server name after a svname at the end", url);
    return;
  }
  fuzz::Check(decoded.compare(start, name.size(), name) == 0, "the server name is the text after svname", url);
  const size_t after = start + name.size();
  fuzz::Check(after == decoded.size() || std::wstring_view(kNameEnds).find(decoded[after]) != std::wstring_view::npos,
              "the server name runs to its end", url);
}

// The text as the server name of the portal's game page: what comes out is
// the name as UTF-8 carries it (an unpaired surrogate as U+FFFD), up to the
// first character that ends a name.
void CheckNameRoundTrip(const std::wstring& text) {
  const std::wstring name = text.substr(0, text.find_first_of(kNameEnds));
  const std::wstring expected = WideFromUtf8(Utf8FromWide(name));
  const std::wstring encoded = kGamePage + WideFromUtf8(PercentEncodeAll(Utf8FromWide(name))) + L"/?uid=bob";
  fuzz::Check(ExtractServerName(encoded) == expected, "a percent-encoded server name comes back", encoded);
  if (name.find(L'%') == std::wstring::npos) {
    const std::wstring plain = kGamePage + name + L"/?uid=bob";
    fuzz::Check(ExtractServerName(plain) == expected, "a server name the URL holds undecoded comes back", plain);
  }
}

}  // namespace
}  // namespace qm

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qm::CheckPercentDecoding(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::wstring url = qm::fuzz::WideFromInput(data, size);
  qm::CheckServerName(url);
  qm::CheckNameRoundTrip(url);
  return 0;
}
