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

namespace cache_files {

bool List(const std::wstring& folder, std::vector<CacheFolderEntry>* entries) {
  WIN32_FIND_DATAW data{};
  UniqueFindHandle find(FindFirstFileW((folder + L"\\*.*").c_str(), &data));
  if (!find) return false;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    // A junction or folder link is removed as a link; following it would
    // empty whatever folder it points at.
    const bool directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                           !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    entries->push_back({name, directory});
  } while (FindNextFileW(find.get(), &data));
  return true;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) { return folder + L"\\" + name; }

void ClearReadOnly(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
}

bool DeleteOne(const std::wstring& path, long* errorCode) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  // A folder link goes with RemoveDirectoryW, which leaves its target alone.
  const bool folderLink = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (folderLink ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())) return true;
  *errorCode = static_cast<long>(GetLastError());
  return false;
}

bool RemoveEmptyFolder(const std::wstring& path) { return RemoveDirectoryW(path.c_str()) != 0; }

bool IsEngineDatabase(const std::wstring&) { return false; }

}  // namespace cache_files

}  // namespace qm
