#include "login/login_url.h"

#include <gtest/gtest.h>

#include "base/string_rows.h"
#include "platform/resources.h"

namespace qm {
namespace {

TEST(LoginUrl, MacTextIsUpperCaseHexJoinedByDashes) {
  struct Case {
    MacBytes mac;
    const wchar_t* text;
  };
  const Case cases[] = {
      {{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}, L"00-1A-2B-3C-4D-5E"},
      {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, L"00-00-00-00-00-00"},
      {{0xFF, 0xFE, 0x0A, 0xA0, 0x09, 0x90}, L"FF-FE-0A-A0-09-90"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatMacText(c.mac), c.text);
}

TEST(LoginUrl, AdapterPartIsJoinedByTheShapeOfTheBase) {
  struct Case {
    const wchar_t* base;
    const wchar_t* mac;
    const wchar_t* url;
  };
  const Case cases[] = {
      {L"http://portal.test/client/gamecode/qmr/skin/as/", L"00-1A-2B-3C-4D-5E",
       L"http://portal.test/client/gamecode/qmr/skin/as/mac/00-1A-2B-3C-4D-5E/"},
      // No adapter: "mac/" directly followed by "/".
      {L"http://portal.test/client/gamecode/qmr/skin/as/", L"",
       L"http://portal.test/client/gamecode/qmr/skin/as/mac//"},
      // A query stays after the adapter part, inserted before the last "?".
      {L"http://portal.test/login?a=1", L"AA-BB-CC-DD-EE-FF", L"http://portal.test/loginmac/AA-BB-CC-DD-EE-FF/?a=1"},
      {L"http://portal.test/x?r=/y?z", L"01-02-03-04-05-06", L"http://portal.test/x?r=/ymac/01-02-03-04-05-06/?z"},
      // Neither: a "/" is put in front of the adapter part.
      {L"http://portal.test/login", L"01-02-03-04-05-06", L"http://portal.test/login/mac/01-02-03-04-05-06/"},
      {L"", L"01-02-03-04-05-06", L"/mac/01-02-03-04-05-06/"},
  };
  for (const Case& c : cases) EXPECT_EQ(ComposeLoginUrl(c.base, c.mac), c.url) << c.base;
}

TEST(LoginUrl, BuildsFromStringRowAndQueriedAdapter) {
  const std::wstring base = LoadStringRow(kRowLoginBaseUrl);
  ASSERT_GE(base.size(), 29u);
  EXPECT_EQ(base.substr(base.size() - 29), L"/client/gamecode/qmr/skin/as/");

  const AdapterMacQuery found = [] { return std::optional<MacBytes>(MacBytes{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}); };
  EXPECT_EQ(BuildLoginUrl(found), base + L"mac/00-1A-2B-3C-4D-5E/");

  const AdapterMacQuery none = [] { return std::optional<MacBytes>(); };
  EXPECT_EQ(BuildLoginUrl(none), base + L"mac//");
  EXPECT_EQ(BuildLoginUrl(AdapterMacQuery()), base + L"mac//");
}

}  // namespace
}  // namespace qm
