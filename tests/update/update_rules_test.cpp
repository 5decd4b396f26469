// The portable rules of the self-update.
#include "update/update_rules.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(UpdateRules, LeadingNumberReadsLikeWcstol) {
  struct Case {
    const wchar_t* text;
    std::int64_t value;
  } cases[] = {
      {L"-1", -1},          {L"12345", 12345},     {L"  \t+42x", 42},   {L"http://host/a.exe", 0},
      {L"", 0},             {L"-", 0},             {L" -007", -7},       {L"1.0.2.0", 1},
      {L"99999999999999999999", INT64_MAX},        {L"-99999999999999999999", INT64_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(LeadingNumber(c.text), c.value) << c.text;
}

TEST(UpdateRules, AnswerMeansUpdateFromSixCharactersWithoutMinus) {
  struct Case {
    const wchar_t* answer;
    bool update;
  } cases[] = {
      {L"-1", false},     {L"0", false},       {L"", false},         {L"12345", false},
      {L"123456", true},  {L"-123456", false}, {L"http://127.0.0.1/x.exe", true},
      {L"     ", false},  {L"      ", true},   {L" -9999999", false}, {L"abcdef", true},
  };
  for (const Case& c : cases) EXPECT_EQ(AnswerMeansUpdate(c.answer), c.update) << c.answer;
}

TEST(UpdateRules, RequestTexts) {
  EXPECT_EQ(VersionRequestUrl(L"http://127.0.0.1:18614", L"getClientVersion.php?p=korvo&g=qmr&v=", L"1.0.1.0"),
            L"http://127.0.0.1:18614/getClientVersion.php?p=korvo&g=qmr&v=1.0.1.0");
  EXPECT_EQ(VersionRequestUrl(L"", L"q?v=", L"a b&c"), L"/q?v=a b&c");  // nothing escaped
  EXPECT_EQ(RangeHeaderText(0, 1000), L"Range: bytes=0-1000");
  EXPECT_EQ(RangeHeaderText(-1, 0), L"Range: bytes=-1-0");
}

TEST(UpdateRules, LogCapIsTenMebibytes) {
  EXPECT_FALSE(UpdateLogTooLarge(0));
  EXPECT_FALSE(UpdateLogTooLarge(10485760));
  EXPECT_TRUE(UpdateLogTooLarge(10485761));
}

TEST(UpdateRules, ExceptionMessageIsCutAt255Characters) {
  EXPECT_EQ(LoggedExceptionMessage(L"short"), L"short");
  EXPECT_EQ(LoggedExceptionMessage(std::wstring(255, L'x')).size(), 255u);
  EXPECT_EQ(LoggedExceptionMessage(std::wstring(300, L'x')).size(), 255u);
  EXPECT_EQ(LoggedExceptionMessage(L""), L"");
}

TEST(UpdateRules, LogMessages) {
  EXPECT_EQ(LogStatusCode(404), L"Http QueryInfoStatusCode:404");
  EXPECT_EQ(LogVersionAnswer(L"-1"), L"Server response check version msg:-1");
  EXPECT_EQ(LogDownloadUrl(L"http://h/x"), L"ExcuUpdate,URL=http://h/x");
  EXPECT_EQ(LogContentLength(0), L"Content length:0");
  EXPECT_EQ(LogFinishedSize(1000), L"Finish download,file size=1000");
  EXPECT_EQ(LogFinishedMd5(L"ab"), L"Finish download,file md5=ab");
  EXPECT_EQ(LogInstalledMd5(L"cd"), L"Finish download,current file md5=cd");
  EXPECT_EQ(LogUpdateSuccess(L"1.0.2.0"), L"Update success.Current Version:1.0.2.0");
  EXPECT_EQ(LogUpdateFailure(32), L"Update failure.Error Code:32");
  EXPECT_STREQ(kLogSeparator, L"=====================");
  EXPECT_EQ(std::wstring(kLogSeparator).size(), 21u);
}

}  // namespace
}  // namespace qm
