// Builds ZIP archives byte by byte for the tests, including broken ones: every
// header field can be given or overridden.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm::test {

struct ZipBuilderEntry {
  std::string name;  // raw bytes as stored
  std::string data;  // uncompressed
  uint16_t method = 8;
  uint16_t madeBy = 0x0014;  // host in the upper byte, version 2.0
  uint32_t externalAttributes = 0x20;
  uint32_t dosDateTime = (uint32_t{36} << 25) | (8u << 21) | (18u << 16) | (9u << 11) | (57u << 5) | 10u;
  uint16_t flags = 0;
  std::string localExtra;
  std::string centralExtra;
  // Overrides of the local header, for headers that do not match.
  std::optional<uint32_t> localSignature;
  std::optional<uint16_t> localMethod;
  std::optional<uint16_t> localNameLength;
  std::optional<uint32_t> localCrc;
  std::optional<uint32_t> localCompressedSize;
  std::optional<uint32_t> localUncompressedSize;
  std::optional<uint16_t> localExtraLength;  // claims more extra bytes than stored
  std::optional<std::string> storedData;     // bytes stored instead of the compressed data
  std::optional<uint32_t> centralCrc;
};

struct ZipBuilderOptions {
  std::optional<uint16_t> diskNumber;
  std::optional<uint16_t> centralDisk;
  std::optional<uint16_t> entriesOnDisk;
  std::optional<uint16_t> entriesTotal;
  std::optional<uint32_t> centralOffset;
  std::optional<uint32_t> centralSize;
  std::string comment;
};

std::string BuildZip(const std::vector<ZipBuilderEntry>& entries, const ZipBuilderOptions& options = {});

// Raw deflate of data, as method 8 stores it.
std::string RawDeflate(const std::string& data);

// A DOS date and time value.
uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace qm::test
