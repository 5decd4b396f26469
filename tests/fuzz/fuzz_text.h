// How the text targets turn their input bytes into the wide text the logic
// works in. The first byte chooses the reading, the rest is the text:
//   odd first byte  ("1", "u"): UTF-8, as the Linux build reads its command
//                                line, network text and URLs;
//   even first byte ("0", "w"): UTF-16LE code units taken one by one, every
//                                unit reachable, unpaired surrogates included,
//                                as the Windows build is handed its texts.
// A committed seed starts with its reading's byte followed by the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace qm::fuzz {

inline std::wstring WideFromInput(const std::uint8_t* data, size_t size) {
  if (size == 0) return std::wstring();
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) return WideFromUtf8(rest);
  std::wstring units;
  units.reserve(rest.size() / 2);
  for (size_t i = 0; i + 1 < rest.size(); i += 2) {
    units.push_back(static_cast<wchar_t>(static_cast<unsigned char>(rest[i]) |
                                         (static_cast<unsigned char>(rest[i + 1]) << 8)));
  }
  return units;
}

// The text cut into fields at U+0000; the last field takes the rest, and
// missing fields are empty.
inline std::vector<std::wstring> Fields(const std::wstring& text, size_t count) {
  std::vector<std::wstring> fields;
  size_t from = 0;
  while (fields.size() + 1 < count) {
    const size_t zero = text.find(L'\0', from);
    if (zero == std::wstring::npos) break;
    fields.push_back(text.substr(from, zero - from));
    from = zero + 1;
  }
  fields.push_back(from <= text.size() ? text.substr(from) : std::wstring());
  fields.resize(count);
  return fields;
}

// A broken rule: printed with the text involved, then abort() so that
// libFuzzer keeps the input as a finding.
[[noreturn]] inline void Violated(const char* rule, std::wstring_view text = {}) {
  std::fprintf(stderr, "invariant broken: %s\n  text (UTF-8): %s\n", rule, Utf8FromWide(text).c_str());
  std::abort();
}

inline void Check(bool holds, const char* rule, std::wstring_view text = {}) {
  if (!holds) Violated(rule, text);
}

}  // namespace qm::fuzz
