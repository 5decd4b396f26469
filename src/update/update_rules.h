// The rules of the self-update that depend on nothing but their inputs: how
// the version answer is read, the texts of the requests and log lines, and
// when the update log is too large.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// The update log is deleted before a version check once it is larger.
inline constexpr std::uint64_t kUpdateLogLimit = 10485760;  // 10 MiB
bool UpdateLogTooLarge(std::uint64_t size);

// The leading decimal number of text, read like wcstol in base 10: white
// space, an optional sign, digits up to the first non-digit; 0 without
// digits. Values beyond 64 bits saturate.
std::int64_t LeadingNumber(std::wstring_view text);

// An answer names a download when it has at least 6 characters and its
// leading number is not negative; anything else means no update.
bool AnswerMeansUpdate(std::wstring_view answer);

// The answer as the rules read it: without a leading byte-order mark and
// without white space around it (servers often end the text with a line
// break, which would otherwise become part of the URL).
std::wstring TrimmedAnswer(std::wstring_view answer);

// Whether the first bytes of a file make it a program of the x86-64 build of
// each platform: a PE image for AMD64 (Windows) or a 64-bit little-endian
// ELF executable for x86-64 (Linux). head holds at least the first 4096
// bytes of the file, or the whole file when it is shorter.
bool IsPeX64Image(std::string_view head);
bool IsElfX64Executable(std::string_view head);

// baseUrl + "/" + queryPath + version, nothing escaped.
std::wstring VersionRequestUrl(std::wstring_view baseUrl, std::wstring_view queryPath, std::wstring_view version);

// "Range: bytes=<existing>-<total>", the second number being the length.
std::wstring RangeHeaderText(std::int64_t existing, std::int64_t total);

// An exception's message as the log takes it: at most 255 characters.
std::wstring LoggedExceptionMessage(std::wstring_view message);

// The update log's fixed messages and those with a value.
inline constexpr wchar_t kLogFinishUpdate[] = L"Finish Update.";
inline constexpr wchar_t kLogSeparator[] = L"=====================";
inline constexpr wchar_t kLogDownloadException[] = L"Try Download File Exception";
inline constexpr wchar_t kLogHandOverException[] = L"Try Commond -d Exception";
inline constexpr wchar_t kLogSizeAlreadyReached[] = L"ERROR!Before download dwFileSize == dwToatlSize,exit";
inline constexpr wchar_t kLogNotAnExecutable[] = L"ERROR!Downloaded file is not a launcher of this build,exit";
std::wstring LogStatusCode(long status);                     // "Http QueryInfoStatusCode:%ld"
std::wstring LogVersionAnswer(std::wstring_view answer);     // "Server response check version msg:" + answer
std::wstring LogDownloadUrl(std::wstring_view url);          // "ExcuUpdate,URL=" + url
std::wstring LogContentLength(std::int64_t total);           // "Content length:%ld"
std::wstring LogFinishedSize(std::int64_t total);            // "Finish download,file size=%ld"
std::wstring LogFinishedMd5(std::wstring_view digest);       // "Finish download,file md5=%s"
std::wstring LogInstalledMd5(std::wstring_view digest);      // "Finish download,current file md5=%s"
std::wstring LogUpdateSuccess(std::wstring_view version);    // "Update success.Current Version:" + version
std::wstring LogUpdateFailure(long errorCode);               // "Update failure.Error Code:%ld"

}  // namespace qm
