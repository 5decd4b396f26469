#include "install/zip_builder.h"

#include <zlib.h>

#include <stdexcept>

namespace qm::test {

namespace {

void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

std::string RawDeflate(const std::string& data) {
  z_stream stream{};
  if (deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("deflate");
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 16, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (rc != Z_STREAM_END) throw std::runtime_error("deflate");
  return out;
}

uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second) {
  return (static_cast<uint32_t>(year - 1980) << 25) | (static_cast<uint32_t>(month) << 21) |
         (static_cast<uint32_t>(day) << 16) | (static_cast<uint32_t>(hour) << 11) |
         (static_cast<uint32_t>(minute) << 5) | static_cast<uint32_t>(second / 2);
}

std::string BuildZip(const std::vector<ZipBuilderEntry>& entries, const ZipBuilderOptions& options) {
  std::string out, central;
  for (const ZipBuilderEntry& e : entries) {
    const uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size())));
    const std::string stored = e.storedData ? *e.storedData : (e.method == 8 ? RawDeflate(e.data) : e.data);
    const uint32_t offset = static_cast<uint32_t>(out.size());
    Put32(out, e.localSignature.value_or(0x04034b50));
    Put16(out, 20);
    Put16(out, e.flags);
    Put16(out, e.localMethod.value_or(e.method));
    Put32(out, e.dosDateTime);
    Put32(out, e.localCrc.value_or(crc));
    Put32(out, e.localCompressedSize.value_or(static_cast<uint32_t>(stored.size())));
    Put32(out, e.localUncompressedSize.value_or(static_cast<uint32_t>(e.data.size())));
    Put16(out, e.localNameLength.value_or(static_cast<uint16_t>(e.name.size())));
    Put16(out, e.localExtraLength.value_or(static_cast<uint16_t>(e.localExtra.size())));
    out += e.name + e.localExtra + stored;

    Put32(central, 0x02014b50);
    Put16(central, e.madeBy);
    Put16(central, 20);
    Put16(central, e.flags);
    Put16(central, e.method);
    Put32(central, e.dosDateTime);
    Put32(central, e.centralCrc.value_or(crc));
    Put32(central, static_cast<uint32_t>(stored.size()));
    Put32(central, static_cast<uint32_t>(e.data.size()));
    Put16(central, static_cast<uint32_t>(e.name.size()));
    Put16(central, static_cast<uint32_t>(e.centralExtra.size()));
    Put16(central, 0);  // comment
    Put16(central, 0);  // disk
    Put16(central, 0);  // internal attributes
    Put32(central, e.externalAttributes);
    Put32(central, offset);
    central += e.name + e.centralExtra;
  }
  const uint32_t centralOffset = static_cast<uint32_t>(out.size());
  out += central;
  Put32(out, 0x06054b50);
  Put16(out, options.diskNumber.value_or(0));
  Put16(out, options.centralDisk.value_or(0));
  Put16(out, options.entriesOnDisk.value_or(static_cast<uint16_t>(entries.size())));
  Put16(out, options.entriesTotal.value_or(static_cast<uint16_t>(entries.size())));
  Put32(out, options.centralSize.value_or(static_cast<uint32_t>(central.size())));
  Put32(out, options.centralOffset.value_or(centralOffset));
  Put16(out, static_cast<uint32_t>(options.comment.size()));
  out += options.comment;
  return out;
}

}  // namespace qm::test
