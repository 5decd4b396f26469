// Profile (INI) file access: the system's profile calls on Windows, the
// portable reader and writer elsewhere. Both show the same behaviour.
#pragma once

#include <string>

namespace qm {

std::wstring ReadProfileValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                               const std::wstring& fallback);
bool WriteProfileValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                        const std::wstring& value);

}  // namespace qm
