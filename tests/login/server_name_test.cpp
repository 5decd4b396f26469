#include "frame/server_name.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(ServerName, PercentDecodingLeavesIncompleteEscapesAlone) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"a%41b", "aAb"},     {"%e4%B8%80", "\xE4\xB8\x80"}, {"%", "%"},     {"%4", "%4"},
      {"ab%4", "ab%4"},     {"%G1%1G", "%G1%1G"},          {"%%41", "%A"}, {"100%", "100%"},
      {"%2541", "%41"},     {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(PercentDecodeBytes(c.in), std::string(c.out)) << c.in;
  EXPECT_EQ(PercentDecodeBytes("%00x"), std::string("\0x", 2));
}

TEST(ServerName, CutFromTheDecodedGameUrl) {
  struct Case {
    const wchar_t* url;
    const wchar_t* name;
  };
  const Case cases[] = {
      {L"http://portal.test/play_gamecode?svname=%E4%B8%80%E5%8C%BA/x", L"一区"},
      {L"http://portal.test/play_gamecode?svname=abc", L"abc"},
      {L"http://portal.test/qmr/play_gamecode/svname/%E4%BA%8C%E5%8C%BA/?uid=7", L"二区"},
      {L"http://portal.test/play_gamecode?uid=7", L""},
      {L"http://portal.test/play_gamecode?SVNAME=abc", L""},
      // The word at the very end, or with only its separator after it.
      {L"http://portal.test/play_gamecode?svname", L""},
      {L"http://portal.test/play_gamecode?svname=", L""},
      {L"http://portal.test/play_gamecode?svname=/x", L""},
      // The first occurrence counts.
      {L"http://portal.test/svname=one/play_gamecode?svname=two", L"one"},
      // The separator itself may come percent-encoded.
      {L"http://portal.test/go?to=play_gamecode%3Fsvname%3Ds9%2Fx", L"s9"},
      // Other query parameters and a fragment are not part of the name.
      {L"http://portal.test/play_gamecode?svname=s1&uid=7", L"s1"},
      {L"http://portal.test/play_gamecode?svname=s1#top", L"s1"},
      // Characters the URL already holds undecoded stay intact.
      {L"http://portal.test/play_gamecode?svname=三区", L"三区"},
      // Malformed UTF-8 after decoding shows as replacement characters.
      {L"http://portal.test/play_gamecode?svname=%FFa", L"\uFFFDa"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtractServerName(c.url), c.name) << c.url;
}

}  // namespace
}  // namespace qm
