#include "platform/file_facts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/process.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

TEST(FileFacts, Md5OfKnownContents) {
  test::TempDir dir;
  struct Case {
    std::string bytes;
    const wchar_t* md5;
  };
  const Case cases[] = {
      {"", L"d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
      {"The quick brown fox jumps over the lazy dog", L"9e107d9d372bb6826bd81d3542a419d6"},
      {std::string(3 << 20, 'a'), L"6a11a8872b36343799a15617bea78cef"},
  };
  for (const Case& c : cases) {
    const std::wstring file = dir.Sub(L"f.bin");
    test::WriteFile(FsPath(file), c.bytes);
    std::wstring digest = L"prefix:";
    EXPECT_TRUE(GetFileMd5(file, digest));
    EXPECT_EQ(digest, std::wstring(L"prefix:") + c.md5);
  }
}

TEST(FileFacts, Md5OfMissingFileLeavesDigestAlone) {
  test::TempDir dir;
  std::wstring digest = L"kept";
  EXPECT_FALSE(GetFileMd5(dir.Sub(L"missing.exe"), digest));
  EXPECT_EQ(digest, L"kept");
}

TEST(FileFacts, VersionText) {
  test::TempDir dir;
  EXPECT_EQ(GetFileVersionText(dir.Sub(L"missing.exe")), L"");
  const std::wstring plain = dir.Sub(L"plain.exe");
  test::WriteFile(FsPath(plain), "not an executable at all");
  EXPECT_EQ(GetFileVersionText(plain), L"None VerSion Supprot");
  ASSERT_FALSE(test::LauncherPath().empty());
  EXPECT_EQ(GetFileVersionText(test::LauncherPath()), L"1.0.1.0");
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

TEST(Files, CopyReplacesAndReportsFailure) {
  test::TempDir dir;
  const std::wstring source = dir.Sub(L"a.exe"), target = dir.Sub(L"b.exe");
  test::WriteFile(FsPath(source), "new contents");
  test::WriteFile(FsPath(target), "old");
  EXPECT_TRUE(CopyFileReplacing(source, target));
  EXPECT_EQ(test::ReadFile(FsPath(target)), "new contents");
  EXPECT_FALSE(CopyFileReplacing(source, dir.Sub(L"missing") + L"/c.exe"));
  EXPECT_NE(LastErrorCode(), 0);
  EXPECT_FALSE(CopyFileReplacing(dir.Sub(L"nothing.exe"), target));
  EXPECT_EQ(test::ReadFile(FsPath(target)), "new contents");
}

// Two launchers writing the same file at the same moment: each write is a
// whole file of its own, and what stays is one of them whole, never bytes of
// both, with no temporary file left over.
TEST(Files, ConcurrentWritersOfOneFileNeverMixTheirBytes) {
  test::TempDir dir;
  const std::wstring target = dir.Sub(L"settings.ini");
  const std::wstring sourceA = dir.Sub(L"a.bin"), sourceB = dir.Sub(L"b.bin");
  const std::string a(4 << 20, 'a'), b(3 << 20, 'b');
  ASSERT_TRUE(ReplaceFileBytes(sourceA, a));
  ASSERT_TRUE(ReplaceFileBytes(sourceB, b));
  for (int round = 0; round < 8; ++round) {
    const bool copy = round % 2 == 1;
    auto writer = [&](const std::wstring& source, const std::string& bytes) {
      for (int i = 0; i < 4; ++i) {
        if (copy) {
          CopyFileReplacing(source, target);
        } else {
          ReplaceFileBytes(target, bytes);
        }
      }
    };
    std::thread first(writer, sourceA, a), second(writer, sourceB, b);
    first.join();
    second.join();
    const std::string result = ReadFileBytes(target).value_or("");
    EXPECT_TRUE(result == a || result == b) << "round " << round << ": " << result.size() << " bytes, "
                                            << std::count(result.begin(), result.end(), 'a') << " of them 'a'";
  }
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(dir.path())) {
    names.push_back(item.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.bin", "b.bin", "settings.ini"}));
}

}  // namespace
}  // namespace qm
