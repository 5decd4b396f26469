#include "install/packaged_files.h"

#include <filesystem>
#include <system_error>

#include "base/paths.h"
#include "platform/settings.h"
#include "install/zip_archive.h"
#include "platform/files.h"
#include "platform/resources.h"

namespace qm {

long ParseSettingNumber(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t' || text[i] == L'\n' || text[i] == L'\r' ||
                             text[i] == L'\v' || text[i] == L'\f')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  long long value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    if (value < 0x7FFFFFFF) value = value * 10 + (text[i] - L'0');
  }
  if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
  return static_cast<long>(negative ? -value : value);
}

void ExtractPackagedFiles(const std::wstring& dataFolder) {
  const auto resource = FindResourceBytes("ZIP", kPackagedArchiveId);
  ExtractPackagedFilesFrom(dataFolder, resource ? resource->data : nullptr, resource ? resource->size : 0);
}

void ExtractPackagedFilesFrom(const std::wstring& dataFolder, const void* archive, size_t size) {
  const std::wstring resFolder = JoinPath(dataFolder, L"res");
  if (ParseSettingNumber(ReadSetting(L"Setting", L"start", L"-1")) == kStartMarker) return;
  if (!FolderExists(resFolder)) CreateFolder(resFolder);

  if (archive) {
    ZipArchive zip;
    if (zip.OpenFromMemory(archive, size)) {
      zip.SetBaseFolder(resFolder);
      ZipEntry count;
      zip.GetEntry(-1, count);
      for (int index = 0; index < count.index; ++index) {
        ZipEntry entry;
        if (!zip.GetEntry(index, entry)) continue;
        // The user's own settings are never replaced by the shipped ones.
        if (entry.name == L"systemset.ini" && PathExists(JoinPath(resFolder, entry.name))) continue;
        zip.ExtractEntry(index, entry.name);
      }
      zip.Close();
    }
  }

  const std::wstring leftover = JoinPath(resFolder, L"data.zip");
  if (FileExists(leftover)) {
    std::error_code ec;
    std::filesystem::remove(FsPath(leftover), ec);
  }
  WriteSetting(L"Setting", L"start", std::to_wstring(kStartMarker));
}

}  // namespace qm
