// Reader and writer of profile (INI) files with the semantics the launcher
// relies on: case-insensitive section and key names, defaults for anything
// missing, trimmed values cut to 259 characters, in-place replacement of an
// existing key, appended keys and sections, and every other line kept as it
// stands. Files are single-byte text with CR LF line ends.
#pragma once

#include <string>

namespace qm::ini {

inline constexpr size_t kValueCapacity = 260;  // the callers' buffer, terminator included

// Returns the value of key in section, or fallback when the file, section or
// key is missing. A stored value loses its surrounding blanks and one pair of
// matching quotes, the fallback its trailing blanks; the result is cut to
// kValueCapacity - 1 characters.
std::wstring Read(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                  const std::wstring& fallback);

// Sets key in section to value. A missing file is created when its folder
// exists. Returns false when the file cannot be read or written; the file is
// then unchanged.
bool Write(const std::wstring& file, const std::wstring& section, const std::wstring& key,
           const std::wstring& value);

// The text-level operations behind Read and Write, for callers and tests that
// hold the file's contents themselves.
std::wstring ReadFromText(const std::string& text, const std::wstring& section, const std::wstring& key,
                          const std::wstring& fallback);
std::string WriteToText(const std::string& text, const std::wstring& section, const std::wstring& key,
                        const std::wstring& value);

}  // namespace qm::ini
