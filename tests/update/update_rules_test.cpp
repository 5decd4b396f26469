// The portable rules of the self-update.
#include "update/update_rules.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(UpdateRules, AnswersAreReadWithoutTheirByteOrderMarkAndSurroundingSpace) {
  struct Case {
    std::wstring answer;
    std::wstring trimmed;
  } cases[] = {
      {L"http://h/new.exe\r\n", L"http://h/new.exe"},
      {L"\xFEFFhttp://h/new.exe", L"http://h/new.exe"},
      {L"\xFEFF  http://h/new.exe \t\n", L"http://h/new.exe"},
      {L" -1\r\n", L"-1"},
      {L"a b", L"a b"},  // space inside stays
      {L"\r\n\r\n", L""},
      {L"x\xFEFF", L"x\xFEFF"},  // only a leading mark goes
  };
  for (const Case& c : cases) EXPECT_EQ(TrimmedAnswer(c.answer), c.trimmed);
  // Trimmed, short answers no longer pass for an update.
  EXPECT_FALSE(AnswerMeansUpdate(TrimmedAnswer(L"-1\r\n\r\n\r\n")));
  EXPECT_FALSE(AnswerMeansUpdate(TrimmedAnswer(L"12\r\n  \r\n")));
}

// A minimal PE header: "MZ", the PE offset at 0x3C, the signature, the
// machine and the optional header's magic.
std::string PeHead(unsigned machine, unsigned magic) {
  std::string head(0x200, '\0');
  head[0] = 'M';
  head[1] = 'Z';
  head[0x3C] = static_cast<char>(0x80);
  head.replace(0x80, 4, std::string("PE\0\0", 4));
  head[0x84] = static_cast<char>(machine & 0xFF);
  head[0x85] = static_cast<char>(machine >> 8);
  head[0x98] = static_cast<char>(magic & 0xFF);
  head[0x99] = static_cast<char>(magic >> 8);
  return head;
}

std::string ElfHead(char elfClass, char order, unsigned type, unsigned machine) {
  std::string head(0x40, '\0');
  head.replace(0, 4, "\x7F" "ELF");
  head[4] = elfClass;
  head[5] = order;
  head[6] = 1;
  head[16] = static_cast<char>(type);
  head[18] = static_cast<char>(machine);
  return head;
}

TEST(UpdateRules, ExecutablesOfTheX64BuildsAreKnownByTheirHeaders) {
  struct Case {
    const char* what;
    std::string head;
    bool pe, elf;
  } cases[] = {
      {"PE AMD64", PeHead(0x8664, 0x20B), true, false},
      {"PE i386", PeHead(0x14C, 0x10B), false, false},
      {"PE ARM64", PeHead(0xAA64, 0x20B), false, false},
      {"PE AMD64, 32-bit optional header", PeHead(0x8664, 0x10B), false, false},
      {"PE cut before its header", PeHead(0x8664, 0x20B).substr(0, 0x90), false, false},
      {"MZ pointing past the bytes", std::string("MZ") + std::string(0x3A, '\0') + "\xFF\xFF\xFF\x7F", false, false},
      {"ELF x86-64 shared", ElfHead(2, 1, 3, 62), false, true},
      {"ELF x86-64 executable", ElfHead(2, 1, 2, 62), false, true},
      {"ELF x86-64 relocatable", ElfHead(2, 1, 1, 62), false, false},
      {"ELF aarch64", ElfHead(2, 1, 3, 183), false, false},
      {"ELF 32-bit", ElfHead(1, 1, 3, 62), false, false},
      {"ELF big-endian", ElfHead(2, 2, 3, 62), false, false},
      {"gzip", std::string("\x1F\x8B\x08\0\0\0\0\0", 8) + std::string(100, 'x'), false, false},
      {"HTML", "<html><body>Please log in to this network</body></html>" + std::string(100, ' '), false, false},
      {"empty", "", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsPeX64Image(c.head), c.pe) << c.what;
    EXPECT_EQ(IsElfX64Executable(c.head), c.elf) << c.what;
  }
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
