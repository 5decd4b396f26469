// The WinInet URL cache pass against a real cache: a page fetched with
// WinInet from the demo portal (so WinInet caches it), an entry committed
// directly and a persistent cookie for the portal; afterwards the cached
// entries are gone and the cookie is still sent.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "base/text.h"
#include "frame/cache_cleaning.h"
#include "platform/win32/owners.h"
#include "support/temp_dir.h"
#include "update/test_portal.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

bool Cached(const std::wstring& url) {
  DWORD size = 0;
  GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size);
  return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

std::string Fetch(const std::wstring& url) {
  UniqueHInternet session(InternetOpenW(L"QmCacheTest", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  UniqueHInternet request(InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0, 0, 0));
  std::string body;
  if (!request) return body;
  char buffer[4096];
  DWORD read = 0;
  while (InternetReadFile(request.get(), buffer, sizeof buffer, &read) && read > 0) body.append(buffer, read);
  return body;
}

// Commits a cache entry for url holding text, as the browser control would.
bool Commit(const std::wstring& url, const std::string& text) {
  wchar_t file[MAX_PATH] = {};
  if (!CreateUrlCacheEntryW(url.c_str(), 0, L"css", file, 0)) return false;
  {
    const UniqueFileHandle out(CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
  FILETIME never{};
  return CommitUrlCacheEntryW(url.c_str(), file, never, never, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr);
}

std::wstring Cookie(const std::wstring& url) {
  wchar_t value[1024] = {};
  DWORD size = 1024;
  return InternetGetCookieW(url.c_str(), nullptr, value, &size) ? value : L"";
}

std::vector<std::wstring> RunPass() {
  std::vector<std::wstring> lines;
  CacheCleaningJob job;
  ClearEngineCacheEntries(job, [&](const std::wstring& line) { lines.push_back(line); });
  return lines;
}

TEST(UrlCachePass, DeletesEveryEntryButKeepsTheCookies) {
  // The portal is a native program: its files lie in a folder both sides
  // name, /tmp/... seen from Wine as Z:\tmp\... (a random token beside the
  // process id, which is unique only within one Wine server).
  const std::string hostFolder = "/tmp/qm-frame-portal-" + std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(std::random_device{}());
  const fs::path files = L"Z:" + WideFromUtf8(hostFolder);
  test::WriteFile(files / "game.js", "var game = 1;");
  test::TestPortal portal(hostFolder);
  ASSERT_TRUE(portal.running());
  const std::wstring page = test::TestPortal::BaseUrl() + L"/download/game.js";
  ASSERT_EQ(Fetch(page), "var game = 1;");
  EXPECT_TRUE(Cached(page)) << "WinInet did not cache the fetched page";
  const std::wstring extra = L"http://127.0.0.1:1/skin/extra.css";
  ASSERT_TRUE(Commit(extra, "body{}"));
  ASSERT_TRUE(Cached(extra));
  const std::wstring site = test::TestPortal::BaseUrl() + L"/";
  ASSERT_TRUE(InternetSetCookieW(site.c_str(), L"session", L"abc123; expires=Sat, 01-Jan-2050 00:00:00 GMT"));
  ASSERT_NE(Cookie(site).find(L"session=abc123"), std::wstring::npos);

  const std::vector<std::wstring> lines = RunPass();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind(L"*******第一次查找缓存:缓存大小为:", 0), 0u) << Utf8FromWide(lines[0]);
  EXPECT_EQ(lines[1].rfind(L"*******第二次查找缓存:缓存大小为:", 0), 0u) << Utf8FromWide(lines[1]);
  EXPECT_NE(lines[0], cache_trace::FirstQueryFound(0));

  EXPECT_FALSE(Cached(page));
  EXPECT_FALSE(Cached(extra));
  EXPECT_NE(Cookie(site).find(L"session=abc123"), std::wstring::npos) << "the cookie was lost";

  // Nothing left to delete but cookies: the pass still ends cleanly.
  const std::vector<std::wstring> again = RunPass();
  ASSERT_FALSE(again.empty());
  for (const auto& line : again) EXPECT_EQ(line.find(L"缓存大小为:0。"), std::wstring::npos);
  EXPECT_NE(Cookie(site).find(L"session=abc123"), std::wstring::npos);
  std::error_code ignored;
  fs::remove_all(files, ignored);
}

TEST(UrlCachePass, TheTemporaryInternetFilesFolderIsLocatedWithoutCreatingIt) {
  const auto folder = LocateInternetCacheFolder();
  ASSERT_TRUE(folder.has_value());
  EXPECT_NE(folder->find(L"INetCache"), std::wstring::npos) << Utf8FromWide(*folder);
}

}  // namespace
}  // namespace qm
