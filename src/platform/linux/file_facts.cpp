#include "platform/file_facts.h"

#include "base/text.h"

#include <elf.h>
#include <openssl/evp.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

#include "base/version_record.h"
#include "platform/files.h"

namespace qm {

bool GetFileMd5(const std::wstring& path, std::wstring& digest) {
  std::ifstream in(FsPath(path), std::ios::binary);
  if (!in) return false;
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1) return false;
  std::vector<char> buffer(1 << 20);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (in.gcount() > 0 && EVP_DigestUpdate(context.get(), buffer.data(), static_cast<size_t>(in.gcount())) != 1) {
      return false;
    }
  }
  if (in.bad()) return false;
  unsigned char value[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context.get(), value, &length) != 1) return false;
  digest += HexDigest(value, length);
  return true;
}

namespace {

// Reads the named section of a 64-bit little-endian ELF file, or nothing.
std::optional<std::string> ReadElfSection(const std::wstring& path, const char* wanted) {
  std::ifstream in(FsPath(path), std::ios::binary);
  Elf64_Ehdr header{};
  if (!in.read(reinterpret_cast<char*>(&header), sizeof header)) return std::nullopt;
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
      header.e_ident[EI_DATA] != ELFDATA2LSB || header.e_shentsize != sizeof(Elf64_Shdr) ||
      header.e_shstrndx >= header.e_shnum) {
    return std::nullopt;
  }
  std::vector<Elf64_Shdr> sections(header.e_shnum);
  in.seekg(static_cast<std::streamoff>(header.e_shoff));
  if (!in.read(reinterpret_cast<char*>(sections.data()),
               static_cast<std::streamsize>(sections.size() * sizeof(Elf64_Shdr)))) {
    return std::nullopt;
  }
  auto contents = [&](const Elf64_Shdr& section) -> std::optional<std::string> {
    if (section.sh_type == SHT_NOBITS || section.sh_size > (64u << 20)) return std::nullopt;
    std::string bytes(section.sh_size, '\0');
    in.clear();
    in.seekg(static_cast<std::streamoff>(section.sh_offset));
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
    return bytes;
  };
  const std::optional<std::string> names = contents(sections[header.e_shstrndx]);
  if (!names) return std::nullopt;
  for (const Elf64_Shdr& section : sections) {
    if (section.sh_name < names->size() && std::strcmp(names->c_str() + section.sh_name, wanted) == 0) {
      return contents(section);
    }
  }
  return std::nullopt;
}

}  // namespace

std::wstring GetFileVersionText(const std::wstring& path) {
  if (!PathExists(path)) return {};
  const std::optional<std::string> record = ReadElfSection(path, kVersionSectionName);
  if (!record || record->empty()) return kNoVersionText;
  return VersionTextFromRecord(record->c_str());
}

}  // namespace qm
