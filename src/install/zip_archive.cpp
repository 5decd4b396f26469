#include "install/zip_archive.h"

#include <unzip.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/paths.h"
#include "base/text.h"
#include "install/zip_times.h"
#include "platform/debug_output.h"
#include "platform/write_only_file.h"
#include "platform/files.h"

namespace qm {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The path as the file system of this build wants it: the archive and the
// callers may use either separator; on Linux both mean a folder step.
std::wstring Native(std::wstring path) {
  const wchar_t sep = NativePathStyle().separator;
  for (wchar_t& c : path) {
    if (IsSeparator(c)) c = sep;
  }
  return path;
}

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

uint64_t UnixSecondsToFileTime(int32_t seconds) {
  return static_cast<uint64_t>(static_cast<int64_t>(seconds) + 11644473600LL) * 10000000ULL;
}

}  // namespace

// The input functions over the memory block, in minizip's 64-bit form so that
// zip64 records (sizes and offsets past 32 bits) are read: reads and seeks
// stay inside the block, and a read past its end returns the bytes left.
struct ZipArchive::Source {
  const unsigned char* data;
  size_t size;
  size_t position;

  static voidpf ZCALLBACK Open(voidpf opaque, const void*, int) { return opaque; }
  static uLong ZCALLBACK Read(voidpf, voidpf stream, void* buf, uLong size) {
    auto* s = static_cast<Source*>(stream);
    const size_t left = s->size - s->position;
    const size_t n = std::min<size_t>(left, size);
    if (n > 0) std::memcpy(buf, s->data + s->position, n);
    s->position += n;
    return static_cast<uLong>(n);
  }
  static uLong ZCALLBACK Write(voidpf, voidpf, const void*, uLong) { return 0; }
  static ZPOS64_T ZCALLBACK Tell(voidpf, voidpf stream) { return static_cast<Source*>(stream)->position; }
  static long ZCALLBACK Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* s = static_cast<Source*>(stream);
    size_t from = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) {
      // minizip steps back over an extra field it has read with an offset
      // that wrapped around: as a stdio seek does, it is taken as signed.
      const auto step = static_cast<int64_t>(offset);
      if (step < 0) {
        const uint64_t back = 0 - offset;
        if (back > s->position) return -1;
        s->position -= static_cast<size_t>(back);
        return 0;
      }
      from = s->position;
    } else if (origin == ZLIB_FILEFUNC_SEEK_END) {
      from = s->size;
    } else if (origin != ZLIB_FILEFUNC_SEEK_SET) {
      return -1;
    }
    if (offset > s->size || from > s->size - offset) return -1;
    s->position = from + static_cast<size_t>(offset);
    return 0;
  }
  static int ZCALLBACK CloseStream(voidpf, voidpf) { return 0; }
  static int ZCALLBACK Error(voidpf, voidpf) { return 0; }
};

ZipArchive::ZipArchive() = default;

ZipArchive::~ZipArchive() { Close(); }

bool ZipArchive::OpenFromMemory(const void* data, size_t size) {
  if (archive_ || openIndex_ != -1) return false;
  std::error_code ec;
  SetBaseFolder(WidePath(std::filesystem::current_path(ec)));
  if (!data && size != 0) return false;
  source_ = new Source{static_cast<const unsigned char*>(data), size, 0};
  zlib_filefunc64_def functions{};
  functions.zopen64_file = &Source::Open;
  functions.zread_file = &Source::Read;
  functions.zwrite_file = &Source::Write;
  functions.ztell64_file = &Source::Tell;
  functions.zseek64_file = &Source::Seek;
  functions.zclose_file = &Source::CloseStream;
  functions.zerror_file = &Source::Error;
  functions.opaque = source_;
  unzFile file = unzOpen2_64("", &functions);
  unz_global_info64 info{};
  if (!file || unzGetGlobalInfo64(file, &info) != UNZ_OK || info.number_entry > 0x7FFFFFFF) {
    if (file) unzClose(file);
    delete source_;
    source_ = nullptr;
    return false;
  }
  archive_ = file;
  entryCount_ = static_cast<int>(info.number_entry);
  currentIndex_ = entryCount_ > 0 ? 0 : -1;
  cachedIndex_ = -1;
  return true;
}

void ZipArchive::SetBaseFolder(const std::wstring& folder) {
  baseFolder_ = folder;
  if (baseFolder_.empty() || !IsSeparator(baseFolder_.back())) baseFolder_ += NativePathStyle().separator;
}

void ZipArchive::CloseOpenEntry() {
  if (openIndex_ != -1 && archive_) unzCloseCurrentFile(archive_);
  openIndex_ = -1;
}

bool ZipArchive::GoToEntry(int index) {
  if (!archive_ || index < 0 || index >= entryCount_) return false;
  if (currentIndex_ < 0 || index < currentIndex_) {
    if (unzGoToFirstFile(archive_) != UNZ_OK) {
      currentIndex_ = -1;
      return false;
    }
    currentIndex_ = 0;
  }
  while (currentIndex_ < index) {
    if (unzGoToNextFile(archive_) != UNZ_OK) {
      currentIndex_ = -1;
      return false;
    }
    ++currentIndex_;
  }
  return true;
}

// Where an entry's data lies and what it must come to. minizip reads the
// sizes of a zip64 entry from its zip64 extra field only where an unsigned
// long has 32 bits; elsewhere it keeps the 0xFFFFFFFF placeholders, so that
// the sizes are taken from the central extra field here.
struct ZipArchive::EntryData {
  bool zip64 = false;
  unsigned long method = 0;
  uint32_t crc = 0;
  uint64_t compressed = 0;
  uint64_t uncompressed = 0;
  uint64_t offset = 0;  // of the data in the archive, known once the entry is open
};

bool ZipArchive::GetEntry(int index, ZipEntry& entry) {
  if (!archive_ || index < -1 || index >= entryCount_) return false;
  CloseOpenEntry();
  if (index != -1 && index == cachedIndex_) {
    entry = cached_;
    return true;
  }
  if (index == -1) {
    entry = ZipEntry{};
    entry.index = entryCount_;
    return true;
  }
  if (!GoToEntry(index)) return false;

  unz_file_info64 info{};
  char rawName[kMaxEntryNameBytes + 1] = {};
  if (unzGetCurrentFileInfo64(archive_, &info, rawName, sizeof rawName, nullptr, 0, nullptr, 0) != UNZ_OK) {
    return false;
  }
  if (info.size_filename > kMaxEntryNameBytes) return false;  // would not fit with its terminator
  // Only stored and deflated data is read; anything else would come out raw.
  if (info.compression_method != 0 && info.compression_method != Z_DEFLATED) return false;

  // The local header must match the central directory; minizip checks it when
  // the entry is opened, and only then is the local extra field readable.
  if (unzOpenCurrentFile(archive_) != UNZ_OK) return false;
  std::string extra;
  const int extraSize = unzGetLocalExtrafield(archive_, nullptr, 0);
  bool extraOk = extraSize >= 0;
  if (extraOk && extraSize > 0) {
    extra.resize(static_cast<size_t>(extraSize));
    extraOk = unzGetLocalExtrafield(archive_, extra.data(), static_cast<unsigned>(extra.size())) == extraSize;
  }
  unzCloseCurrentFile(archive_);
  if (!extraOk) return false;

  ZipEntry result;
  result.index = index;
  result.name = WideFromUtf8(std::string_view(rawName, strnlen(rawName, info.size_filename)));
  if (!MakeEntryNameSafe(result.name)) return false;
  result.attributes = AttributesFromHost(static_cast<unsigned>(info.version >> 8) & 0xFF,
                                         static_cast<uint32_t>(info.external_fa));
  // Sizes past 32 bits are shown as the largest 32-bit value.
  EntryData data;
  if (!DescribeEntryData(data)) return false;
  result.compressedSize = static_cast<uint32_t>(std::min<uint64_t>(data.compressed, 0xFFFFFFFFu));
  result.uncompressedSize = static_cast<uint32_t>(std::min<uint64_t>(data.uncompressed, 0xFFFFFFFFu));
  const uint64_t dosTime = DosTimeToUtcFileTime(static_cast<uint32_t>(info.dosDate));
  result.accessTime = result.creationTime = result.writeTime = dosTime;
  const ExtendedTimes times = ReadExtendedTimes(extra);
  if (times.found) {
    if (times.writeTime) result.writeTime = times.writeTime;
    if (times.accessTime) result.accessTime = times.accessTime;
    if (times.creationTime) result.creationTime = times.creationTime;
  }
  cached_ = result;
  cachedIndex_ = index;
  entry = result;
  return true;
}

bool ZipArchive::DescribeEntryData(EntryData& data) {
  unz_file_info64 info{};
  char extra[0x10000];
  if (unzGetCurrentFileInfo64(archive_, &info, nullptr, 0, extra, sizeof extra, nullptr, 0) != UNZ_OK) return false;
  data.method = info.compression_method;
  data.crc = static_cast<uint32_t>(info.crc);
  data.compressed = info.compressed_size;
  data.uncompressed = info.uncompressed_size;
  const bool uncompressedHidden = data.uncompressed == 0xFFFFFFFFu;
  const bool compressedHidden = data.compressed == 0xFFFFFFFFu;
  if (!uncompressedHidden && !compressedHidden) return true;
  const auto* bytes = reinterpret_cast<const unsigned char*>(extra);
  const size_t length = std::min<size_t>(info.size_file_extra, sizeof extra);
  for (size_t at = 0; at + 4 <= length;) {
    const size_t blockLength = Le16(bytes + at + 2);
    if (Le16(bytes + at) == 0x0001) {
      size_t field = at + 4;
      const size_t end = std::min(length, field + blockLength);
      auto take = [&](uint64_t& value) {
        if (field + 8 > end) return false;
        value = static_cast<uint64_t>(Le32(bytes + field)) | (static_cast<uint64_t>(Le32(bytes + field + 4)) << 32);
        field += 8;
        return true;
      };
      if (uncompressedHidden && !take(data.uncompressed)) return false;
      if (compressedHidden && !take(data.compressed)) return false;
      data.zip64 = true;
      return true;
    }
    at += 4 + blockLength;
  }
  return false;  // placeholders without the sizes they stand for
}

bool ZipArchive::ReadZip64EntryData(const EntryData& data, const std::function<bool(const char*, size_t)>& sink) {
  if (data.offset > source_->size || data.compressed > source_->size - data.offset) return false;
  const unsigned char* input = source_->data + data.offset;
  uint64_t produced = 0;
  uLong crc = crc32(0L, Z_NULL, 0);
  auto deliver = [&](const char* bytes, size_t size) {
    produced += size;
    crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes), static_cast<uInt>(size));
    return produced <= data.uncompressed && sink(bytes, size);
  };
  if (data.method == 0) {
    for (uint64_t done = 0; done < data.compressed;) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(data.compressed - done, buffer_.size()));
      if (!deliver(reinterpret_cast<const char*>(input + done), n)) return false;
      done += n;
    }
  } else {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
    struct End {
      z_stream* stream;
      ~End() { inflateEnd(stream); }
    } end{&stream};
    uint64_t consumed = 0;
    int result = Z_OK;
    while (result != Z_STREAM_END) {
      if (stream.avail_in == 0) {
        if (consumed == data.compressed) return false;  // the data ends before the stream does
        const uint64_t piece = std::min<uint64_t>(data.compressed - consumed, 1u << 30);
        stream.next_in = const_cast<Bytef*>(input + consumed);
        stream.avail_in = static_cast<uInt>(piece);
        consumed += piece;
      }
      stream.next_out = reinterpret_cast<Bytef*>(buffer_.data());
      stream.avail_out = static_cast<uInt>(buffer_.size());
      result = inflate(&stream, Z_NO_FLUSH);
      if (result != Z_OK && result != Z_STREAM_END) return false;
      const size_t n = buffer_.size() - stream.avail_out;
      if (n > 0 && !deliver(buffer_.data(), n)) return false;
    }
  }
  return produced == data.uncompressed && static_cast<uint32_t>(crc) == data.crc;
}

bool ZipArchive::ReadEntryData(int index, const std::function<bool(const char*, size_t)>& sink) {
  CloseOpenEntry();
  if (!GoToEntry(index)) return false;
  EntryData data;
  if (!DescribeEntryData(data)) return false;
  if (unzOpenCurrentFile(archive_) != UNZ_OK) return false;
  openIndex_ = index;
  if (buffer_.empty()) buffer_.resize(kTransferBufferSize);
  if (data.zip64) {
    // The local header has been checked by opening; the data is read here.
    data.offset = unzGetCurrentFileZStreamPos64(archive_);
    CloseOpenEntry();
    return (data.method == 0 || data.method == Z_DEFLATED) && ReadZip64EntryData(data, sink);
  }
  bool ok = false;
  for (;;) {
    const int n = unzReadCurrentFile(archive_, buffer_.data(), static_cast<unsigned>(buffer_.size()));
    if (n < 0) break;
    if (n > 0 && !sink(buffer_.data(), static_cast<size_t>(n))) break;
    if (unzeof(archive_)) {
      ok = true;
      break;
    }
    if (n == 0) break;  // nothing more, yet the entry is not complete
  }
  // minizip compares the CRC once the whole entry has been read, on closing.
  if (ok && unzCloseCurrentFile(archive_) != UNZ_OK) ok = false;
  openIndex_ = -1;
  CloseOpenEntry();
  return ok;
}

bool ZipArchive::ExtractEntry(int index, const std::wstring& name) {
  CloseOpenEntry();
  if (!archive_ || index < 0 || index >= entryCount_) return false;
  ZipEntry entry;
  if (!GoToEntry(index) || !GetEntry(index, entry)) return false;

  if (entry.attributes & kAttrDirectory) {
    if (IsAbsoluteName(name)) {
      EnsureFolder(L"", name);
    } else {
      EnsureFolder(baseFolder_, name);
    }
    return true;
  }

  size_t split = name.find_last_of(L"\\/");
  const std::wstring folderPart = split == std::wstring::npos ? L"" : name.substr(0, split + 1);
  const std::wstring filePart = split == std::wstring::npos ? name : name.substr(split + 1);
  const bool absolute = IsAbsoluteName(folderPart);
  const std::wstring target = absolute ? folderPart + filePart : baseFolder_ + folderPart + filePart;
  std::wstring folderToMake = folderPart;
  while (!folderToMake.empty() && IsSeparator(folderToMake.back()) && folderToMake.size() > 1) folderToMake.pop_back();
  EnsureFolder(absolute ? L"" : baseFolder_, folderToMake);

  WriteOnlyFile file;
  WriteOnlyFileOptions options;
  options.attributes = entry.attributes;
  if (!file.Create(Native(target), options)) return false;
  bool writeFailed = false;
  const bool complete = ReadEntryData(index, [&](const char* data, size_t size) {
    if (!file.Write(data, size)) {
      writeFailed = true;
      return false;
    }
    return true;
  });
  const bool ok = complete && !writeFailed;
  if (ok) {
    file.SetTimes(entry.creationTime, entry.accessTime, entry.writeTime);
    file.Close();
  } else {
    // A damaged entry (wrong CRC, inflation that fails or ends early) or a
    // failed write leaves no file that would pass for the entry.
    file.Discard();
    DebugOutput(L"zip: entry " + entry.name + L" is damaged or could not be written; its file was removed");
  }
  return ok;
}

void ZipArchive::Close() {
  CloseOpenEntry();
  if (archive_) unzClose(archive_);
  archive_ = nullptr;
  delete source_;
  source_ = nullptr;
  entryCount_ = 0;
  currentIndex_ = -1;
  cachedIndex_ = -1;
  buffer_.clear();
  buffer_.shrink_to_fit();
}

namespace {

// One component as Windows will take it: trailing dots and spaces are
// dropped, so "a. " names "a". A component of nothing but dots and spaces
// is a step: ".. " or "..." the parent (the safe reading), ". " or " " the
// folder itself, which is left out.
std::wstring ComponentAsWindowsTakesIt(std::wstring_view component) {
  if (component.empty()) return std::wstring();
  size_t end = component.size();
  while (end > 0 && (component[end - 1] == L'.' || component[end - 1] == L' ')) --end;
  if (end > 0) return std::wstring(component.substr(0, end));
  return component.size() >= 2 && component[0] == L'.' && component[1] == L'.' ? L".." : L".";
}

// The name with each component read as Windows will read it and the
// current-folder steps left out, separators kept.
std::wstring ComponentsAsWindowsTakesThem(const std::wstring& name) {
  std::wstring result;
  size_t start = 0;
  for (;;) {
    const size_t end = name.find_first_of(L"\\/", start);
    const std::wstring_view component =
        std::wstring_view(name).substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    const std::wstring taken = ComponentAsWindowsTakesIt(component);
    const bool dropped = taken == L".";
    if (!dropped) result += taken;
    if (end == std::wstring::npos) break;
    if (!dropped) result += name[end];  // the separator after a dropped step goes with it
    start = end + 1;
  }
  return result;
}

}  // namespace

bool MakeEntryNameSafe(std::wstring& name) {
  static const wchar_t* const kParentSteps[] = {L"\\..\\", L"\\../", L"/../", L"/..\\"};
  name = ComponentsAsWindowsTakesThem(name);
  for (bool changed = true; changed;) {
    changed = false;
    if (name.size() >= 2 && name[1] == L':') {
      name.erase(0, 2);
      changed = true;
      continue;
    }
    if (!name.empty() && IsSeparator(name[0])) {
      name.erase(0, 1);
      changed = true;
      continue;
    }
    for (const wchar_t* step : kParentSteps) {
      const size_t at = name.find(step);
      if (at != std::wstring::npos) {
        name.erase(0, at + 4);
        changed = true;
        break;
      }
    }
    if (changed) continue;
    // A leading parent step names the base folder's parent.
    if (name.size() >= 3 && name[0] == L'.' && name[1] == L'.' && IsSeparator(name[2])) {
      name.erase(0, 3);
      changed = true;
    }
  }
  const size_t n = name.size();
  if (name == L".." || (n >= 3 && name.compare(n - 2, 2, L"..") == 0 && IsSeparator(name[n - 3]))) return false;
  return true;
}

uint64_t DosTimeToUtcFileTime(uint32_t dosDateTime) {
  const int year = 1980 + static_cast<int>((dosDateTime >> 25) & 0x7F);
  const int month = static_cast<int>((dosDateTime >> 21) & 0x0F);
  const int day = static_cast<int>((dosDateTime >> 16) & 0x1F);
  const int hour = static_cast<int>((dosDateTime >> 11) & 0x1F);
  const int minute = static_cast<int>((dosDateTime >> 5) & 0x3F);
  const int second = static_cast<int>(dosDateTime & 0x1F) * 2;
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1] || hour > 23 || minute > 59 || second > 59) {
    return 0;
  }
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month == 2 && day == 29 && !leap) return 0;
  uint64_t fileTime = 0;
  return LocalTimeToUtcFileTime(year, month, day, hour, minute, second, fileTime) ? fileTime : 0;
}

ExtendedTimes ReadExtendedTimes(std::string_view extraField) {
  ExtendedTimes times;
  const auto* bytes = reinterpret_cast<const unsigned char*>(extraField.data());
  const size_t length = extraField.size();
  size_t position = 0;
  while (position + 4 < length) {
    const unsigned char* block = bytes + position;
    const size_t blockLength = Le16(block + 2);
    if (block[0] == 0x55 && block[1] == 0x54) {
      times.found = true;
      // Never past the block, nor past the field when the block claims more.
      const size_t end = std::min(length, position + 4 + blockLength);
      size_t at = position + 4;
      if (at >= end) break;
      const unsigned flags = bytes[at++];
      uint64_t* slots[] = {&times.writeTime, &times.accessTime, &times.creationTime};
      for (unsigned bit = 0; bit < 3; ++bit) {
        if (!(flags & (1u << bit))) continue;
        if (at + 4 > end) break;
        *slots[bit] = UnixSecondsToFileTime(static_cast<int32_t>(Le32(bytes + at)));
        at += 4;
      }
      break;
    }
    position += 4 + blockLength;
  }
  return times;
}

uint32_t AttributesFromHost(unsigned host, uint32_t external) {
  uint32_t attributes = 0;
  if (host == 0 || host == 7 || host == 11 || host == 14) {
    if (external & 0x01) attributes |= kAttrReadOnly;
    if (external & 0x02) attributes |= kAttrHidden;
    if (external & 0x04) attributes |= kAttrSystem;
    if (external & 0x10) attributes |= kAttrDirectory;
    if (external & 0x20) attributes |= kAttrArchive;
  } else {
    if (external & (1u << 30)) attributes |= kAttrDirectory;
    if (!(external & (1u << 23))) attributes |= kAttrReadOnly;
    attributes |= kAttrArchive;
  }
  return attributes;
}

bool IsAbsoluteName(const std::wstring& name) {
  return (!name.empty() && IsSeparator(name[0])) || (name.size() >= 2 && name[1] == L':');
}

void EnsureFolder(const std::wstring& base, const std::wstring& path) {
  if (!base.empty() && !PathExists(Native(base))) CreateFolder(Native(base));
  if (path.empty()) return;
  const size_t last = path.find_last_of(L"\\/");
  if (last != std::wstring::npos && last > 0) EnsureFolder(base, path.substr(0, last));
  const std::wstring full = Native(base + path);
  if (!PathExists(full)) CreateFolder(full);
}

}  // namespace qm
