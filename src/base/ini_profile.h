// Reader and writer of profile (INI) files with the semantics the launcher
// relies on: case-insensitive section and key names, defaults for anything
// missing, trimmed values cut to 259 characters, in-place replacement of an
// existing key, appended keys and sections, and every other line kept as it
// stands. Files are single-byte text with CR LF line ends.
#pragma once

#include <string>

namespace qm::ini {

inline constexpr size_t kValueCapacity = 260;  // the callers' buffer, terminator included

// The value of key in section of the file's text, or fallback when the
// section or key is missing. A stored value loses its surrounding blanks and
// one pair of matching quotes, the fallback its trailing blanks; the result is
// cut to kValueCapacity - 1 characters.
std::wstring ReadFromText(const std::string& text, const std::wstring& section, const std::wstring& key,
                          const std::wstring& fallback);
// The file's text with key in section set to value.
std::string WriteToText(const std::string& text, const std::wstring& section, const std::wstring& key,
                        const std::wstring& value);

}  // namespace qm::ini
