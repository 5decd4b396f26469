#include "platform/ini_file.h"

#include <optional>

#include "base/ini_profile.h"
#include "platform/files.h"

namespace qm::ini {

std::wstring Read(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                  const std::wstring& fallback) {
  std::optional<std::string> text = ReadFileBytes(file);
  return ReadFromText(text ? *text : std::string(), section, key, fallback);
}

bool Write(const std::wstring& file, const std::wstring& section, const std::wstring& key,
           const std::wstring& value) {
  std::string text;
  if (FileExists(file)) {
    std::optional<std::string> read = ReadFileBytes(file);
    if (!read) return false;
    text = std::move(*read);
  }
  return ReplaceFileBytes(file, WriteToText(text, section, key, value));
}

}  // namespace qm::ini
