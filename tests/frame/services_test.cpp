// The frame's services as portable rules and over real files: the prompt
// texts and answers, the tray menu table and its place, the cache-cleaning
// trace lines, the folder pass over a prepared folder, and the worker.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "platform/files.h"
#include "base/text.h"
#include "frame/cache_cleaning.h"
#include "frame/exit_prompts.h"
#include "frame/tray_icon.h"
#include "support/held_file.h"
#include "support/temp_dir.h"
#include "ui/ui_ids.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qm {
namespace {

namespace fs = std::filesystem;

// ---- Prompts ---------------------------------------------------------------

TEST(ExitPrompts, TextsOfBothQuestions) {
  EXPECT_EQ(QuitPromptTexts(), (PromptTexts{L"关闭提示", L"是否退出Quellmoor登录器？"}));
  EXPECT_EQ(QuitPromptTexts(L"X"), (PromptTexts{L"关闭提示", L"是否退出X？"}));
  EXPECT_EQ(ChooseServerPromptTexts(), (PromptTexts{L"选服", L"是否退出当前区服，重新选择新区服？"}));
}

TEST(ExitPrompts, OnlyOkGoesAhead) {
  struct Case {
    int answer;
    bool proceeds;
  };
  for (const Case c : {Case{IDOK, true}, Case{IDCANCEL, false}, Case{0, false}, Case{-1, false}, Case{7, false}}) {
    PromptTexts asked;
    const PromptRunner runner = [&](const PromptTexts& texts) {
      asked = texts;
      return c.answer;
    };
    EXPECT_EQ(QuitPrompt(runner), c.proceeds) << c.answer;
    EXPECT_EQ(asked, QuitPromptTexts());
    EXPECT_EQ(ChooseServerPrompt(runner), c.proceeds) << c.answer;
    EXPECT_EQ(asked, ChooseServerPromptTexts());
  }
}

// ---- Tray menu ---------------------------------------------------------------

TEST(TrayMenu, ItemsInOrderWithTheirCommands) {
  const auto& items = TrayMenuItems();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].command, 32775u);
  EXPECT_EQ(items[0].text, L"隐藏/显示(F10)");
  EXPECT_EQ(items[1].command, 32776u);
  EXPECT_EQ(items[1].text, L"清理缓存");
  EXPECT_EQ(items[2].command, 32777u);
  EXPECT_EQ(items[2].text, L"退出");
}

TEST(TrayMenu, OpensWithItsLeftEdge130PixelsLeftOfTheCursor) {
  EXPECT_EQ(TrayMenuOrigin(500, 20), (TrayPoint{370, 20}));
  EXPECT_EQ(TrayMenuOrigin(30, 5), (TrayPoint{-100, 5}));  // the system keeps it on screen
}

TEST(TrayMenu, TipIsCutTo127Characters) {
  EXPECT_EQ(TrayTipText(L"Quellmoor登录器"), L"Quellmoor登录器");
  const std::wstring longTitle(200, L'题');
  EXPECT_EQ(TrayTipText(longTitle), std::wstring(127, L'题'));
  EXPECT_EQ(TrayTipText(std::wstring(127, L'a')).size(), 127u);
}

// ---- Trace lines -------------------------------------------------------------

TEST(CacheTrace, LinesAsTheToolsReadThem) {
  EXPECT_EQ(cache_trace::FirstQueryFound(1234), L"*******第一次查找缓存:缓存大小为:1234。************\r\n");
  EXPECT_EQ(cache_trace::FirstQueryNotFound(), L"*******第一次查找缓存:未找到缓存。************\r\n");
  EXPECT_EQ(cache_trace::SecondQueryFound(88), L"*******第二次查找缓存:缓存大小为:88。************\r\n");
  EXPECT_EQ(cache_trace::SecondQueryNotFound(), L"*******第二次查找缓存:未找到缓存。************\r\n");
  EXPECT_EQ(cache_trace::FolderLocated(L"C:\\x"), L"临时文件夹路径为:C:\\x\r\n");
  EXPECT_EQ(cache_trace::FolderCleaningBegins(L"/c"), L"开始清理/c文件夹\r\n");
  EXPECT_EQ(cache_trace::FileDeleted(L"a.bin"), L"开始清理a.bin文件夹\r\n");
  EXPECT_EQ(cache_trace::FileDeleteFailed(L"b.dat", 32),
            L"***********删除文件:b.dat失败，错误代码:32******************\r\n");
}

// ---- Folder pass -------------------------------------------------------------

struct TraceLog {
  std::mutex mutex;
  std::vector<std::wstring> lines;
  CacheTraceSink sink() {
    return [this](const std::wstring& line) {
      std::lock_guard<std::mutex> lock(mutex);
      lines.push_back(line);
    };
  }
  bool Has(const std::wstring& line) {
    std::lock_guard<std::mutex> lock(mutex);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  std::size_t IndexOf(const std::wstring& line) {
    std::lock_guard<std::mutex> lock(mutex);
    return std::find(lines.begin(), lines.end(), line) - lines.begin();
  }
};

void MakeReadOnly(const fs::path& path) {
#ifdef _WIN32
  SetFileAttributesW(path.wstring().c_str(), GetFileAttributesW(path.wstring().c_str()) | FILE_ATTRIBUTE_READONLY);
#else
  chmod(path.c_str(), fs::is_directory(path) ? 0555 : 0444);
#endif
}

// A cache folder as the engine leaves it: files, a read-only file, nested
// folders (one read-only), and desktop.ini files that must stay.
struct PreparedCache {
  test::TempDir dir;
  fs::path root() const { return dir.path() / "cache"; }
  PreparedCache() {
    test::WriteFile(root() / "page.html", "<html>");
    test::WriteFile(root() / "readonly.bin", "ro");
    MakeReadOnly(root() / "readonly.bin");
    test::WriteFile(root() / "desktop.ini", "[.ShellClassInfo]");
    test::WriteFile(root() / "Sub1" / "a.js", "js");
    test::WriteFile(root() / "Sub1" / "Deep" / "b.css", "css");
    test::WriteFile(root() / "Sub2" / "DESKTOP.INI", "keep");
    test::WriteFile(root() / "Sub2" / "c.png", "png");
    test::WriteFile(root() / "Locked" / "d.gif", "gif");
    MakeReadOnly(root() / "Locked" / "d.gif");
    MakeReadOnly(root() / "Locked");
  }
  std::wstring folder() const { return WidePath(root()); }
};

std::vector<std::string> Remaining(const fs::path& root) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    names.push_back(fs::relative(entry.path(), root).generic_string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(DeleteFolderContents, EmptiesTheFolderButKeepsItAndItsDesktopIni) {
  PreparedCache cache;
  TraceLog trace;
  ASSERT_TRUE(DeleteFolderContents(cache.folder(), trace.sink()));
  ASSERT_TRUE(fs::is_directory(cache.root()));
  EXPECT_EQ(Remaining(cache.root()), (std::vector<std::string>{"Sub2", "Sub2/DESKTOP.INI", "desktop.ini"}));

  EXPECT_EQ(trace.lines.front(), cache_trace::FolderCleaningBegins(cache.folder()));
  for (const wchar_t* name : {L"page.html", L"readonly.bin", L"a.js", L"b.css", L"c.png", L"d.gif"}) {
    EXPECT_TRUE(trace.Has(cache_trace::FileDeleted(name))) << Utf8FromWide(name);
  }
  // Each subfolder's cleaning is announced with its full path, before its files.
  const std::wstring sub1 = cache.folder() + (fs::path::preferred_separator == L'\\' ? L"\\" : L"/") + L"Sub1";
  EXPECT_LT(trace.IndexOf(cache_trace::FolderCleaningBegins(sub1)), trace.IndexOf(cache_trace::FileDeleted(L"a.js")));
  for (const auto& line : trace.lines) {
    EXPECT_EQ(line.find(L"删除文件"), std::wstring::npos) << Utf8FromWide(line);
    EXPECT_EQ(line.find(L"desktop.ini"), std::wstring::npos);
  }
}

TEST(DeleteFolderContents, AMissingFolderCannotBeCleaned) {
  test::TempDir dir;
  TraceLog trace;
  EXPECT_FALSE(DeleteFolderContents(dir.Sub(L"absent"), trace.sink()));
  EXPECT_EQ(trace.lines, std::vector<std::wstring>{cache_trace::FolderCleaningBegins(dir.Sub(L"absent"))});
}

#ifdef _WIN32
TEST(DeleteFolderContents, AFileInUseIsTracedWithItsErrorAndLeft) {
  PreparedCache cache;
  const fs::path busy = cache.root() / "Sub1" / "index.dat";
  test::WriteFile(busy, "held");
  test::HeldFile held(busy);
  ASSERT_TRUE(held.held());
  TraceLog trace;
  ASSERT_TRUE(DeleteFolderContents(cache.folder(), trace.sink()));
  held.LetGo();
  EXPECT_TRUE(fs::exists(busy));
  EXPECT_TRUE(fs::exists(cache.root() / "Sub1")) << "a folder that kept a file stays";
  EXPECT_FALSE(fs::exists(cache.root() / "Sub1" / "a.js"));
  EXPECT_TRUE(trace.Has(cache_trace::FileDeleteFailed(L"index.dat", ERROR_SHARING_VIOLATION)));
}

TEST(DeleteFolderContents, AFolderBeingEmptiedCannotBeMovedAwayMeanwhile) {
  PreparedCache cache;
  test::TempDir elsewhere;
  // Another program tries to move the folder being walked (and so to put a
  // junction in its place) while the walk deletes inside it.
  const std::wstring sub1 = cache.folder() + L"\\Sub1";
  const std::wstring moved = elsewhere.Sub(L"moved");
  bool tried = false;
  BOOL movedAway = FALSE;
  const CacheTraceSink sink = [&](const std::wstring& line) {
    if (tried || line != cache_trace::FileDeleted(L"a.js")) return;
    tried = true;
    movedAway = MoveFileW(sub1.c_str(), moved.c_str());
  };
  ASSERT_TRUE(DeleteFolderContents(cache.folder(), sink));
  EXPECT_TRUE(tried);
  EXPECT_FALSE(movedAway) << "the folder was moved away while it was being emptied";
  EXPECT_FALSE(fs::exists(cache.root() / "Sub1"));
  EXPECT_FALSE(fs::exists(elsewhere.path() / "moved"));
}
#else
TEST(DeleteFolderContents, AnOpenFileIsDeletedAndItsReaderKeepsReading) {
  PreparedCache cache;
  const fs::path busy = cache.root() / "Sub1" / "record";
  test::WriteFile(busy, "held bytes");
  test::HeldFile held(busy);
  ASSERT_TRUE(held.held());
  TraceLog trace;
  ASSERT_TRUE(DeleteFolderContents(cache.folder(), trace.sink()));
  char buffer[16] = {};
  EXPECT_EQ(held.Read(buffer, 10), 10u);
  held.LetGo();
  EXPECT_STREQ(buffer, "held bytes");
  EXPECT_FALSE(fs::exists(busy));
}

TEST(DeleteFolderContents, LinksAreRemovedNeverFollowed) {
  PreparedCache cache;
  test::TempDir outside;
  test::WriteFile(outside.path() / "precious.txt", "keep");
  fs::create_directory_symlink(outside.path(), cache.root() / "link-to-folder");
  fs::create_symlink(outside.path() / "precious.txt", cache.root() / "link-to-file");
  TraceLog trace;
  ASSERT_TRUE(DeleteFolderContents(cache.folder(), trace.sink()));
  EXPECT_TRUE(fs::exists(outside.path() / "precious.txt"));
  EXPECT_FALSE(fs::is_symlink(cache.root() / "link-to-folder"));
  EXPECT_FALSE(fs::is_symlink(cache.root() / "link-to-file"));
}

TEST(DeleteFolderContents, FoldersSwappedForLinksWhileTheWalkGoesOnLeaveTheOutsideAlone) {
  PreparedCache cache;
  test::TempDir outside;
  for (int i = 0; i < 20; ++i) test::WriteFile(outside.path() / ("precious" + std::to_string(i)), "keep");
  test::WriteFile(cache.root() / "Swapped" / "x.js", "js");
  test::TempDir elsewhere;
  // Another program swaps a folder for a link to the outside after the walk
  // listed it and announced it, before the walk goes into it: a top folder,
  // and a nested one whose parent is being emptied already.
  const std::map<std::wstring, fs::path> swaps = {
      {cache.folder() + L"/Swapped", cache.root() / "Swapped"},
      {cache.folder() + L"/Sub1/Deep", cache.root() / "Sub1" / "Deep"},
  };
  int swapped = 0;
  const CacheTraceSink sink = [&](const std::wstring& line) {
    for (const auto& [folder, path] : swaps) {
      if (line != cache_trace::FolderCleaningBegins(folder)) continue;
      fs::rename(path, elsewhere.path() / ("moved" + std::to_string(swapped)));
      fs::create_directory_symlink(outside.path(), path);
      ++swapped;
    }
  };
  ASSERT_TRUE(DeleteFolderContents(cache.folder(), sink));
  EXPECT_EQ(swapped, 2);
  int kept = 0;
  for (const auto& entry : fs::directory_iterator(outside.path())) kept += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(kept, 20) << "files outside the cache folder were deleted";
  // The links themselves are gone, as any link in the cache folder.
  EXPECT_FALSE(fs::exists(fs::symlink_status(cache.root() / "Swapped")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(cache.root() / "Sub1" / "Deep")));
}

TEST(DeleteFolderContents, TheEnginesDatabasesStay) {
  PreparedCache cache;
  test::WriteFile(cache.root() / "hsts-storage.sqlite", "db");
  test::WriteFile(cache.root() / "hsts-storage.sqlite-wal", "wal");
  test::WriteFile(cache.root() / "WebKitCache" / "Version 16" / "salt", "s");
  TraceLog trace;
  ASSERT_TRUE(DeleteFolderContents(cache.folder(), trace.sink()));
  EXPECT_EQ(Remaining(cache.root()), (std::vector<std::string>{"Sub2", "Sub2/DESKTOP.INI", "desktop.ini",
                                                               "hsts-storage.sqlite", "hsts-storage.sqlite-wal"}));
}
#endif

// ---- Worker ----------------------------------------------------------------

struct EndReports {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<unsigned> commands;
  std::function<void(unsigned)> sink() {
    return [this](unsigned command) {
      std::lock_guard<std::mutex> lock(mutex);
      commands.push_back(command);
      changed.notify_all();
    };
  }
  bool WaitFor(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(20), [&] { return commands.size() >= count; });
  }
};

#ifdef _WIN32
TEST(CacheCleanWorker, EntriesThenFolderThenTheEndReport) {
  PreparedCache cache;
  TraceLog trace;
  EndReports ends;
  CacheCleaningJob job;
  job.cacheFolder = cache.folder();
  job.trace = trace.sink();
  job.reportEnd = ends.sink();
  // The Windows entries pass is the URL cache itself (tested with a prepared
  // cache in url_cache_test); the website-data step is not used there.
  CacheCleanWorker(job);
  EXPECT_EQ(ends.commands, std::vector<unsigned>{kCommandCacheCleaned});
  EXPECT_LT(trace.IndexOf(cache_trace::FolderLocated(cache.folder())),
            trace.IndexOf(cache_trace::FolderCleaningBegins(cache.folder())));
  EXPECT_FALSE(fs::exists(cache.root() / "page.html"));
}
#else
TEST(CacheCleanWorker, WebsiteDataOnTheMainLoopThenFolderThenTheEndReport) {
  PreparedCache cache;
  TraceLog trace;
  EndReports ends;
  std::mutex orderMutex;
  std::vector<std::string> order;
  auto note = [&](const std::string& what) {
    std::lock_guard<std::mutex> lock(orderMutex);
    order.push_back(what);
  };
  const std::thread::id mainLoopThread = std::this_thread::get_id();
  CacheCleaningJob job;
  job.cacheFolder = cache.folder();
  job.trace = trace.sink();
  job.reportEnd = [&](unsigned command) {
    note("end");
    ends.sink()(command);
  };
  std::thread engine;
  job.clearWebsiteData = [&](std::function<void(bool)> done) {
    note(std::this_thread::get_id() == mainLoopThread ? "step on the main loop" : "step elsewhere");
    // The engine answers later, from a thread of its own; the folder must
    // still be untouched until then.
    engine = std::thread([&, done] {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      note(fs::exists(cache.root() / "page.html") ? "entries before folder" : "folder first");
      done(true);
      done(true);  // a second call changes nothing
    });
  };
  StartCacheCleaningWorker(job);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < end) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    {
      std::lock_guard<std::mutex> lock(ends.mutex);
      if (!ends.commands.empty()) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (engine.joinable()) engine.join();
  EXPECT_EQ(order, (std::vector<std::string>{"step on the main loop", "entries before folder", "end"}));
  EXPECT_EQ(ends.commands, std::vector<unsigned>{kCommandCacheCleaned});
  EXPECT_LT(trace.IndexOf(cache_trace::FolderLocated(cache.folder())),
            trace.IndexOf(cache_trace::FolderCleaningBegins(cache.folder())));
  EXPECT_FALSE(fs::exists(cache.root() / "page.html"));
}
#endif

TEST(CacheCleanWorker, TwoRequestsRunSideBySideAndBothReport) {
  PreparedCache cache;
  for (int i = 0; i < 200; ++i) test::WriteFile(cache.root() / "many" / ("f" + std::to_string(i)), "x");
  TraceLog trace;
  EndReports ends;
  for (int i = 0; i < 2; ++i) {
    CacheCleaningJob job;
    job.cacheFolder = cache.folder();
    job.trace = trace.sink();
    job.reportEnd = ends.sink();
    StartCacheCleaningWorker(std::move(job));
  }
  ASSERT_TRUE(ends.WaitFor(2));
  EXPECT_EQ(ends.commands, (std::vector<unsigned>{10002, 10002}));
  EXPECT_EQ(Remaining(cache.root()), (std::vector<std::string>{"Sub2", "Sub2/DESKTOP.INI", "desktop.ini"}));
}

}  // namespace
}  // namespace qm
