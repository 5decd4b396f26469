// Runs one table of profile operations through the portable reader and writer
// (the Linux build's settings store) and through the system's profile calls,
// each on its own file, and compares every returned value and the file bytes
// after every step.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/ini_profile.h"
#include "platform/ini_file.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

struct Op {
  enum Kind { kRead, kWrite, kSeed } kind;
  std::wstring section, key, value;  // value: default for a read, bytes for kSeed
};

std::wstring SystemRead(const std::wstring& file, const Op& op) {
  wchar_t buffer[ini::kValueCapacity] = {};
  GetPrivateProfileStringW(op.section.c_str(), op.key.c_str(), op.value.c_str(), buffer, ini::kValueCapacity,
                           file.c_str());
  return buffer;
}

void RunBoth(const std::vector<Op>& ops, const std::wstring& ours, const std::wstring& theirs) {
  for (size_t i = 0; i < ops.size(); ++i) {
    const Op& op = ops[i];
    SCOPED_TRACE("step " + std::to_string(i));
    switch (op.kind) {
      case Op::kSeed: {
        const std::string bytes(op.value.begin(), op.value.end());
        test::WriteFile(FsPath(ours), bytes);
        test::WriteFile(FsPath(theirs), bytes);
        break;
      }
      case Op::kRead:
        EXPECT_EQ(ini::Read(ours, op.section, op.key, op.value), SystemRead(theirs, op));
        break;
      case Op::kWrite: {
        const bool system =
            WritePrivateProfileStringW(op.section.c_str(), op.key.c_str(), op.value.c_str(), theirs.c_str());
        EXPECT_EQ(ini::Write(ours, op.section, op.key, op.value), system != FALSE);
        break;
      }
    }
    EXPECT_EQ(FileExists(ours), FileExists(theirs));
    EXPECT_EQ(test::ReadFile(FsPath(ours)), test::ReadFile(FsPath(theirs)));
  }
}

const wchar_t kShipped[] =
    L"[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
    L"screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\n[Start]\r\nfirststart=1\r\n";

TEST(ProfileDifferential, SameValuesAndBytesAsTheSystemCalls) {
  test::TempDir ourDir, theirDir;
  const std::wstring ours = ourDir.Sub(L"res//systemset.ini");
  const std::wstring theirs = theirDir.Sub(L"res//systemset.ini");
  CreateDirectoryW(ourDir.Sub(L"res").c_str(), nullptr);
  CreateDirectoryW(theirDir.Sub(L"res").c_str(), nullptr);
  const std::wstring longValue(300, L'x');
  RunBoth(
      {
          {Op::kRead, L"Setting", L"start", L"-1"},          // missing file
          {Op::kRead, L"Start", L"firststart", L"0"},
          {Op::kWrite, L"Start", L"firststart", L"0"},       // created
          {Op::kSeed, L"", L"", kShipped},
          {Op::kRead, L"Setting", L"fullscreen", L"0"},
          {Op::kRead, L"SETTING", L"FULLSCREEN", L"0"},
          {Op::kRead, L"setting", L"ScreenToggle", L"0"},
          {Op::kRead, L"Info", L"code", L"d"},
          {Op::kRead, L"Nope", L"code", L"fallback"},
          {Op::kRead, L"Setting", L"start", L"-1"},
          {Op::kWrite, L"Setting", L"start", L"1001"},        // appended to its section
          {Op::kRead, L"Setting", L"start", L"-1"},
          {Op::kWrite, L"START", L"FIRSTSTART", L"0"},        // replaced in place
          {Op::kRead, L"Start", L"firststart", L"1"},
          {Op::kWrite, L"Setting", L"fullscreen", L"Ctrl+F12"},
          {Op::kWrite, L"Extra", L"k", L"v"},                 // appended section
          {Op::kWrite, L"Extra", L"k2", L""},
          {Op::kRead, L"extra", L"K2", L"d"},
          {Op::kWrite, L"Setting", L"long", longValue},
          {Op::kRead, L"Setting", L"long", L""},
          {Op::kRead, L"Setting", L"missing", longValue},
          {Op::kSeed, L"", L"", L"[a]\r\n  spaced  =  value with  inner  \r\nq=\"quoted\"\r\n"},
          {Op::kRead, L"a", L"spaced", L""},
          {Op::kRead, L"a", L"q", L""},
          {Op::kRead, L"a", L"none", L"  trailing  "},
          // A "[" line without "]" stays a line of its section.
          {Op::kSeed, L"", L"", L"[a]\r\nx=1\r\n[broken\r\ny=2\r\n[b]\r\nz=3\r\n"},
          {Op::kRead, L"a", L"y", L"d"},
          {Op::kRead, L"broken", L"y", L"d"},
          {Op::kRead, L"b", L"z", L"d"},
          {Op::kWrite, L"a", L"y", L"5"},
          {Op::kRead, L"a", L"y", L"d"},
          {Op::kWrite, L"broken", L"w", L"6"},
      },
      ours, theirs);
}

TEST(ProfileDifferential, MissingFolder) {
  test::TempDir ourDir, theirDir;
  RunBoth({{Op::kWrite, L"Start", L"firststart", L"0"}, {Op::kRead, L"Start", L"firststart", L"7"}},
          ourDir.Sub(L"res\\systemset.ini"), theirDir.Sub(L"res\\systemset.ini"));
  EXPECT_FALSE(PathExists(ourDir.Sub(L"res")));
  EXPECT_FALSE(PathExists(theirDir.Sub(L"res")));
}

}  // namespace
}  // namespace qm
