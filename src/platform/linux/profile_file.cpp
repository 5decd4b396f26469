#include "platform/profile_file.h"

#include "platform/ini_file.h"

namespace qm {

std::wstring ReadProfileValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                               const std::wstring& fallback) {
  return ini::Read(file, section, key, fallback);
}

bool WriteProfileValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                        const std::wstring& value) {
  return ini::Write(file, section, key, value);
}

}  // namespace qm
