// Every archive of the malformed corpus goes through the whole reader: open,
// describe each entry, extract it. Nothing may crash, and nothing may be
// written outside the base folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "base/text.h"
#include "install/zip_archive.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  bool opened = false;
  int entries = 0;
  int described = 0;
  int extracted = 0;
};

Outcome RunArchive(const std::string& bytes, const std::wstring& base) {
  Outcome outcome;
  ZipArchive zip;
  if (!zip.OpenFromMemory(bytes.data(), bytes.size())) return outcome;
  outcome.opened = true;
  zip.SetBaseFolder(base);
  ZipEntry count;
  if (!zip.GetEntry(-1, count)) return outcome;
  outcome.entries = count.index;
  for (int i = 0; i < count.index; ++i) {
    ZipEntry entry;
    if (!zip.GetEntry(i, entry)) continue;
    ++outcome.described;
    if (zip.ExtractEntry(i, entry.name)) ++outcome.extracted;
  }
  return outcome;
}

fs::path CorpusDir() {
#ifdef _WIN32
  // The source path is a Unix path; Wine shows the Unix root as drive Z:.
  std::string path = QM_ZIP_CORPUS_DIR;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return fs::path(WideFromUtf8("Z:" + path));
#else
  return fs::path(QM_ZIP_CORPUS_DIR);
#endif
}

TEST(ZipCorpus, MalformedArchivesAreReadSafely) {
  // What the reader makes of some of them; the rest must only be harmless.
  const std::map<std::string, Outcome> expected = {
      {"packaged.zip", {true, 2, 2, 2}},
      {"traversal.zip", {true, 7, 5, 5}},
      {"long-name.zip", {true, 2, 1, 1}},
      {"method-bzip2.zip", {true, 1, 0, 0}},
      {"method-mismatch.zip", {true, 1, 0, 0}},
      {"crc-mismatch.zip", {true, 1, 0, 0}},
      {"garbage-data.zip", {true, 1, 1, 0}},
      {"bomb.zip", {true, 1, 1, 1}},
      {"unix-host.zip", {true, 2, 2, 2}},
      {"comment-long.zip", {true, 1, 1, 1}},
      {"other-disk.zip", {false, 0, 0, 0}},
      {"empty-archive.zip", {false, 0, 0, 0}},  // minizip takes an end record at offset 0 for none
      {"bad-signature.zip", {true, 1, 0, 0}},
      {"ut-block-past-field.zip", {true, 1, 1, 1}},
  };
  int seen = 0;
  for (const auto& file : fs::directory_iterator(CorpusDir())) {
    ++seen;
    const std::string name = file.path().filename().string();
    SCOPED_TRACE(name);
    test::TempDir dir;
    const std::wstring base = dir.Sub(L"base");
    const Outcome outcome = RunArchive(test::ReadFile(file.path()), base);
    std::vector<std::string> top;
    for (const auto& item : fs::directory_iterator(dir.path())) top.push_back(item.path().filename().string());
    EXPECT_TRUE(top.empty() || top == std::vector<std::string>{"base"});
    EXPECT_LE(outcome.extracted, outcome.described);
    EXPECT_LE(outcome.described, outcome.entries);
    const auto it = expected.find(name);
    if (it == expected.end()) continue;
    EXPECT_EQ(outcome.opened, it->second.opened);
    EXPECT_EQ(outcome.entries, it->second.entries);
    EXPECT_EQ(outcome.described, it->second.described);
    EXPECT_EQ(outcome.extracted, it->second.extracted);
  }
  EXPECT_GT(seen, 0) << "the corpus folder is missing";
}

}  // namespace
}  // namespace qm
