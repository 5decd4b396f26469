// Conversions between the wide strings the logic works in and the byte
// encodings at the edges: UTF-8 (Linux file names, GTK), UTF-16LE (the update
// log) and single-byte text (the settings file).
#pragma once

#include <string>
#include <string_view>

namespace qm {

// wchar_t holds UTF-16 code units on Windows and code points on Linux; both
// directions handle either width. Malformed input becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view bytes);

// UTF-16 code units in little-endian byte order, no byte-order mark.
std::string Utf16LeFromWide(std::wstring_view text);
std::wstring WideFromUtf16Le(std::string_view bytes);

// Single-byte text: characters up to U+00FF map to one byte each, any other
// character becomes '?', as a code page without that character would store it.
std::string SingleByteFromWide(std::wstring_view text);
std::wstring WideFromSingleByte(std::string_view bytes);

// ASCII-only case folding, as the profile format matches names.
bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b);

// Formats digest bytes as lower-case hex.
std::wstring HexDigest(const unsigned char* bytes, size_t count);

}  // namespace qm
