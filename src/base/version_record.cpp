#include "base/version_record.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"

namespace qm {

std::wstring VersionTextFromRecord(std::string_view record) {
  std::vector<std::string> blocks;
  std::vector<std::pair<std::string, std::string>> strings;
  std::istringstream in{std::string(record)};
  std::string line;
  while (std::getline(in, line)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 1);
    if (key == "Translation") {
      std::istringstream pairs(value);
      unsigned language = 0, codePage = 0;
      while (pairs >> std::hex >> language >> codePage) {
        char block[16];
        std::snprintf(block, sizeof block, "%04x%04x", language & 0xFFFF, codePage & 0xFFFF);
        blocks.emplace_back(block);
      }
    } else {
      strings.emplace_back(key, value);
    }
  }
  std::wstring result;
  for (const std::string& block : blocks) {
    for (const auto& [key, value] : strings) {
      if (key == block + "\\FileVersion") {
        result += WideFromUtf8(value);
        break;
      }
    }
  }
  return result;
}

}  // namespace qm
