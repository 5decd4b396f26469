#include "base/ini_profile.h"
#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace qm::ini {
namespace {

const std::string kShipped =
    "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
    "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\n[Start]\r\nfirststart=1\r\n";

TEST(IniProfile, ShippedFileIs160Bytes) { EXPECT_EQ(kShipped.size(), 160u); }

TEST(IniProfile, Reads) {
  struct Case {
    const char* text;
    const wchar_t *section, *key, *fallback, *expected;
  };
  const Case cases[] = {
      {kShipped.c_str(), L"Setting", L"fullscreen", L"0", L"F11"},
      {kShipped.c_str(), L"SETTING", L"FULLSCREEN", L"0", L"F11"},
      {kShipped.c_str(), L"Setting", L"start", L"-1", L"-1"},
      {kShipped.c_str(), L"Start", L"firststart", L"0", L"1"},
      {kShipped.c_str(), L"Nope", L"firststart", L"0", L"0"},
      {kShipped.c_str(), L"Info", L"code", L"x", L""},
      {"", L"Start", L"firststart", L"0", L"0"},
      {"[ A ]\r\n  k  =  v w  \r\n", L"a", L"K", L"", L"v w"},
      {"[a]\r\nk=\"quoted\"\r\n", L"a", L"k", L"", L"quoted"},
      {"[a]\r\nk='x\"\r\n", L"a", L"k", L"", L"'x\""},
      {"[a]\nk=unix\n", L"a", L"k", L"", L"unix"},
      {"[a]\r\nk=1\r\n[b]\r\nk=2\r\n", L"b", L"k", L"", L"2"},
      {"[a]\r\n;k=1\r\n", L"a", L"k", L"d", L"d"},
      {"[a]\r\nk=1", L"a", L"k", L"", L"1"},
      {"", L"a", L"k", L"  padded  ", L"  padded"},
      // A "[" line without "]" is a line of the section it stands in.
      {"[a]\r\nx=1\r\n[broken\r\ny=2\r\n", L"a", L"y", L"", L"2"},
      {"[a]\r\nx=1\r\n[broken\r\ny=2\r\n", L"broken", L"y", L"d", L"d"},
      {"[a]\r\n[broken\r\ny=2\r\n[b]\r\ny=3\r\n", L"b", L"y", L"", L"3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReadFromText(c.text, c.section, c.key, c.fallback), c.expected);
  }
}

TEST(IniProfile, LongValueIsCutTo259Characters) {
  const std::string value(300, 'v');
  EXPECT_EQ(ReadFromText("[a]\r\nk=" + value + "\r\n", L"a", L"k", L""), std::wstring(259, L'v'));
  EXPECT_EQ(ReadFromText("", L"a", L"k", std::wstring(300, L'd')), std::wstring(259, L'd'));
}

TEST(IniProfile, Writes) {
  struct Case {
    std::string before;
    const wchar_t *section, *key, *value;
    std::string after;
  };
  const Case cases[] = {
      {kShipped, L"Setting", L"start", L"1001",
       "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
       "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\nstart=1001\r\n[Start]\r\nfirststart=1\r\n"},
      {kShipped, L"START", L"FirstStart", L"0",
       "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
       "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\n[Start]\r\nfirststart=0\r\n"},
      {"", L"Start", L"firststart", L"0", "[Start]\r\nfirststart=0\r\n"},
      {"[a]\r\nx=1\r\n", L"b", L"y", L"2", "[a]\r\nx=1\r\n[b]\r\ny=2\r\n"},
      {"[a]\r\nx=1", L"a", L"y", L"2", "[a]\r\nx=1\r\ny=2\r\n"},
      {"; note\r\n[a]\r\nx = 1 \r\n\r\n[b]\r\n", L"a", L"X", L"9", "; note\r\n[a]\r\nx=9\r\n\r\n[b]\r\n"},
      {"[a]\r\n\r\n[b]\r\n", L"a", L"k", L"v", "[a]\r\nk=v\r\n\r\n[b]\r\n"},
      {"[a]\r\n[broken\r\ny=2\r\n", L"a", L"y", L"5", "[a]\r\n[broken\r\ny=5\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    EXPECT_EQ(WriteToText(c.before, c.section, c.key, c.value), c.after);
  }
}

TEST(IniProfile, FileWriteNeedsTheFolderAndLeavesNoPartialFile) {
  test::TempDir dir;
  const std::wstring file = dir.Sub(L"systemset.ini");
  EXPECT_TRUE(Write(file, L"Start", L"firststart", L"0"));
  EXPECT_EQ(test::ReadFile(FsPath(file)), "[Start]\r\nfirststart=0\r\n");
  EXPECT_EQ(Read(file, L"start", L"FIRSTSTART", L"1"), L"0");

  const std::wstring missing = dir.Sub(L"res") + L"/systemset.ini";
  EXPECT_FALSE(Write(missing, L"Start", L"firststart", L"0"));
  EXPECT_FALSE(PathExists(dir.Sub(L"res")));
  EXPECT_EQ(Read(missing, L"Start", L"firststart", L"7"), L"7");
  EXPECT_FALSE(PathExists(file + L".partial"));
}

}  // namespace
}  // namespace qm::ini
