#include "base/text.h"

namespace qm {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Calls emit(code point) for each code point of a wide string.
template <typename Emit>
void ForEachCodePoint(std::wstring_view text, Emit emit) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      c &= 0xFFFF;
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
        char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
        if (low >= 0xDC00 && low <= 0xDFFF) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
      if (c >= 0xD800 && c <= 0xDFFF) c = kReplacement;
    } else if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      c = kReplacement;
    }
    emit(c);
  }
}

void AppendWide(std::wstring& out, char32_t c) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(c));
}

}  // namespace

std::string Utf8FromWide(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  ForEachCodePoint(text, [&](char32_t c) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  });
  return out;
}

std::wstring WideFromUtf8(std::string_view bytes) {
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  std::wstring out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    const int extra = lead < 0x80            ? 0
                      : (lead & 0xE0) == 0xC0 ? 1
                      : (lead & 0xF0) == 0xE0 ? 2
                      : (lead & 0xF8) == 0xF0 ? 3
                                              : -1;
    bool ok = extra >= 0 && i + extra < bytes.size();
    char32_t c = ok ? (extra == 0 ? lead : lead & (0x3F >> extra)) : 0;
    for (int k = 1; ok && k <= extra; ++k) {
      const unsigned char cont = static_cast<unsigned char>(bytes[i + k]);
      ok = (cont & 0xC0) == 0x80;
      c = (c << 6) | (cont & 0x3F);
    }
    if (!ok || c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      AppendWide(out, kReplacement);
      ++i;
      continue;
    }
    AppendWide(out, c);
    i += extra + 1;
  }
  return out;
}

std::string Utf16LeFromWide(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  auto unit = [&](char32_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>((u >> 8) & 0xFF));
  };
  ForEachCodePoint(text, [&](char32_t c) {
    if (c >= 0x10000) {
      c -= 0x10000;
      unit(0xD800 + (c >> 10));
      unit(0xDC00 + (c & 0x3FF));
    } else {
      unit(c);
    }
  });
  return out;
}

std::wstring WideFromUtf16Le(std::string_view bytes) {
  std::wstring units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  if constexpr (sizeof(wchar_t) == 2) return units;
  std::wstring out;
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = static_cast<char32_t>(units[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(units[i + 1]) - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    out.push_back(static_cast<wchar_t>(c));
  }
  return out;
}

std::string SingleByteFromWide(std::wstring_view text) {
  std::string out;
  ForEachCodePoint(text, [&](char32_t c) { out.push_back(c <= 0xFF ? static_cast<char>(c) : '?'); });
  return out;
}

std::wstring WideFromSingleByte(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (char b : bytes) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(b)));
  return out;
}

bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  auto fold = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace qm
