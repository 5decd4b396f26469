// The Windows passes: the WinInet URL cache and the temporary internet files
// folder of the web browser control that shows the game.
#include "frame/cache_cleaning.h"

#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <vector>

#include "platform/win32/owners.h"

namespace qm {

namespace {

// A buffer for one cache entry record; WinInet tells the size it needs.
struct EntryBuffer {
  std::vector<unsigned char> bytes;
  explicit EntryBuffer(DWORD size) : bytes(size < sizeof(INTERNET_CACHE_ENTRY_INFOW) ? sizeof(INTERNET_CACHE_ENTRY_INFOW) : size) {}
  INTERNET_CACHE_ENTRY_INFOW* info() { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(bytes.data()); }
};

}  // namespace

bool ClearEngineCacheEntries(const CacheCleaningJob&, const CacheTraceSink& trace) {
  // First query without a buffer: it fails for lack of room and tells the
  // size the first entry needs; that failure means an entry was found.
  DWORD size = 0;
  {
    UniqueUrlCacheFind probe(FindFirstUrlCacheEntryW(nullptr, nullptr, &size));
    const bool found = probe || GetLastError() == ERROR_INSUFFICIENT_BUFFER;
    trace(found ? cache_trace::FirstQueryFound(size) : cache_trace::FirstQueryNotFound());
  }
  DWORD bufferSize = size;
  EntryBuffer entry(bufferSize);
  // With size 0 (no entries) the second query fails too; the record is
  // never read then.
  DWORD asked = size;
  UniqueUrlCacheFind find(size ? FindFirstUrlCacheEntryW(nullptr, entry.info(), &asked) : nullptr);
  if (!find) {
    trace(cache_trace::SecondQueryNotFound());
    return false;
  }
  trace(cache_trace::SecondQueryFound(bufferSize));
  for (;;) {
    if (!(entry.info()->CacheEntryType & COOKIE_CACHE_ENTRY) && entry.info()->lpszSourceUrlName) {
      DeleteUrlCacheEntryW(entry.info()->lpszSourceUrlName);
    }
    DWORD nextSize = 0;
    if (FindNextUrlCacheEntryW(find.get(), nullptr, &nextSize) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        nextSize == 0) {
      break;  // no further entry
    }
    entry = EntryBuffer(nextSize);
    DWORD askedNext = nextSize;
    if (!FindNextUrlCacheEntryW(find.get(), entry.info(), &askedNext)) break;
  }
  return true;
}

std::wstring CacheCleaningFolder(const std::wstring&) { return {}; }

bool WebsiteDataClearedByGameProcess() { return false; }

std::optional<std::wstring> LocateInternetCacheFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_INTERNET_CACHE, FALSE)) return std::nullopt;
  return std::wstring(folder);
}

namespace {

struct EntryFacts {
  DWORD attributes = 0;
  bool folder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT); }
};

// Opens the entry itself: a junction or link is opened as the link, never
// as what it points at.
UniqueFileHandle OpenEntry(const std::wstring& path, DWORD access, DWORD share) {
  return UniqueFileHandle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

std::optional<EntryFacts> FactsOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  return EntryFacts{info.dwFileAttributes};
}

// Clears the read-only attribute through the entry's own handle.
void ClearReadOnly(HANDLE handle, const EntryFacts& facts) {
  if (!(facts.attributes & FILE_ATTRIBUTE_READONLY)) return;
  FILE_BASIC_INFO basic{};
  if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)) return;
  basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
}

class HandleCacheFolder final : public CacheFolder {
 public:
  HandleCacheFolder(std::wstring path, UniqueFileHandle handle) : path_(std::move(path)), handle_(std::move(handle)) {}

  bool List(std::vector<CacheFolderEntry>* entries) const override {
    // The path is this very folder: the open handle keeps it from being
    // renamed or replaced while it is walked.
    WIN32_FIND_DATAW data{};
    UniqueFindHandle find(FindFirstFileW((path_ + L"\\*.*").c_str(), &data));
    if (!find) return false;
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      entries->push_back({name, EntryFacts{data.dwFileAttributes}.folder()});
    } while (FindNextFileW(find.get(), &data));
    return true;
  }

  std::unique_ptr<CacheFolder> OpenSubfolder(const std::wstring& name, bool* isFolder) const override {
    const std::wstring path = cache_files::Join(path_, name);
    // Shared for reading and writing, not for deleting: nobody renames or
    // removes the folder while its contents are deleted.
    UniqueFileHandle sub = OpenEntry(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE);
    const std::optional<EntryFacts> facts = sub ? FactsOf(sub.get()) : std::nullopt;
    if (!facts) {
      *isFolder = true;  // gone or held: left as a folder that cannot be emptied
      return nullptr;
    }
    *isFolder = facts->folder();
    if (!*isFolder) return nullptr;
    ClearReadOnly(sub.get(), *facts);
    return std::make_unique<HandleCacheFolder>(path, std::move(sub));
  }

  bool DeleteEntry(const std::wstring& name, long* errorCode) const override {
    const UniqueFileHandle entry = OpenEntry(cache_files::Join(path_, name),
                                             DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (entry) {
      if (const std::optional<EntryFacts> facts = FactsOf(entry.get())) ClearReadOnly(entry.get(), *facts);
      FILE_DISPOSITION_INFO disposition{TRUE};
      if (SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition, sizeof disposition)) return true;
    }
    *errorCode = static_cast<long>(GetLastError());
    return false;
  }

  bool RemoveSubfolder(const std::wstring& name) const override {
    // RemoveDirectoryW removes a junction put there meanwhile as the link,
    // and leaves its target alone.
    return RemoveDirectoryW(cache_files::Join(path_, name).c_str()) != 0;
  }

 private:
  std::wstring path_;
  UniqueFileHandle handle_;
};

}  // namespace

std::unique_ptr<CacheFolder> CacheFolder::Open(const std::wstring& path) {
  UniqueFileHandle handle(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return nullptr;
  const std::optional<EntryFacts> facts = FactsOf(handle.get());
  if (!facts || !(facts->attributes & FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
  return std::make_unique<HandleCacheFolder>(path, std::move(handle));
}

namespace cache_files {

std::wstring Join(const std::wstring& folder, const std::wstring& name) { return folder + L"\\" + name; }

bool IsEngineDatabase(const std::wstring&) { return false; }

}  // namespace cache_files

}  // namespace qm
