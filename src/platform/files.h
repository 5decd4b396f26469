// File operations on wide paths, the same on both builds: wide text is the
// native path on Windows and UTF-8 on Linux.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace qm {

std::filesystem::path FsPath(const std::wstring& path);
std::wstring WidePath(const std::filesystem::path& path);

bool FileExists(const std::wstring& path);    // a regular file
bool FolderExists(const std::wstring& path);  // a directory
bool PathExists(const std::wstring& path);    // anything at all

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::wstring& path);

// Writes bytes to a temporary file beside path and renames it over path, so
// readers see either the old or the new contents, never a part. Fails when the
// folder does not exist.
bool ReplaceFileBytes(const std::wstring& path, const std::string& bytes);

// Copies a file over target, replacing an existing one, keeping the source's
// permissions (CopyFileW on Windows). On failure LastErrorCode() tells why.
bool CopyFileReplacing(const std::wstring& source, const std::wstring& target);

// Creates a folder; its parent must exist. True when it exists afterwards.
bool CreateFolder(const std::wstring& path);

// Appends bytes, creating the file when missing (its folder must exist).
bool AppendFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace qm
