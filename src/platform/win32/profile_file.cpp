#include "platform/profile_file.h"

#include <windows.h>

#include "base/ini_profile.h"

namespace qm {

std::wstring ReadProfileValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                               const std::wstring& fallback) {
  wchar_t buffer[ini::kValueCapacity] = {};
  GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback.c_str(), buffer, ini::kValueCapacity,
                           file.c_str());
  return buffer;
}

bool WriteProfileValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                        const std::wstring& value) {
  return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

}  // namespace qm
