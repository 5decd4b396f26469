#include "platform/file_facts.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <vector>

#include "base/text.h"
#include "platform/win32/owners.h"

namespace qm {

bool GetFileMd5(const std::wstring& path, std::wstring& digest) {
  const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  UniqueCryptProv provider;
  UniqueCryptHash hash;
  bool ok = CryptAcquireContextW(provider.put(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
            CryptCreateHash(provider.get(), CALG_MD5, 0, 0, hash.put());
  // The file is digested in blocks, so its size is not bounded by memory.
  std::vector<BYTE> buffer(1 << 20);
  while (ok) {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) ok = false;
    else if (read == 0) break;
    else ok = CryptHashData(hash.get(), buffer.data(), read, 0);
  }
  BYTE value[16];
  DWORD length = sizeof value;
  ok = ok && CryptGetHashParam(hash.get(), HP_HASHVAL, value, &length, 0);
  if (ok) digest += HexDigest(value, length);
  return ok;
}

std::wstring GetFileVersionText(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return kNoVersionText;
  std::vector<BYTE> block(size * 2);
  if (!GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) return {};
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  UINT bytes = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                      &bytes)) {
    return {};
  }
  std::wstring result;
  for (UINT i = 0; i < bytes / sizeof(Translation); ++i) {
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translations[i].language,
             translations[i].codePage);
    wchar_t* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &length) && value) {
      result += value;
    }
  }
  return result;
}

}  // namespace qm
