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
