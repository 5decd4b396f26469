#include "base/paths.h"

#include <gtest/gtest.h>

#include <map>

#include "base/string_rows.h"
#include "platform/resources.h"

namespace qm {
namespace {

const std::map<unsigned, std::wstring> kRows = {
    {102, L"Quellmoor"},        {105, L"Tarnwick"},   {107, L"Quellmoor登录器"},
    {109, L"卸载-TarnwickQuellmoor"}, {117, L"qmr"}, {118, L"\\kvqmrtmp.exe"},
    {119, L"\\korvo_v1\\"},      {120, L"\\cache\\kvtstmpu.exe"}, {124, L"korvo_v1"},
    {125, L"Tarnwick"},         {197, L"res//systemset.ini"},
};

RowLoader Rows(std::map<unsigned, std::wstring> rows = kRows) {
  return [rows](unsigned row) {
    auto it = rows.find(row);
    return it == rows.end() ? std::wstring() : it->second;
  };
}

TEST(Paths, WindowsTable) {
  const PathComposer p({L"C:\\Users\\u\\AppData\\Roaming", L"C:\\Users\\u\\Desktop",
                        L"C:\\Users\\u\\Start Menu\\Programs", L"D:\\games\\Quellmoor.exe"},
                       Rows(), kWindowsPathStyle);
  EXPECT_EQ(p.DataFolder(), L"C:\\Users\\u\\AppData\\Roaming\\korvo_v1\\qmr\\");
  EXPECT_EQ(p.SettingsFile(), L"C:\\Users\\u\\AppData\\Roaming\\korvo_v1\\qmr\\res//systemset.ini");
  EXPECT_EQ(p.ResFolder(), L"C:\\Users\\u\\AppData\\Roaming\\korvo_v1\\qmr\\res");
  EXPECT_EQ(p.UpdateLog(), L"C:\\Users\\u\\AppData\\Roaming\\korvo_v1\\qmr\\res\\update.log");
  EXPECT_EQ(p.InstalledExecutable(), L"C:\\Users\\u\\AppData\\Roaming\\korvo_v1\\qmr\\Quellmoor.exe");
  EXPECT_EQ(p.InstallFolder(), p.DataFolder());
  EXPECT_EQ(p.StagingFolder(), L"C:\\Users\\u\\AppData\\Roaming\\cache");
  EXPECT_EQ(p.DownloadedUpdate(), L"C:\\Users\\u\\AppData\\Roaming\\cache\\kvqmrtmp.exe");
  EXPECT_EQ(p.UninstallerCopy(), L"C:\\Users\\u\\AppData\\Roaming\\cache\\kvtstmpu.exe");
  EXPECT_EQ(p.DesktopShortcut(), L"C:\\Users\\u\\Desktop\\Tarnwick《Quellmoor》.lnk");
  EXPECT_EQ(p.StartMenuFolder(), L"C:\\Users\\u\\Start Menu\\Programs\\Tarnwick\\Quellmoor");
  EXPECT_EQ(p.ProgramShortcut(), L"C:\\Users\\u\\Start Menu\\Programs\\Tarnwick\\Quellmoor\\Quellmoor.lnk");
  EXPECT_EQ(p.UninstallShortcut(),
            L"C:\\Users\\u\\Start Menu\\Programs\\Tarnwick\\Quellmoor\\卸载-TarnwickQuellmoor.lnk");
}

TEST(Paths, LinuxTable) {
  const PathComposer p({L"/home/u/.local/share", L"/home/u/Desktop", L"/home/u/.local/share/applications",
                        L"/opt/q/Quellmoor"},
                       Rows(), kLinuxPathStyle);
  EXPECT_EQ(p.DataFolder(), L"/home/u/.local/share/korvo_v1/qmr/");
  EXPECT_EQ(p.SettingsFile(), L"/home/u/.local/share/korvo_v1/qmr/res//systemset.ini");
  EXPECT_EQ(p.UpdateLog(), L"/home/u/.local/share/korvo_v1/qmr/res/update.log");
  EXPECT_EQ(p.InstalledExecutable(), L"/home/u/.local/share/korvo_v1/qmr/Quellmoor");
  EXPECT_EQ(p.DownloadedUpdate(), L"/home/u/.local/share/cache/kvqmrtmp.exe");
  EXPECT_EQ(p.UninstallerCopy(), L"/home/u/.local/share/cache/kvtstmpu.exe");
  EXPECT_EQ(p.DesktopShortcut(), L"/home/u/Desktop/Tarnwick《Quellmoor》.desktop");
  EXPECT_EQ(p.UninstallShortcut(),
            L"/home/u/.local/share/applications/Tarnwick/Quellmoor/卸载-TarnwickQuellmoor.desktop");
}

TEST(Paths, ModuleFileName) {
  EXPECT_EQ(PathComposer({L"A", L"", L"", L"Quellmoor.exe"}, Rows(), kWindowsPathStyle).ModuleFileName(),
            L"Quellmoor.exe");
  EXPECT_EQ(PathComposer({L"A", L"", L"", L"C:\\a\\b\\c.exe"}, Rows(), kWindowsPathStyle).ModuleFileName(),
            L"c.exe");
  EXPECT_EQ(PathComposer({L"A", L"", L"", L"C:\\a\\"}, Rows(), kWindowsPathStyle).ModuleFileName(), L"");
}

TEST(Paths, MissingRowComposesWithEmptyText) {
  auto rows = kRows;
  rows.erase(197);
  const PathComposer p({L"C:\\A", L"", L"", L"q.exe"}, Rows(rows), kWindowsPathStyle);
  EXPECT_EQ(p.SettingsFile(), p.DataFolder());
}

// One row of the helper table: a style, the input(s) and what each helper
// makes of them.
struct JoinCase {
  const PathStyle* style;
  std::wstring folder;
  std::wstring name;
  std::wstring joined;
};

TEST(Paths, JoinPutsExactlyOneSeparatorBetween) {
  const JoinCase cases[] = {
      {&kWindowsPathStyle, L"C:\\a", L"b.exe", L"C:\\a\\b.exe"},
      {&kWindowsPathStyle, L"C:\\a\\", L"b.exe", L"C:\\a\\b.exe"},
      {&kWindowsPathStyle, L"C:\\a\\", L"\\b.exe", L"C:\\a\\b.exe"},
      {&kWindowsPathStyle, L"C:\\a//", L"/b", L"C:\\a\\b"},
      {&kWindowsPathStyle, L"C:\\", L"b", L"C:\\b"},
      {&kWindowsPathStyle, L"C:\\a", L"\\korvo_v1\\qmr\\", L"C:\\a\\korvo_v1\\qmr\\"},
      {&kWindowsPathStyle, L"C:\\a", L"", L"C:\\a\\"},
      {&kWindowsPathStyle, L"", L"\\kvqmrtmp.exe", L"\\kvqmrtmp.exe"},
      {&kLinuxPathStyle, L"/home/u", L"b", L"/home/u/b"},
      {&kLinuxPathStyle, L"/home/u///", L"//b", L"/home/u/b"},
      {&kLinuxPathStyle, L"/", L"b", L"/b"},
      {&kLinuxPathStyle, L"/", L"/b", L"/b"},
      {&kLinuxPathStyle, L"a", L"b\\c", L"a/b\\c"},  // a backslash is part of a Linux name
      {&kLinuxPathStyle, L"", L"b", L"b"},
  };
  for (const JoinCase& c : cases) {
    EXPECT_EQ(JoinPath(c.folder, c.name, *c.style), c.joined) << c.folder << L" + " << c.name;
  }
}

struct SplitCase {
  const PathStyle* style;
  std::wstring path;
  std::wstring parent;
  std::wstring fileName;
  std::wstring withoutTrailing;
};

TEST(Paths, ParentFileNameAndTrailingSeparator) {
  const SplitCase cases[] = {
      {&kWindowsPathStyle, L"C:\\a\\b.exe", L"C:\\a", L"b.exe", L"C:\\a\\b.exe"},
      {&kWindowsPathStyle, L"C:\\a\\b\\", L"C:\\a", L"", L"C:\\a\\b"},
      {&kWindowsPathStyle, L"C:\\a/b.exe", L"C:\\a", L"b.exe", L"C:\\a/b.exe"},
      {&kWindowsPathStyle, L"C:\\a\\\\b.exe", L"C:\\a", L"b.exe", L"C:\\a\\\\b.exe"},
      {&kWindowsPathStyle, L"C:\\b.exe", L"C:\\", L"b.exe", L"C:\\b.exe"},
      {&kWindowsPathStyle, L"C:\\", L"C:\\", L"", L"C:\\"},  // a root is its own parent
      {&kWindowsPathStyle, L"b.exe", L"", L"b.exe", L"b.exe"},
      {&kWindowsPathStyle, L"", L"", L"", L""},
      {&kLinuxPathStyle, L"/opt/q/Quellmoor", L"/opt/q", L"Quellmoor", L"/opt/q/Quellmoor"},
      {&kLinuxPathStyle, L"/opt/q//", L"/opt", L"", L"/opt/q"},
      {&kLinuxPathStyle, L"/a", L"/", L"a", L"/a"},
      {&kLinuxPathStyle, L"/", L"/", L"", L"/"},
      {&kLinuxPathStyle, L"a\\b", L"", L"a\\b", L"a\\b"},
      {&kLinuxPathStyle, L"Quellmoor", L"", L"Quellmoor", L"Quellmoor"},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(ParentPath(c.path, *c.style), c.parent) << c.path;
    EXPECT_EQ(PathFileName(c.path, *c.style), c.fileName) << c.path;
    EXPECT_EQ(WithoutTrailingSeparator(c.path, *c.style), c.withoutTrailing) << c.path;
  }
}

TEST(Paths, NativeSeparatorsTurnOnlyBackslashes) {
  EXPECT_EQ(NativeSeparators(L"\\korvo_v1\\qmr\\", kLinuxPathStyle), L"/korvo_v1/qmr/");
  EXPECT_EQ(NativeSeparators(L"res//systemset.ini", kLinuxPathStyle), L"res//systemset.ini");
  EXPECT_EQ(NativeSeparators(L"\\korvo_v1\\qmr\\", kWindowsPathStyle), L"\\korvo_v1\\qmr\\");
  EXPECT_EQ(NativeSeparators(L"res//systemset.ini", kWindowsPathStyle), L"res//systemset.ini");
}

TEST(Paths, ShortcutNamesAndFoldersBesideTheExecutable) {
  const PathComposer windows({L"C:\\AppData", L"C:\\Desktop", L"C:\\Programs", L"D:\\g\\Quellmoor.exe"}, Rows(),
                             kWindowsPathStyle);
  EXPECT_EQ(windows.DesktopShortcutName(), L"Tarnwick《Quellmoor》.lnk");
  EXPECT_EQ(windows.ProgramShortcutName(), L"Quellmoor.lnk");
  EXPECT_EQ(windows.UninstallShortcutName(), L"卸载-TarnwickQuellmoor.lnk");
  EXPECT_EQ(windows.PortalMenuFolder(), L"C:\\Programs\\Tarnwick");
  EXPECT_EQ(windows.DataParentFolder(), L"C:\\AppData\\korvo_v1");
  EXPECT_EQ(windows.InstallSubFolder(), L"\\korvo_v1\\qmr\\");
  EXPECT_EQ(windows.ResFolderBeside(windows.InstalledExecutable()), L"C:\\AppData\\korvo_v1\\qmr\\res");
  EXPECT_EQ(windows.UninstallIconBeside(L"C:\\i\\Quellmoor.exe"), L"C:\\i\\res\\uninstall.ico");

  const PathComposer posix({L"/d", L"/desk", L"/d/applications", L"/opt/q/Quellmoor"}, Rows(), kLinuxPathStyle);
  EXPECT_EQ(posix.DesktopShortcutName(), L"Tarnwick《Quellmoor》.desktop");
  EXPECT_EQ(posix.PortalMenuFolder(), L"/d/applications/Tarnwick");
  EXPECT_EQ(posix.DataParentFolder(), L"/d/korvo_v1");
  EXPECT_EQ(posix.InstallSubFolder(), L"/korvo_v1/qmr/");
  EXPECT_EQ(posix.ResFolderBeside(L"/opt/q/Quellmoor"), L"/opt/q/res");
  EXPECT_EQ(posix.UninstallIconBeside(L"/Quellmoor"), L"/res/uninstall.ico");
}

TEST(Paths, RealStringTableHasEveryRow) {
  for (unsigned row : {102u, 105u, 107u, 109u, 114u, 116u, 117u, 118u, 119u, 120u, 124u, 125u, 191u, 192u, 197u}) {
    EXPECT_FALSE(LoadStringRow(row).empty()) << row;
  }
  EXPECT_EQ(LoadStringRow(107), L"Quellmoor登录器");
  EXPECT_EQ(LoadStringRow(118), L"\\kvqmrtmp.exe");
  EXPECT_EQ(LoadStringRow(116), L"缓存清理中，请稍后……");
  EXPECT_EQ(LoadStringRow(103), L"");
  const std::wstring login = LoadStringRow(114);
  EXPECT_NE(login.find(L"/client/gamecode/qmr/skin/as/"), std::wstring::npos);
  const std::wstring version = LoadStringRow(191);
  EXPECT_NE(version.back(), L'/');
}

}  // namespace
}  // namespace qm
