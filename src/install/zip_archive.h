// A read-only reader of ZIP archives held in memory. The container (end
// record, central directory, local headers) is read through minizip's unzip
// interface and deflated data is inflated by zlib; on top of that this reader
// makes entry names safe, takes attributes and times from the archive, creates
// folders and writes files under a base folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// File attribute bits, as the Windows file system stores them.
inline constexpr uint32_t kAttrReadOnly = 0x1;
inline constexpr uint32_t kAttrHidden = 0x2;
inline constexpr uint32_t kAttrSystem = 0x4;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;

// Entry names of this many bytes or more are rejected: the name buffer of the
// format's readers holds 260 bytes with the terminator.
inline constexpr size_t kMaxEntryNameBytes = 259;
inline constexpr size_t kTransferBufferSize = 16384;

// The description of one entry. Times are FILETIME values: 100-nanosecond
// units since 1601-01-01 UTC; 0 means unknown (the file keeps its own time).
struct ZipEntry {
  int index = -1;  // position in the central directory; for index -1 the number of entries
  std::wstring name;
  uint32_t attributes = 0;
  uint64_t accessTime = 0;
  uint64_t creationTime = 0;
  uint64_t writeTime = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
};

class ZipArchive {
 public:
  ZipArchive();
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Opens the archive held in data; the block must stay valid until Close.
  // The base folder becomes the current directory.
  bool OpenFromMemory(const void* data, size_t size);

  // Folder under which relative names are extracted; a separator is appended
  // unless the text ends with one.
  void SetBaseFolder(const std::wstring& folder);
  const std::wstring& BaseFolder() const { return baseFolder_; }

  // Describes entry index; index -1 yields the number of entries in the index
  // field. Fails for a corrupt local header or an unreadable extra field.
  bool GetEntry(int index, ZipEntry& entry);

  // Writes entry index to the file name (relative to the base folder unless
  // absolute), or creates the folder when the entry is a folder.
  bool ExtractEntry(int index, const std::wstring& name);

  // Inflates entry index and hands its data to sink in pieces of at most
  // kTransferBufferSize bytes. True when the whole entry was delivered; false
  // on a read error, data that ends early, or a sink that returns false.
  bool ReadEntryData(int index, const std::function<bool(const char* data, size_t size)>& sink);

  void Close();

 private:
  bool GoToEntry(int index);
  struct EntryData;
  bool DescribeEntryData(EntryData& data);
  bool ReadZip64EntryData(const EntryData& data, const std::function<bool(const char*, size_t)>& sink);
  void CloseOpenEntry();

  void* archive_ = nullptr;   // minizip's handle
  struct Source;              // the memory block the input functions read
  Source* source_ = nullptr;
  int entryCount_ = 0;
  int currentIndex_ = -1;     // the entry minizip stands on
  int openIndex_ = -1;        // the entry whose data is open for reading
  int cachedIndex_ = -1;
  ZipEntry cached_;
  std::wstring baseFolder_;
  std::vector<char> buffer_;  // the transfer buffer, allocated at the first extraction
};

// The rules that keep an entry name inside the base folder, applied until none
// applies: a drive prefix and leading separators go, and everything up to a
// parent-folder step ("\..\", "\../", "/../", "/..\") goes. A name that still
// starts with a parent-folder step loses it; false for a name that is a
// parent-folder step or ends with one, which would name the base's parent.
bool MakeEntryNameSafe(std::wstring& name);

// A DOS date and time (date in the upper 16 bits) read as local time, as a
// FILETIME in UTC; 0 for a date the calendar does not have.
uint64_t DosTimeToUtcFileTime(uint32_t dosDateTime);

// The "UT" extended timestamp block of a local extra field, when present.
struct ExtendedTimes {
  bool found = false;
  uint64_t writeTime = 0, accessTime = 0, creationTime = 0;  // 0: not given
};
ExtendedTimes ReadExtendedTimes(std::string_view extraField);

// Attribute bits from the host system (upper byte of version made by) and the
// external attributes of the central directory.
uint32_t AttributesFromHost(unsigned host, uint32_t externalAttributes);

// Creates base when missing, then each level of path below it, from the top.
void EnsureFolder(const std::wstring& base, const std::wstring& path);

// Whether a name stands alone: starts with a separator or a drive.
bool IsAbsoluteName(const std::wstring& name);

}  // namespace qm
