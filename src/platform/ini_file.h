// Profile (INI) files read and written with the semantics of base/ini_profile.h.
#pragma once

#include <string>

namespace qm::ini {

// Returns the value of key in section, or fallback when the file, section or
// key is missing (see ReadFromText for the value rules).
std::wstring Read(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                  const std::wstring& fallback);

// Sets key in section to value. A missing file is created when its folder
// exists. Returns false when the file cannot be read or written; the file is
// then unchanged.
bool Write(const std::wstring& file, const std::wstring& section, const std::wstring& key,
           const std::wstring& value);

}  // namespace qm::ini
