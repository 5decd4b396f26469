#include "install/zip_archive.h"

#include <unzip.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/paths.h"
#include "base/text.h"
#include "install/zip_output.h"
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

// The input functions over the memory block: reads and seeks stay inside it,
// and a read past its end returns the bytes that are left.
struct ZipArchive::Source {
  const unsigned char* data;
  size_t size;
  size_t position;

  static voidpf ZCALLBACK Open(voidpf opaque, const char*, int) { return opaque; }
  static uLong ZCALLBACK Read(voidpf, voidpf stream, void* buf, uLong size) {
    auto* s = static_cast<Source*>(stream);
    const size_t left = s->size - s->position;
    const size_t n = std::min<size_t>(left, size);
    if (n > 0) std::memcpy(buf, s->data + s->position, n);
    s->position += n;
    return static_cast<uLong>(n);
  }
  static uLong ZCALLBACK Write(voidpf, voidpf, const void*, uLong) { return 0; }
  static long ZCALLBACK Tell(voidpf, voidpf stream) { return static_cast<long>(static_cast<Source*>(stream)->position); }
  static long ZCALLBACK Seek(voidpf, voidpf stream, uLong offset, int origin) {
    auto* s = static_cast<Source*>(stream);
    size_t from = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) {
      from = s->position;
    } else if (origin == ZLIB_FILEFUNC_SEEK_END) {
      from = s->size;
    } else if (origin != ZLIB_FILEFUNC_SEEK_SET) {
      return -1;
    }
    if (offset > s->size || from > s->size - offset) return -1;
    s->position = from + offset;
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
  zlib_filefunc_def functions{};
  functions.zopen_file = &Source::Open;
  functions.zread_file = &Source::Read;
  functions.zwrite_file = &Source::Write;
  functions.ztell_file = &Source::Tell;
  functions.zseek_file = &Source::Seek;
  functions.zclose_file = &Source::CloseStream;
  functions.zerror_file = &Source::Error;
  functions.opaque = source_;
  unzFile file = unzOpen2("", &functions);
  unz_global_info info{};
  if (!file || unzGetGlobalInfo(file, &info) != UNZ_OK || info.number_entry > 0x7FFFFFFF) {
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

  unz_file_info info{};
  char rawName[kMaxEntryNameBytes + 1] = {};
  if (unzGetCurrentFileInfo(archive_, &info, rawName, sizeof rawName, nullptr, 0, nullptr, 0) != UNZ_OK) {
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
  result.compressedSize = static_cast<uint32_t>(info.compressed_size);
  result.uncompressedSize = static_cast<uint32_t>(info.uncompressed_size);
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

bool ZipArchive::ReadEntryData(int index, const std::function<bool(const char*, size_t)>& sink) {
  CloseOpenEntry();
  if (!GoToEntry(index)) return false;
  if (unzOpenCurrentFile(archive_) != UNZ_OK) return false;
  openIndex_ = index;
  if (buffer_.empty()) buffer_.resize(kTransferBufferSize);
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
  // A CRC mismatch found on closing is not reported: the data is written.
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

  ZipOutputFile file;
  if (!file.Create(Native(target), entry.attributes)) return false;
  bool writeFailed = false;
  const bool complete = ReadEntryData(index, [&](const char* data, size_t size) {
    if (!file.Write(data, size)) {
      writeFailed = true;
      return false;
    }
    return true;
  });
  const bool ok = complete && !writeFailed;
  if (ok) file.SetTimes(entry.creationTime, entry.accessTime, entry.writeTime);
  file.Close();
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

bool MakeEntryNameSafe(std::wstring& name) {
  static const wchar_t* const kParentSteps[] = {L"\\..\\", L"\\../", L"/../", L"/..\\"};
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
