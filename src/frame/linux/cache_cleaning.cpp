// The Linux passes over the WebKitGTK engine of the game view.
//
// Why this is safe while the game process runs: the game view's engine (its
// network process holds the cookie database and the disk cache) belongs to
// the game process, not to the launcher. The launcher therefore never deletes
// the engine's website data itself. The first pass is the caller's
// clearWebsiteData step, which asks the engine that owns the data to remove
// everything but cookies through its own API (the game process does it on the
// frame's request over the game channel, WebView::ClearWebsiteDataExceptCookies),
// so the engine updates its databases and in-memory state together. The second
// pass deletes files only inside the engine's HTTP disk cache folder, whose
// records the engine treats as a cache: a record that is gone is a cache miss,
// and a file the network process still holds open stays readable by it until
// closed. SQLite databases (where cookies and storage live) are never deleted
// by the folder pass even if one is found there, and links are removed, never
// followed out of the folder: the walk goes by descriptors, so a folder
// swapped for a link while it is walked cannot lead it outside.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include <dirent.h>
#include <glib.h>

#include "base/text.h"
#include "frame/cache_cleaning.h"
#include "platform/linux/owners.h"

namespace qm {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const noexcept { closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Waits for the engine's done call, which may come from any thread, or
// arrive after the worker stopped waiting.
struct WaitState {
  std::mutex mutex;
  std::condition_variable changed;
  bool done = false;
  bool ok = false;
};

// The step runs on the main loop's thread (the engine and the game channel
// live there); the worker waits here for its done call.
struct WebsiteDataRequest {
  std::function<void(std::function<void(bool ok)> done)> step;
  std::shared_ptr<WaitState> state;
};

gboolean RunWebsiteDataStep(gpointer data) {
  std::unique_ptr<WebsiteDataRequest> request(static_cast<WebsiteDataRequest*>(data));
  auto state = request->state;
  request->step([state](bool ok) {
    std::lock_guard<std::mutex> lock(state->mutex);
    if (state->done) return;
    state->done = true;
    state->ok = ok;
    state->changed.notify_all();
  });
  return G_SOURCE_REMOVE;
}

}  // namespace

bool ClearEngineCacheEntries(const CacheCleaningJob& job, const CacheTraceSink&) {
  if (!job.clearWebsiteData) return false;
  auto state = std::make_shared<WaitState>();
  g_idle_add(&RunWebsiteDataStep, new WebsiteDataRequest{job.clearWebsiteData, state});
  std::unique_lock<std::mutex> lock(state->mutex);
  state->changed.wait_for(lock, std::chrono::seconds(kWebsiteDataWaitSeconds), [&] { return state->done; });
  return state->done && state->ok;
}

std::wstring CacheCleaningFolder(const std::wstring& engineDataFolder) {
  if (engineDataFolder.empty()) return {};
  return engineDataFolder + L"/cache";
}

bool WebsiteDataClearedByGameProcess() { return true; }

std::optional<std::wstring> LocateInternetCacheFolder() { return std::nullopt; }

namespace {

class FdCacheFolder final : public CacheFolder {
 public:
  explicit FdCacheFolder(UniqueFd fd) : fd_(std::move(fd)) {}

  bool List(std::vector<CacheFolderEntry>* entries) const override {
    // The listing reads a descriptor of its own (closedir closes it), from
    // the start.
    UniqueFd listing(fcntl(fd_.get(), F_DUPFD_CLOEXEC, 0));
    if (!listing) return false;
    UniqueDir dir(fdopendir(listing.get()));
    if (!dir) return false;
    listing.release();
    rewinddir(dir.get());
    while (const dirent* item = readdir(dir.get())) {
      const std::string name = item->d_name;
      if (name == "." || name == "..") continue;
      struct stat facts {};
      // Not followed: a link to a folder is removed as a link.
      if (fstatat(fd_.get(), name.c_str(), &facts, AT_SYMLINK_NOFOLLOW) != 0) continue;
      entries->push_back({WideFromUtf8(name), S_ISDIR(facts.st_mode)});
    }
    return true;
  }

  std::unique_ptr<CacheFolder> OpenSubfolder(const std::wstring& name, bool* isFolder) const override {
    UniqueFd sub(openat(fd_.get(), Utf8FromWide(name).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!sub) {
      // ELOOP: a link now; ENOTDIR: a file now. Anything else (gone, no
      // permission) leaves it as a folder that cannot be emptied.
      *isFolder = errno != ELOOP && errno != ENOTDIR;
      return nullptr;
    }
    *isFolder = true;
    // A folder needs the owner's write permission to be emptied; given
    // through the descriptor, so it reaches this very folder.
    struct stat facts {};
    if (fstat(sub.get(), &facts) == 0 && !(facts.st_mode & S_IWUSR)) fchmod(sub.get(), (facts.st_mode & 07777) | S_IWUSR);
    return std::make_unique<FdCacheFolder>(std::move(sub));
  }

  bool DeleteEntry(const std::wstring& name, long* errorCode) const override {
    if (unlinkat(fd_.get(), Utf8FromWide(name).c_str(), 0) == 0) return true;
    *errorCode = errno;
    return false;
  }

  bool RemoveSubfolder(const std::wstring& name) const override {
    return unlinkat(fd_.get(), Utf8FromWide(name).c_str(), AT_REMOVEDIR) == 0;
  }

 private:
  UniqueFd fd_;
};

}  // namespace

std::unique_ptr<CacheFolder> CacheFolder::Open(const std::wstring& path) {
  UniqueFd fd(open(Utf8FromWide(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd) return nullptr;
  return std::make_unique<FdCacheFolder>(std::move(fd));
}

namespace cache_files {

std::wstring Join(const std::wstring& folder, const std::wstring& name) { return folder + L"/" + name; }

bool IsEngineDatabase(const std::wstring& name) {
  for (const wchar_t* tail : {L".sqlite", L".sqlite-wal", L".sqlite-shm", L".sqlite-journal", L".db", L".db-wal",
                              L".db-shm", L".db-journal"}) {
    if (EndsWith(name, tail)) return true;
  }
  return false;
}

}  // namespace cache_files

}  // namespace qm
