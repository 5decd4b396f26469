#include "login/adapter_mac.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qm {

namespace {

std::optional<MacBytes> ParseMac(const std::string& text) {
  MacBytes mac{};
  unsigned values[6];
  if (std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x", &values[0], &values[1], &values[2], &values[3],
                  &values[4], &values[5]) != 6)
    return std::nullopt;
  for (size_t i = 0; i < mac.size(); ++i) mac[i] = static_cast<unsigned char>(values[i]);
  return mac;
}

}  // namespace

// The adapters under /sys/class/net, sorted by name so the choice is the same
// at every start: the first one that is backed by a device (a real adapter,
// not the loopback, a bridge or a tunnel) and has a non-zero address. The
// portal sees the same machine as long as its adapters stay.
std::optional<MacBytes> QueryAdapterMac() {
  namespace fs = std::filesystem;
  std::error_code error;
  std::vector<fs::path> adapters;
  for (const fs::directory_entry& entry : fs::directory_iterator("/sys/class/net", error)) {
    adapters.push_back(entry.path());
  }
  std::sort(adapters.begin(), adapters.end());
  for (const fs::path& adapter : adapters) {
    if (!fs::exists(adapter / "device", error)) continue;
    std::ifstream in(adapter / "address");
    std::string text;
    if (!std::getline(in, text)) continue;
    const std::optional<MacBytes> mac = ParseMac(text);
    if (mac && *mac != MacBytes{}) return mac;
  }
  return std::nullopt;
}

}  // namespace qm
