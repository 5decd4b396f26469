#include "platform/update_log.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

TEST(UpdateLog, LineFormat) {
  EXPECT_EQ(FormatUpdateLogLine(LocalTime{2016, 8, 18, 9, 57, 20}, L"Finish Update."),
            L"2016- 8-18  9:57:20 : \tUpdateModule\tFinish Update.");
  EXPECT_EQ(FormatUpdateLogLine(LocalTime{2026, 12, 10, 23, 5, 0}, L""),
            L"2026-12-10 23: 5: 0 : \tUpdateModule\t");
  EXPECT_EQ(FormatUpdateLogLine(std::nullopt, L"x"), L" 0- 0- 0 -1:-1:-1 : \tUpdateModule\tx");
  EXPECT_EQ(FormatUpdateLogLine(LocalTime{2016, 8, 18, 9, 57, 20}, L"Http QueryInfoStatusCode:%ld"),
            L"2016- 8-18  9:57:20 : \tUpdateModule\tHttp QueryInfoStatusCode:%ld");
}

TEST(UpdateLog, AppendsUtf16LeLinesWithoutByteOrderMark) {
  test::TempDir dir;
  const std::wstring log = dir.Sub(L"update.log");
  ASSERT_EQ(AppendUpdateLogLine(log, L"====================="), 0);
  ASSERT_EQ(AppendUpdateLogLine(log, L"第二"), 0);
  const std::string bytes = test::ReadFile(FsPath(log));
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_NE(bytes.substr(0, 2), "\xff\xfe");
  const std::wstring text = WideFromUtf16Le(bytes);
  const size_t first = text.find(L"\r\n");
  ASSERT_NE(first, std::wstring::npos);
  EXPECT_EQ(text.substr(first - 21, 21), L"=====================");
  EXPECT_EQ(text.substr(text.size() - 4), L"第二\r\n");
  EXPECT_EQ(text.find(L"\tUpdateModule\t"), 22u);  // after "yyyy-mm-dd hh:mm:ss : "
  EXPECT_EQ(bytes.size() % 2, 0u);
}

TEST(UpdateLog, MissingFolderGivesMinusOneAndCreatesNothing) {
  test::TempDir dir;
  const std::wstring log = dir.Sub(L"res") + L"/update.log";
  EXPECT_EQ(AppendUpdateLogLine(log, L"x"), -1);
  EXPECT_FALSE(PathExists(dir.Sub(L"res")));
}

}  // namespace
}  // namespace qm
