#include "core/settings.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace ruvo {
namespace {

TEST(Settings, AbsentValuesReadEmptyAndSettingsLiveInTheirSection) {
  MemorySettingsStore store;
  EXPECT_EQ(GetSetting(store, "EXE1"), "");
  PutSetting(store, "EXE1", "gnumeric <file>");
  EXPECT_EQ(GetSetting(store, "EXE1"), "gnumeric <file>");
  EXPECT_EQ(store.Read("Settings", "EXE1"), "gnumeric <file>");
  EXPECT_EQ(store.Read("Recent File List", "EXE1"), "");
}

TEST(Settings, RecentFileListKeepsTheFourNewestWithoutRepeats) {
  MemorySettingsStore store;
  EXPECT_EQ(LastDocumentPath(store), "");
  for (const char* path : {"/a.dat", "/b.dat", "/c.dat", "/d.dat", "/e.dat", "/c.dat"}) AddRecentDocument(store, path);
  EXPECT_EQ(store.Read(kRecentFileSection, "File1"), "/c.dat");
  EXPECT_EQ(store.Read(kRecentFileSection, "File2"), "/e.dat");
  EXPECT_EQ(store.Read(kRecentFileSection, "File3"), "/d.dat");
  EXPECT_EQ(store.Read(kRecentFileSection, "File4"), "/b.dat");
  EXPECT_EQ(store.Read(kRecentFileSection, "File5"), "");
  EXPECT_EQ(LastDocumentPath(store), "/c.dat");
}

TEST(Settings, ReopenLastDocumentOpensOnlyWhenTheListHasOne) {
  MemorySettingsStore store;
  std::vector<std::string> opened;
  const auto open = [&opened](const std::string& path) {
    opened.push_back(path);
    return path != "/broken.dat";
  };
  EXPECT_FALSE(ReopenLastDocument(store, open));
  EXPECT_TRUE(opened.empty());
  AddRecentDocument(store, "/runs/last.dat");
  EXPECT_TRUE(ReopenLastDocument(store, open));
  AddRecentDocument(store, "/broken.dat");
  EXPECT_FALSE(ReopenLastDocument(store, open));
  EXPECT_EQ(opened, (std::vector<std::string>{"/runs/last.dat", "/broken.dat"}));
}

TEST(Settings, LoadConfigurationGluesTheFolderSettingToTheFileName) {
  test::TempFolder folder;
  std::filesystem::create_directory(folder.Path() / "cfg");
  test::WriteFileBytes(folder.Path() / "cfg" / "ruvo.cfg", "1\n4\n");
  test::WriteFileBytes(folder.Path() / "ruvo.cfg", "2\n9\n");
  std::filesystem::current_path(folder.Path());
  MemorySettingsStore store;
  EXPECT_EQ(LoadConfiguration(store).trimLevel, 9);  // empty: the working directory
  PutSetting(store, "DIR", (folder.Path() / "cfg").string() + "/");
  EXPECT_EQ(LoadConfiguration(store).trimLevel, 4);
  PutSetting(store, "DIR", (folder.Path() / "cfg").string());  // no separator: "cfgruvo.cfg" is not found
  EXPECT_EQ(LoadConfiguration(store).trimLevel, 6);
}

}  // namespace
}  // namespace ruvo
