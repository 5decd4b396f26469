// libFuzzer target of the zip reader: any bytes as an archive held in memory,
// every entry described and inflated into a bounded sink, and the same bytes
// as a local extra field.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "install/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qm::ReadExtendedTimes(std::string_view(reinterpret_cast<const char*>(data), size));

  qm::ZipArchive zip;
  if (!zip.OpenFromMemory(data, size)) return 0;
  qm::ZipEntry count;
  if (!zip.GetEntry(-1, count)) return 0;
  for (int i = 0; i < count.index && i < 256; ++i) {
    qm::ZipEntry entry;
    if (!zip.GetEntry(i, entry)) continue;
    size_t total = 0;
    // Stops a small archive that inflates to gigabytes after 8 MiB.
    zip.ReadEntryData(i, [&total](const char*, size_t n) {
      total += n;
      return total < (size_t{8} << 20);
    });
    qm::ZipEntry again;
    zip.GetEntry(i, again);
  }
  zip.Close();
  return 0;
}
