// Clearing the web engine's cache from the frame (the "清除缓存" button,
// command 1030, and the tray item "清理缓存", command 32776). A worker thread
// runs two passes: first the engine's cache entries other than cookies, then
// the contents of the engine's disk cache folder; then it reports its end to
// the frame with command 10002, which hides the overlay. Every step leaves a
// trace line on the debugger output channel; the player sees none of them.
//
// Windows: the entries are the WinInet URL cache (every entry without the
// cookie bit is deleted) and the folder is the temporary internet files folder.
// Linux: the entries are the engine's website data other than cookies, which
// only the engine that owns them may remove (the caller supplies that step),
// and the folder is the engine's disk cache folder, given as a path.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame/frame_commands.h"

namespace qm {

// Where trace lines go; empty means the debugger output channel (DebugOutput).
using CacheTraceSink = std::function<void(const std::wstring& line)>;

// The trace lines, each ending in "\r\n".
namespace cache_trace {
std::wstring FirstQueryFound(unsigned long size);
std::wstring FirstQueryNotFound();
std::wstring SecondQueryFound(unsigned long size);
std::wstring SecondQueryNotFound();
std::wstring FolderLocated(const std::wstring& folder);
std::wstring FolderCleaningBegins(const std::wstring& folder);
std::wstring FileDeleted(const std::wstring& fileName);
std::wstring FileDeleteFailed(const std::wstring& fileName, long errorCode);
}  // namespace cache_trace

struct CacheCleaningJob {
  // Linux: starts removing the engine's website data other than cookies and
  // calls done exactly once when that has finished, from any thread. It runs
  // on the GTK main loop's thread (the worker queues it there and waits for
  // done, at most kWebsiteDataWaitSeconds, before the folder pass), so the
  // worker must not be that thread. Empty: no such pass.
  // Windows: not used; the URL cache is cleared directly.
  std::function<void(std::function<void(bool ok)> done)> clearWebsiteData;
  // The folder whose contents the second pass deletes. Empty: Windows locates
  // the temporary internet files folder; Linux skips the pass.
  std::wstring cacheFolder;
  // Called on the worker thread with kCommandCacheCleaned when both
  // passes are over. It must hand the command to the frame's own thread
  // (Windows: SendMessageW of WM_COMMAND; Linux: a main-loop source) and stay
  // safe to call after the frame has gone.
  std::function<void(unsigned command)> reportEnd;
  CacheTraceSink trace;
};

constexpr int kWebsiteDataWaitSeconds = 30;

// The worker's body: the entries pass, the folder pass, the end report.
void CacheCleanWorker(const CacheCleaningJob& job);

// Runs CacheCleanWorker on a new thread of its own and returns at once. Each
// request gets its own worker; two requests at once run side by side.
void StartCacheCleaningWorker(CacheCleaningJob job);

// Empties folder (the folder itself stays): every entry but "desktop.ini"
// (any case) is deleted, read-only ones included; subfolders are emptied the
// same way and then removed. A file that cannot be deleted (in use) is traced
// with its error code and left; the pass goes on. Links are removed, never
// followed. False when the folder cannot be listed.
bool DeleteFolderContents(const std::wstring& folder, const CacheTraceSink& trace);

// ---- This build's platform part -------------------------------------------

// The first pass (Windows: ClearUrlCache over the WinInet URL cache with its
// trace lines; Linux: job.clearWebsiteData, waited for). False when nothing
// could be cleared.
bool ClearEngineCacheEntries(const CacheCleaningJob& job, const CacheTraceSink& trace);

// The folder the second pass empties for the game view's engine data folder.
// Windows: empty (the temporary internet files folder is located instead);
// Linux: the engine's disk cache folder below it.
std::wstring CacheCleaningFolder(const std::wstring& engineDataFolder);

// Whether the first pass must be asked of the game process. Linux: its
// engine owns the website data, and only the engine that owns it may remove
// it while it runs. Windows: the URL cache is the system's, cleared from the
// frame's worker directly.
bool WebsiteDataClearedByGameProcess();

// Windows: the temporary internet files folder, not created when missing.
// Linux: none; the engine's folder comes with the job.
std::optional<std::wstring> LocateInternetCacheFolder();

struct CacheFolderEntry {
  std::wstring name;
  bool directory = false;  // a real folder (a link to a folder counts as a file)
};

// One folder of the folder pass, held open while it is emptied. Its entries
// are listed, opened and deleted relative to it and never through a link, so
// that nothing outside the folder being cleaned is touched, whatever another
// program does to the tree meanwhile: a subfolder swapped for a link after
// it was listed is removed as the link it has become. Linux: a descriptor,
// entries reached with openat / unlinkat and O_NOFOLLOW. Windows: a handle
// that keeps the folder from being renamed or deleted while it is walked,
// entries opened as themselves (FILE_FLAG_OPEN_REPARSE_POINT) and deleted
// through their own handles.
class CacheFolder {
 public:
  // The folder to clean, reached as the system resolves its path; null when
  // it cannot be opened as a folder.
  static std::unique_ptr<CacheFolder> Open(const std::wstring& path);
  virtual ~CacheFolder() = default;

  // The entries without "." and "..", in the order the system lists them;
  // false when the folder cannot be listed.
  virtual bool List(std::vector<CacheFolderEntry>* entries) const = 0;
  // The entry as a folder of its own, made writable so that it can be
  // emptied. Null when it cannot be opened; *isFolder then says whether it
  // is still a real folder (false: it is a link or a file by now).
  virtual std::unique_ptr<CacheFolder> OpenSubfolder(const std::wstring& name, bool* isFolder) const = 0;
  // Deletes a file or link entry, read-only ones included; on failure
  // *errorCode is the system's code.
  virtual bool DeleteEntry(const std::wstring& name, long* errorCode) const = 0;
  // Removes an emptied subfolder (after its CacheFolder has gone); false
  // when it is not empty.
  virtual bool RemoveSubfolder(const std::wstring& name) const = 0;
};

namespace cache_files {
std::wstring Join(const std::wstring& folder, const std::wstring& name);
// Files the running engine keeps open as databases and that a folder pass
// must never delete behind its back (Linux: SQLite files; Windows: none).
bool IsEngineDatabase(const std::wstring& name);
}  // namespace cache_files

}  // namespace qm
