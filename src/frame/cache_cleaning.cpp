#include "frame/cache_cleaning.h"

#include <thread>

#include "base/text.h"
#include "platform/debug_output.h"

namespace qm {

namespace cache_trace {

std::wstring FirstQueryFound(unsigned long size) {
  return L"*******第一次查找缓存:缓存大小为:" + std::to_wstring(size) + L"。************\r\n";
}
std::wstring FirstQueryNotFound() { return L"*******第一次查找缓存:未找到缓存。************\r\n"; }
std::wstring SecondQueryFound(unsigned long size) {
  return L"*******第二次查找缓存:缓存大小为:" + std::to_wstring(size) + L"。************\r\n";
}
std::wstring SecondQueryNotFound() { return L"*******第二次查找缓存:未找到缓存。************\r\n"; }
std::wstring FolderLocated(const std::wstring& folder) { return L"临时文件夹路径为:" + folder + L"\r\n"; }
std::wstring FolderCleaningBegins(const std::wstring& folder) { return L"开始清理" + folder + L"文件夹\r\n"; }
// A deleted file is traced with the same words as a folder whose cleaning
// begins; tools that read the trace know the line by that text.
std::wstring FileDeleted(const std::wstring& fileName) { return L"开始清理" + fileName + L"文件夹\r\n"; }
std::wstring FileDeleteFailed(const std::wstring& fileName, long errorCode) {
  return L"***********删除文件:" + fileName + L"失败，错误代码:" + std::to_wstring(errorCode) +
         L"******************\r\n";
}

}  // namespace cache_trace

namespace {

CacheTraceSink SinkOf(const CacheTraceSink& trace) {
  if (trace) return trace;
  return [](const std::wstring& line) { DebugOutput(line); };
}

}  // namespace

namespace {

void EmptyFolder(const CacheFolder& folder, const std::wstring& path, const CacheTraceSink& trace) {
  std::vector<CacheFolderEntry> entries;
  if (!folder.List(&entries)) return;
  for (const CacheFolderEntry& entry : entries) {
    if (entry.name == L"." || entry.name == L"..") continue;
    if (EqualsIgnoreCase(entry.name, L"desktop.ini")) continue;
    if (cache_files::IsEngineDatabase(entry.name)) continue;
    if (entry.directory) {
      const std::wstring subPath = cache_files::Join(path, entry.name);
      trace(cache_trace::FolderCleaningBegins(subPath));
      bool isFolder = true;
      if (const std::unique_ptr<CacheFolder> sub = folder.OpenSubfolder(entry.name, &isFolder)) {
        EmptyFolder(*sub, subPath, trace);
      }
      if (isFolder) {
        folder.RemoveSubfolder(entry.name);  // a folder that kept files stays, untraced
        continue;
      }
      // Listed as a folder, a link or a file by now: removed as what it is.
    }
    long error = 0;
    if (folder.DeleteEntry(entry.name, &error)) {
      trace(cache_trace::FileDeleted(entry.name));
    } else {
      trace(cache_trace::FileDeleteFailed(entry.name, error));
    }
  }
}

}  // namespace

bool DeleteFolderContents(const std::wstring& folder, const CacheTraceSink& traceIn) {
  const CacheTraceSink trace = SinkOf(traceIn);
  trace(cache_trace::FolderCleaningBegins(folder));
  const std::unique_ptr<CacheFolder> root = CacheFolder::Open(folder);
  if (!root) return false;
  EmptyFolder(*root, folder, trace);
  return true;
}

void CacheCleanWorker(const CacheCleaningJob& job) {
  const CacheTraceSink trace = SinkOf(job.trace);
  ClearEngineCacheEntries(job, trace);
  std::optional<std::wstring> folder;
  if (!job.cacheFolder.empty()) {
    folder = job.cacheFolder;
  } else {
    folder = LocateInternetCacheFolder();
  }
  if (folder) {
    trace(cache_trace::FolderLocated(*folder));
    DeleteFolderContents(*folder, trace);
  }
  if (job.reportEnd) job.reportEnd(kCommandCacheCleaned);
}

void StartCacheCleaningWorker(CacheCleaningJob job) {
  // Nothing waits for the worker: it touches the frame only through
  // reportEnd, which the job promises is safe at any time.
  std::thread([job = std::move(job)] { CacheCleanWorker(job); }).detach();
}

}  // namespace qm
