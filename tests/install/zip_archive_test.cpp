#include "install/zip_archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "base/paths.h"
#include "base/text.h"
#include "install/file_times.h"
#include "install/zip_builder.h"
#include "install/zip_times.h"
#include "platform/files.h"
#include "platform/resources.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using test::BuildZip;
using test::ZipBuilderEntry;

std::wstring Sep() { return std::wstring(1, NativePathStyle().separator); }

uint64_t LocalFileTime(int y, int mo, int d, int h, int mi, int s) {
  uint64_t value = 0;
  EXPECT_TRUE(LocalTimeToUtcFileTime(y, mo, d, h, mi, s, value));
  return value;
}

ZipBuilderEntry Entry(std::string name, std::string data) {
  ZipBuilderEntry e;
  e.name = std::move(name);
  e.data = std::move(data);
  return e;
}

TEST(ZipArchive, PackagedArchiveHoldsTheTwoFilesInOrder) {
  const auto resource = FindResourceBytes("ZIP", 269);
  ASSERT_TRUE(resource);
  ZipArchive zip;
  ASSERT_TRUE(zip.OpenFromMemory(resource->data, resource->size));
  ZipEntry count;
  ASSERT_TRUE(zip.GetEntry(-1, count));
  EXPECT_EQ(count.index, 2);
  EXPECT_TRUE(count.name.empty());

  struct Expected {
    const wchar_t* name;
    uint32_t size;
    uint64_t time;
  } expected[] = {{L"systemset.ini", 160, LocalFileTime(2016, 8, 18, 9, 57, 20)},
                  {L"uninstall.ico", 1150, LocalFileTime(2015, 4, 15, 14, 53, 54)}};
  for (int i = 0; i < 2; ++i) {
    ZipEntry entry;
    ASSERT_TRUE(zip.GetEntry(i, entry));
    EXPECT_EQ(entry.index, i);
    EXPECT_EQ(entry.name, expected[i].name);
    EXPECT_EQ(entry.uncompressedSize, expected[i].size);
    EXPECT_LT(entry.compressedSize, entry.uncompressedSize);  // deflated
    EXPECT_EQ(entry.attributes, kAttrArchive);
    EXPECT_EQ(entry.writeTime, expected[i].time);
    EXPECT_EQ(entry.accessTime, expected[i].time);
    EXPECT_EQ(entry.creationTime, expected[i].time);
  }
  ZipEntry none;
  EXPECT_FALSE(zip.GetEntry(2, none));
  EXPECT_FALSE(zip.GetEntry(-2, none));
}

TEST(ZipArchive, EntriesAreDescribedInAnyOrderAndTwiceAlike) {
  const std::string bytes = BuildZip({Entry("a.txt", "A"), Entry("b.txt", "BB"), Entry("c.txt", "CCC")});
  ZipArchive zip;
  ASSERT_TRUE(zip.OpenFromMemory(bytes.data(), bytes.size()));
  for (int index : {2, 0, 1, 1, 2, 0}) {
    ZipEntry entry;
    ASSERT_TRUE(zip.GetEntry(index, entry));
    EXPECT_EQ(entry.index, index);
    EXPECT_EQ(entry.uncompressedSize, static_cast<uint32_t>(index + 1));
    EXPECT_EQ(entry.name, std::wstring(1, static_cast<wchar_t>(L'a' + index)) + L".txt");
  }
  std::string data;
  ASSERT_TRUE(zip.ReadEntryData(1, [&](const char* p, size_t n) {
    data.append(p, n);
    return true;
  }));
  EXPECT_EQ(data, "BB");
}

TEST(ZipArchive, OpenTwiceFailsAndCloseAllowsAnother) {
  const std::string bytes = BuildZip({Entry("a", "x")});
  ZipArchive zip;
  ASSERT_TRUE(zip.OpenFromMemory(bytes.data(), bytes.size()));
  EXPECT_FALSE(zip.OpenFromMemory(bytes.data(), bytes.size()));
  zip.Close();
  EXPECT_TRUE(zip.OpenFromMemory(bytes.data(), bytes.size()));
}

TEST(ZipArchive, BaseFolderStartsAtTheCurrentDirectoryAndEndsWithASeparator) {
  const std::string bytes = BuildZip({Entry("only", "1")});
  ZipArchive zip;
  ASSERT_TRUE(zip.OpenFromMemory(bytes.data(), bytes.size()));
  std::wstring current = WidePath(fs::current_path());
  const wchar_t last = zip.BaseFolder().back();
  EXPECT_TRUE(last == L'\\' || last == L'/');
  EXPECT_EQ(zip.BaseFolder().substr(0, current.size()), current);
  zip.SetBaseFolder(L"x");
  EXPECT_EQ(zip.BaseFolder(), L"x" + Sep());
  zip.SetBaseFolder(L"y/");
  EXPECT_EQ(zip.BaseFolder(), L"y/");
  zip.SetBaseFolder(L"z\\");
  EXPECT_EQ(zip.BaseFolder(), L"z\\");
  ZipEntry count;
  ASSERT_TRUE(zip.GetEntry(-1, count));
  EXPECT_EQ(count.index, 1);
}

TEST(ZipArchive, ArchivesThatDoNotOpen) {
  const std::string good = BuildZip({Entry("a", "x")});
  test::ZipBuilderOptions otherDisk;
  otherDisk.diskNumber = 1;
  test::ZipBuilderOptions entriesElsewhere;
  entriesElsewhere.entriesOnDisk = 0;
  test::ZipBuilderOptions directoryPastRecord;
  directoryPastRecord.centralOffset = 1000;
  test::ZipBuilderOptions centralOnOtherDisk;
  centralOnOtherDisk.centralDisk = 2;
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"garbage", std::string(300, 'x')},
      {"no end record", good.substr(0, good.size() - 22)},
      {"end record cut", good.substr(0, good.size() - 5)},
      {"other disk", BuildZip({Entry("a", "x")}, otherDisk)},
      {"central directory on another disk", BuildZip({Entry("a", "x")}, centralOnOtherDisk)},
      {"entries on other disks", BuildZip({Entry("a", "x")}, entriesElsewhere)},
      {"central directory past the record", BuildZip({Entry("a", "x")}, directoryPastRecord)},
  };
  for (const auto& c : cases) {
    ZipArchive zip;
    EXPECT_FALSE(zip.OpenFromMemory(c.bytes.data(), c.bytes.size())) << c.what;
    ZipEntry entry;
    EXPECT_FALSE(zip.GetEntry(-1, entry)) << c.what;
  }
}

TEST(ZipArchive, LocalHeadersThatDoNotMatchMakeTheEntryUnreadable) {
  auto with = [](auto change) {
    ZipBuilderEntry e = Entry("file.txt", "some text, some text, some text");
    change(e);
    return e;
  };
  const struct {
    const char* what;
    ZipBuilderEntry entry;
    bool describable;
  } cases[] = {
      {"matching", with([](ZipBuilderEntry&) {}), true},
      {"wrong signature", with([](ZipBuilderEntry& e) { e.localSignature = 0x04034b51; }), false},
      {"other method", with([](ZipBuilderEntry& e) { e.localMethod = 0; }), false},
      {"method neither stored nor deflated", with([](ZipBuilderEntry& e) { e.method = 12; }), false},
      {"other name length", with([](ZipBuilderEntry& e) { e.localNameLength = 7; }), false},
      {"other crc", with([](ZipBuilderEntry& e) { e.localCrc = 1; }), false},
      {"other compressed size", with([](ZipBuilderEntry& e) { e.localCompressedSize = 3; }), false},
      {"other size", with([](ZipBuilderEntry& e) { e.localUncompressedSize = 3; }), false},
      {"other crc with a data descriptor",
       with([](ZipBuilderEntry& e) {
         e.flags = 8;
         e.localCrc = 0;
         e.localCompressedSize = 0;
         e.localUncompressedSize = 0;
       }),
       true},
      {"extra field past the end", with([](ZipBuilderEntry& e) { e.localExtraLength = 0xFFFF; }), false},
  };
  for (const auto& c : cases) {
    const std::string bytes = BuildZip({c.entry, Entry("next.txt", "next")});
    ZipArchive zip;
    ASSERT_TRUE(zip.OpenFromMemory(bytes.data(), bytes.size())) << c.what;
    ZipEntry entry;
    EXPECT_EQ(zip.GetEntry(0, entry), c.describable) << c.what;
    ASSERT_TRUE(zip.GetEntry(1, entry)) << c.what;  // the next entry is unaffected
    EXPECT_EQ(entry.name, L"next.txt");
  }
}

TEST(ZipArchive, NamesBecomeSafe) {
  const struct {
    const wchar_t* raw;
    const wchar_t* safe;  // nullptr: rejected
  } cases[] = {
      {L"C:\\x\\y.txt", L"x\\y.txt"},
      {L"/abs/f", L"abs/f"},
      {L"a/../b", L"b"},
      {L"a\\..\\b\\..\\c", L"c"},
      {L"a\\../b", L"b"},
      {L"a/..\\b", L"b"},
      {L"//server/share/f", L"server/share/f"},
      {L"C:/../x", L"x"},
      {L"../x", L"x"},
      {L"..\\x", L"x"},
      {L"../../x", L"x"},
      {L"..", nullptr},
      {L"a/..", nullptr},
      {L"a\\..", nullptr},
      {L"../..", nullptr},
      // Components as Windows takes them: trailing dots and spaces go, and
      // a component of only dots and spaces is a step.
      {L"..a/b..", L"..a/b"},
      {L"...", nullptr},
      {L"....", nullptr},
      {L".. /x", L"x"},
      {L".. \\x", L"x"},
      {L"x/.. /.. /y", L"y"},
      {L"a/.../b", L"b"},
      {L"x/.. ", nullptr},
      {L"x/. . .", L"x/"},
      {L"a. /b. ", L"a/b"},
      {L". /a", L"a"},
      {L"a/ /b", L"a/b"},
      {L"a/./b", L"a/b"},
      {L"C:.. \\x", L"x"},
      {L"top. /", L"top/"},
      {L".hidden", L".hidden"},
      {L"a.b", L"a.b"},
      {L"plain.txt", L"plain.txt"},
  };
  for (const auto& c : cases) {
    std::wstring name = c.raw;
    const bool kept = MakeEntryNameSafe(name);
    EXPECT_EQ(kept, c.safe != nullptr) << Utf8FromWide(c.raw);
    if (c.safe && kept) {
      EXPECT_EQ(name, c.safe) << Utf8FromWide(c.raw);
    }
  }
}

TEST(ZipArchive, NameLengthUtf8AndSafety) {
  const std::string longest(259, 'n');
  const std::string tooLong(260, 'n');
  ZipBuilderEntry utf8 = Entry("\xE8\xAE\xBE\xE7\xBD\xAE/\xE8\xAF\xB4\xE6\x98\x8E.txt", "x");  // 设置/说明.txt
  utf8.flags = 0x800;
  const std::string bytes =
      BuildZip({Entry(longest, "a"), Entry(tooLong, "b"), utf8, Entry("../up.txt", "c"), Entry("d/..", "d")});
  ZipArchive zip;
  ASSERT_TRUE(zip.OpenFromMemory(bytes.data(), bytes.size()));
  ZipEntry entry;
  ASSERT_TRUE(zip.GetEntry(0, entry));
  EXPECT_EQ(entry.name.size(), 259u);
  EXPECT_FALSE(zip.GetEntry(1, entry));
  ASSERT_TRUE(zip.GetEntry(2, entry));
  EXPECT_EQ(entry.name, L"设置/说明.txt");
  ASSERT_TRUE(zip.GetEntry(3, entry));
  EXPECT_EQ(entry.name, L"up.txt");
  EXPECT_FALSE(zip.GetEntry(4, entry));
}

TEST(ZipArchive, AttributesByHost) {
  const struct {
    unsigned host;
    uint32_t external;
    uint32_t attributes;
  } cases[] = {
      {0, 0x20, kAttrArchive},
      {0, 0x01, kAttrReadOnly},
      {0, 0x10, kAttrDirectory},
      {0, 0x27, kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive},
      {7, 0x02, kAttrHidden},
      {11, 0x04, kAttrSystem},
      {14, 0x30, kAttrDirectory | kAttrArchive},
      {3, 0x81A40000, kAttrArchive},                            // rw-r--r-- file
      {3, 0x81240000, kAttrArchive | kAttrReadOnly},            // r--r--r-- file
      {3, 0x41ED0010, kAttrArchive | kAttrDirectory},           // rwxr-xr-x folder
      {10, 0x00000020, kAttrArchive | kAttrReadOnly},           // other hosts: no write bit
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AttributesFromHost(c.host, c.external), c.attributes) << c.host << " " << std::hex << c.external;
  }
}

std::string Block(uint16_t tag, const std::string& data) {
  std::string out;
  out += static_cast<char>(tag & 0xFF);
  out += static_cast<char>(tag >> 8);
  out += static_cast<char>(data.size() & 0xFF);
  out += static_cast<char>(data.size() >> 8);
  return out + data;
}

std::string Le32(int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  return std::string{static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                     static_cast<char>((u >> 16) & 0xFF), static_cast<char>(u >> 24)};
}

uint64_t FromUnix(int64_t seconds) { return static_cast<uint64_t>(seconds + 11644473600LL) * 10000000ULL; }

TEST(ZipArchive, ExtendedTimestamps) {
  constexpr uint16_t kUt = 0x5455;
  const int32_t w = 1471514240, a = 1471514300, c = 1000000000;
  const struct {
    const char* what;
    std::string extra;
    bool found;
    uint64_t write, access, creation;
  } cases[] = {
      {"all three", Block(kUt, "\x07" + Le32(w) + Le32(a) + Le32(c)), true, FromUnix(w), FromUnix(a), FromUnix(c)},
      {"write only", Block(kUt, "\x01" + Le32(w)), true, FromUnix(w), 0, 0},
      {"access and creation", Block(kUt, "\x06" + Le32(a) + Le32(c)), true, 0, FromUnix(a), FromUnix(c)},
      {"flags promise more than the block holds", Block(kUt, "\x07" + Le32(w)), true, FromUnix(w), 0, 0},
      {"a long block before", Block(0xCAFE, std::string(300, 'z')) + Block(kUt, "\x01" + Le32(w)), true,
       FromUnix(w), 0, 0},
      {"only the first block counts",
       Block(kUt, "\x01" + Le32(w)) + Block(kUt, "\x01" + Le32(a)), true, FromUnix(w), 0, 0},
      {"before 1970", Block(kUt, "\x01" + Le32(-86400)), true, FromUnix(-86400), 0, 0},
      {"none", Block(0x000A, std::string(32, '\0')), false, 0, 0, 0},
      {"a block longer than the field", std::string("\xFE\xCA\xFF\xFF", 4) + Block(kUt, "\x01" + Le32(w)), false,
       0, 0, 0},
      {"too short to hold a block", std::string("UT\x01", 3), false, 0, 0, 0},
  };
  for (const auto& t : cases) {
    const ExtendedTimes times = ReadExtendedTimes(t.extra);
    EXPECT_EQ(times.found, t.found) << t.what;
    EXPECT_EQ(times.writeTime, t.write) << t.what;
    EXPECT_EQ(times.accessTime, t.access) << t.what;
    EXPECT_EQ(times.creationTime, t.creation) << t.what;
  }
}

TEST(ZipArchive, EntryTimesFromDosTimeAndExtendedTimestamps) {
  ZipBuilderEntry dos = Entry("dos.txt", "x");
  dos.dosDateTime = test::DosDateTime(2015, 4, 15, 14, 53, 54);
  ZipBuilderEntry ut = Entry("ut.txt", "y");
  ut.localExtra = Block(0x5455, "\x01" + Le32(1000000000));
  ZipBuilderEntry badDate = Entry("bad.txt", "z");
  badDate.dosDateTime = 0;  // month 0, day 0
  const std::string bytes = BuildZip({dos, ut, badDate});
  ZipArchive zip;
  ASSERT_TRUE(zip.OpenFromMemory(bytes.data(), bytes.size()));
  ZipEntry entry;
  ASSERT_TRUE(zip.GetEntry(0, entry));
  EXPECT_EQ(entry.writeTime, LocalFileTime(2015, 4, 15, 14, 53, 54));
  ASSERT_TRUE(zip.GetEntry(1, entry));
  EXPECT_EQ(entry.writeTime, FromUnix(1000000000));
  EXPECT_EQ(entry.accessTime, entry.creationTime);  // from the DOS time
  EXPECT_NE(entry.accessTime, entry.writeTime);
  ASSERT_TRUE(zip.GetEntry(2, entry));
  EXPECT_EQ(entry.writeTime, 0u);
}

TEST(ZipArchive, DosTimes) {
  EXPECT_EQ(DosTimeToUtcFileTime(test::DosDateTime(2016, 8, 18, 9, 57, 20)), LocalFileTime(2016, 8, 18, 9, 57, 20));
  EXPECT_EQ(DosTimeToUtcFileTime(test::DosDateTime(2016, 2, 29, 0, 0, 0)), LocalFileTime(2016, 2, 29, 0, 0, 0));
  EXPECT_EQ(DosTimeToUtcFileTime(test::DosDateTime(2015, 2, 29, 0, 0, 0)), 0u);
  EXPECT_EQ(DosTimeToUtcFileTime(test::DosDateTime(2015, 13, 1, 0, 0, 0)), 0u);
  EXPECT_EQ(DosTimeToUtcFileTime(test::DosDateTime(2015, 1, 1, 24, 0, 0)), 0u);
}

#ifndef _WIN32
TEST(ZipArchive, DosTimesAreLocalTime) {
  // 09:57:20 in a zone eight hours east of UTC is 01:57:20 UTC.
  const char* saved = std::getenv("TZ");
  const std::string previous = saved ? saved : "";
  setenv("TZ", "CST-8", 1);
  tzset();
  const uint64_t converted = DosTimeToUtcFileTime(test::DosDateTime(2016, 8, 18, 9, 57, 20));
  if (saved) {
    setenv("TZ", previous.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  EXPECT_EQ(converted, FromUnix(1471485440));
}
#endif

class ZipExtraction : public ::testing::Test {
 protected:
  std::wstring Base() const { return dir.Sub(L"base"); }
  std::wstring In(const std::wstring& relative) const { return Base() + Sep() + relative; }

  // Extracts every entry of the archive into the base folder and goes on
  // past refusals; refused (when given) receives the name of each entry that
  // could not be described or extracted ("#index" for the former).
  void ExtractEveryEntry(const std::string& bytes, std::vector<std::string>* refused = nullptr) {
    ZipArchive zip;
    ASSERT_TRUE(zip.OpenFromMemory(bytes.data(), bytes.size()));
    zip.SetBaseFolder(Base());
    ZipEntry count;
    ASSERT_TRUE(zip.GetEntry(-1, count));
    for (int i = 0; i < count.index; ++i) {
      ZipEntry entry;
      const bool described = zip.GetEntry(i, entry);
      const bool extracted = described && zip.ExtractEntry(i, entry.name);
      if (!extracted && refused) refused->push_back(described ? Utf8FromWide(entry.name) : "#" + std::to_string(i));
    }
  }

  // The names in the scratch folder, which should hold the base folder only.
  std::vector<std::string> NamesBesideTheBase() const {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(dir.path())) names.push_back(item.path().filename().string());
    return names;
  }

  test::TempDir dir;
};

TEST_F(ZipExtraction, FilesAndFoldersUnderTheBaseFolder) {
  ZipBuilderEntry folder = Entry("top/", "");
  folder.externalAttributes = 0x10;
  ZipBuilderEntry stored = Entry("top/stored.bin", std::string("\0\1\2\3", 4));
  stored.method = 0;
  ZipBuilderEntry big = Entry("big.txt", std::string(100000, 'q') + "end");
  ZipBuilderEntry readOnly = Entry("ro.txt", "read only");
  readOnly.externalAttributes = 0x21;
  const std::string bytes = BuildZip({Entry("d/e/f.txt", "deep"), folder, stored, big, readOnly});
  std::vector<std::string> refused;
  ASSERT_NO_FATAL_FAILURE(ExtractEveryEntry(bytes, &refused));
  EXPECT_EQ(refused, std::vector<std::string>{});
  // Times first: reading a file may change its access time.
  const test::FileFacts facts = test::ReadFileFacts(In(L"big.txt"));
  EXPECT_TRUE(FolderExists(In(L"d")));
  EXPECT_TRUE(FolderExists(In(L"d" + Sep() + L"e")));
  EXPECT_EQ(test::ReadFile(FsPath(In(L"d" + Sep() + L"e" + Sep() + L"f.txt"))), "deep");
  EXPECT_TRUE(FolderExists(In(L"top")));
  EXPECT_EQ(test::ReadFile(FsPath(In(L"top" + Sep() + L"stored.bin"))), std::string("\0\1\2\3", 4));
  EXPECT_EQ(test::ReadFile(FsPath(In(L"big.txt"))), std::string(100000, 'q') + "end");
  EXPECT_EQ(facts.writeTime, LocalFileTime(2016, 8, 18, 9, 57, 20));
  EXPECT_EQ(facts.accessTime, LocalFileTime(2016, 8, 18, 9, 57, 20));
#ifdef _WIN32
  EXPECT_EQ(facts.creationTime, LocalFileTime(2016, 8, 18, 9, 57, 20));
  EXPECT_EQ(facts.attributes & 0x21, 0x20u);
#endif
  EXPECT_EQ(test::ReadFileFacts(In(L"ro.txt")).attributes & kAttrReadOnly, kAttrReadOnly);
  fs::permissions(FsPath(In(L"ro.txt")), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(ZipExtraction, AbsoluteNamesStandAloneAndOtherNamesAreAllowed) {
  const std::string bytes = BuildZip({Entry("a.txt", "alpha")});
  ZipArchive zip;
  ASSERT_TRUE(zip.OpenFromMemory(bytes.data(), bytes.size()));
  zip.SetBaseFolder(Base());
  const std::wstring absolute = dir.Sub(L"elsewhere") + Sep() + L"renamed.txt";
  EXPECT_TRUE(zip.ExtractEntry(0, absolute));
  EXPECT_EQ(test::ReadFile(FsPath(absolute)), "alpha");
  EXPECT_TRUE(zip.ExtractEntry(0, L"sub" + Sep() + L"b.txt"));
  EXPECT_EQ(test::ReadFile(FsPath(In(L"sub" + Sep() + L"b.txt"))), "alpha");
  EXPECT_FALSE(zip.ExtractEntry(1, L"x"));
}

TEST_F(ZipExtraction, HostileNamesStayInsideTheBaseFolder) {
  ZipBuilderEntry folderUp = Entry("../up-folder/", "");
  folderUp.externalAttributes = 0x10;
  const std::string bytes = BuildZip({Entry("../evil1.txt", "1"), Entry("..\\evil2.txt", "2"),
                                      Entry("a/../../evil3.txt", "3"), Entry("/evil4.txt", "4"),
                                      Entry("C:\\evil5.txt", "5"), Entry("x/..", "6"), Entry("..", "7"),
                                      Entry("x\\..\\..\\..\\evil8.txt", "8"), folderUp});
  ASSERT_NO_FATAL_FAILURE(ExtractEveryEntry(bytes));
  EXPECT_EQ(NamesBesideTheBase(), std::vector<std::string>{"base"});
  for (const wchar_t* name : {L"evil1.txt", L"evil2.txt", L"evil3.txt", L"evil4.txt", L"evil5.txt", L"evil8.txt"}) {
    EXPECT_TRUE(FileExists(In(name))) << Utf8FromWide(name);
  }
  EXPECT_TRUE(FolderExists(In(L"up-folder")));
}

TEST_F(ZipExtraction, ADamagedEntryLeavesNoFileAndTheOthersGoOn) {
  const std::string text(200000, 'k');
  const std::string whole = text + std::string(200000, 'm');
  std::string deflated = test::RawDeflate(whole);
  ZipBuilderEntry cut = Entry("cut.txt", whole);
  cut.storedData = deflated.substr(0, deflated.size() / 2);  // both headers state the cut size
  ZipBuilderEntry garbage = Entry("garbage.txt", "some data that deflates");
  garbage.storedData = std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6);
  // Whole data whose CRC does not match, deflated and stored; a read-only
  // one must go too.
  ZipBuilderEntry badCrc = Entry("bad-crc.ini", "[set]\nvolume=80\n");
  badCrc.centralCrc = badCrc.localCrc = 0x12345678;
  ZipBuilderEntry badCrcStored = badCrc;
  badCrcStored.name = "bad-crc-stored.ini";
  badCrcStored.method = 0;
  ZipBuilderEntry badCrcReadOnly = badCrc;
  badCrcReadOnly.name = "bad-crc-read-only.ini";
  badCrcReadOnly.externalAttributes = 0x21;
  const std::string bytes =
      BuildZip({cut, garbage, badCrc, badCrcStored, badCrcReadOnly, Entry("good.txt", "fine")});
  ZipArchive zip;
  ASSERT_TRUE(zip.OpenFromMemory(bytes.data(), bytes.size()));
  zip.SetBaseFolder(Base());
  const wchar_t* damaged[] = {L"cut.txt", L"garbage.txt", L"bad-crc.ini", L"bad-crc-stored.ini",
                              L"bad-crc-read-only.ini"};
  for (int i = 0; i < 5; ++i) {
    // An earlier file of that name is not left either.
    test::WriteFile(FsPath(In(damaged[i])), "earlier");
    EXPECT_FALSE(zip.ExtractEntry(i, damaged[i])) << Utf8FromWide(damaged[i]);
    EXPECT_FALSE(PathExists(In(damaged[i]))) << Utf8FromWide(damaged[i]);
  }
  EXPECT_TRUE(zip.ExtractEntry(5, L"good.txt"));
  EXPECT_EQ(test::ReadFile(FsPath(In(L"good.txt"))), "fine");
  // The data up to the damage is still delivered to a reader that asks.
  std::string partial;
  EXPECT_FALSE(zip.ReadEntryData(0, [&](const char* data, size_t size) {
    partial.append(data, size);
    return true;
  }));
  EXPECT_GT(partial.size(), 0u);
  EXPECT_EQ(partial, whole.substr(0, partial.size()));
}

// Made by Info-ZIP's "zip -fz -X" (zip64 records for every entry, sizes in
// the zip64 extra fields, 0xFFFFFFFF in the headers): a.txt "hello zip64\n"
// stored, dated 2015-04-15 14:53:54; big.txt 40 times "quellmoor " deflated,
// dated 2016-08-18 09:57:20.
const char kZip64Archive[] =
    "\x50\x4B\x03\x04\x2D\x00\x00\x00\x00\x00\xBB\x76\x8F\x46\xEA\xE3\x4F\xED\xFF\xFF\xFF\xFF\xFF\xFF"
    "\xFF\xFF\x05\x00\x14\x00\x61\x2E\x74\x78\x74\x01\x00\x10\x00\x0C\x00\x00\x00\x00\x00\x00\x00\x0C"
    "\x00\x00\x00\x00\x00\x00\x00\x68\x65\x6C\x6C\x6F\x20\x7A\x69\x70\x36\x34\x0A\x50\x4B\x03\x04\x2D"
    "\x00\x00\x00\x08\x00\x2A\x4F\x12\x49\xC7\x21\x2B\x8D\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x07\x00\x14"
    "\x00\x62\x69\x67\x2E\x74\x78\x74\x01\x00\x10\x00\x90\x01\x00\x00\x00\x00\x00\x00\x11\x00\x00\x00"
    "\x00\x00\x00\x00\x2B\x2C\x4D\xCD\xC9\xC9\xCD\xCF\x2F\x52\x28\x1C\x65\x0D\x02\x16\x00\x50\x4B\x01"
    "\x02\x1E\x03\x2D\x00\x00\x00\x00\x00\xBB\x76\x8F\x46\xEA\xE3\x4F\xED\x0C\x00\x00\x00\xFF\xFF\xFF"
    "\xFF\x05\x00\x0C\x00\x00\x00\x00\x00\x01\x00\x00\x00\xA4\x81\x00\x00\x00\x00\x61\x2E\x74\x78\x74"
    "\x01\x00\x08\x00\x0C\x00\x00\x00\x00\x00\x00\x00\x50\x4B\x01\x02\x1E\x03\x2D\x00\x00\x00\x08\x00"
    "\x2A\x4F\x12\x49\xC7\x21\x2B\x8D\x11\x00\x00\x00\xFF\xFF\xFF\xFF\x07\x00\x0C\x00\x00\x00\x00\x00"
    "\x01\x00\x00\x00\xA4\x81\x43\x00\x00\x00\x62\x69\x67\x2E\x74\x78\x74\x01\x00\x08\x00\x90\x01\x00"
    "\x00\x00\x00\x00\x00\x50\x4B\x06\x06\x2C\x00\x00\x00\x00\x00\x00\x00\x1E\x03\x2D\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x80\x00\x00"
    "\x00\x00\x00\x00\x00\x8D\x00\x00\x00\x00\x00\x00\x00\x50\x4B\x06\x07\x00\x00\x00\x00\x0D\x01\x00"
    "\x00\x00\x00\x00\x00\x01\x00\x00\x00\x50\x4B\x05\x06\x00\x00\x00\x00\x02\x00\x02\x00\x80\x00\x00"
    "\x00\xFF\xFF\xFF\xFF\x00\x00";

TEST_F(ZipExtraction, Zip64EntriesKeepTheirSizesTimesAndCrcCheck) {
  std::string bytes(kZip64Archive, sizeof kZip64Archive - 1);
  ZipArchive zip;
  ASSERT_TRUE(zip.OpenFromMemory(bytes.data(), bytes.size()));
  zip.SetBaseFolder(Base());
  struct Expected {
    const wchar_t* name;
    std::string data;
    uint32_t compressed;
    uint64_t time;
  } expected[] = {{L"a.txt", "hello zip64\n", 12, LocalFileTime(2015, 4, 15, 14, 53, 54)},
                  {L"big.txt", [] {
                     std::string text;
                     for (int i = 0; i < 40; ++i) text += "quellmoor ";
                     return text;
                   }(), 17, LocalFileTime(2016, 8, 18, 9, 57, 20)}};
  for (int i = 0; i < 2; ++i) {
    ZipEntry entry;
    ASSERT_TRUE(zip.GetEntry(i, entry));
    EXPECT_EQ(entry.name, expected[i].name);
    EXPECT_EQ(entry.uncompressedSize, expected[i].data.size());
    EXPECT_EQ(entry.compressedSize, expected[i].compressed);
    EXPECT_TRUE(zip.ExtractEntry(i, entry.name)) << Utf8FromWide(entry.name);
    EXPECT_EQ(test::ReadFileFacts(In(entry.name)).writeTime, expected[i].time) << Utf8FromWide(entry.name);
    EXPECT_EQ(test::ReadFile(FsPath(In(entry.name))), expected[i].data);
  }
  zip.Close();

  // The same archive with one byte of the stored data changed: the CRC
  // check runs at the end of the entry and the file goes.
  bytes[0x37] = 'j';  // "hello" becomes "jello"
  ASSERT_TRUE(zip.OpenFromMemory(bytes.data(), bytes.size()));
  zip.SetBaseFolder(dir.Sub(L"damaged"));
  ZipEntry entry;
  ASSERT_TRUE(zip.GetEntry(0, entry));
  EXPECT_FALSE(zip.ExtractEntry(0, entry.name));
  EXPECT_FALSE(PathExists(dir.Sub(L"damaged") + Sep() + L"a.txt"));
  EXPECT_TRUE(zip.ExtractEntry(1, L"big.txt"));
}

TEST_F(ZipExtraction, ComponentsWithTrailingDotsAndSpacesStayInsideAndReachable) {
  ZipBuilderEntry folder = Entry("folder. /", "");
  folder.externalAttributes = 0x10;
  const std::string bytes = BuildZip({Entry(".. /evil1.txt", "1"), Entry("x/.. /.. /evil2.txt", "2"),
                                      Entry("... /evil3.txt", "3"), Entry("a/.../.../evil4.txt", "4"), folder,
                                      Entry("folder. /file. . ", "5"), Entry("x/.. ", "6")});
  ASSERT_NO_FATAL_FAILURE(ExtractEveryEntry(bytes));
  EXPECT_EQ(NamesBesideTheBase(), std::vector<std::string>{"base"});
  std::vector<std::string> inside;
  for (const auto& item : fs::recursive_directory_iterator(FsPath(Base()))) {
    inside.push_back(fs::relative(item.path(), FsPath(Base())).generic_string());
  }
  std::sort(inside.begin(), inside.end());
  EXPECT_EQ(inside, (std::vector<std::string>{"evil1.txt", "evil2.txt", "evil3.txt", "evil4.txt", "folder",
                                               "folder/file"}));
  EXPECT_EQ(test::ReadFile(FsPath(In(L"folder" + Sep() + L"file"))), "5");
}

TEST_F(ZipExtraction, AFileThatCannotBeCreatedFailsWithoutHarm) {
  const std::string bytes = BuildZip({Entry("taken", "x"), Entry("free.txt", "y")});
  ZipArchive zip;
  ASSERT_TRUE(zip.OpenFromMemory(bytes.data(), bytes.size()));
  zip.SetBaseFolder(Base());
  ASSERT_TRUE(CreateFolder(Base()));
  ASSERT_TRUE(CreateFolder(In(L"taken")));  // a folder of the entry's name
  EXPECT_FALSE(zip.ExtractEntry(0, L"taken"));
  EXPECT_TRUE(FolderExists(In(L"taken")));
  EXPECT_TRUE(zip.ExtractEntry(1, L"free.txt"));
}

}  // namespace
}  // namespace qm
