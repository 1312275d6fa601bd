#include "core/settings.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace ruvo {
namespace {

TEST(Settings, ReopenLastDocumentOpensTheNewestEntryOnlyWhenTheListHasOne) {
  MemorySettingsStore store;
  std::vector<std::string> opened;
  const auto open = [&opened](const std::string& path) { return opened.emplace_back(path) != "/broken.dat"; };
  store.Write("Recent File List", "File2", "/older.dat");
  EXPECT_FALSE(ReopenLastDocument(store, open));  // no newest entry
  store.Write("Recent File List", "File1", "/runs/last.dat");
  EXPECT_TRUE(ReopenLastDocument(store, open));
  store.Write("Recent File List", "File1", "/broken.dat");
  EXPECT_FALSE(ReopenLastDocument(store, open));
  EXPECT_EQ(opened, (std::vector<std::string>{"/runs/last.dat", "/broken.dat"}));
}

TEST(Settings, SettingsLiveInTheirSectionAndLoadConfigurationGluesTheFolderToTheFileName) {
  test::TempFolder folder;
  std::filesystem::create_directory(folder.Path() / "cfg");
  test::WriteFileBytes(folder.Path() / "cfg" / "ruvo.cfg", "1\n4\n");
  test::WriteFileBytes(folder.Path() / "ruvo.cfg", "2\n9\n");
  std::filesystem::current_path(folder.Path());
  MemorySettingsStore store;
  EXPECT_EQ(GetSetting(store, "DIR"), "");
  EXPECT_EQ(LoadConfiguration(store).trimLevel, 9);  // empty: the working directory
  PutSetting(store, "DIR", (folder.Path() / "cfg").string() + "/");
  EXPECT_EQ(store.Read("Settings", "DIR"), (folder.Path() / "cfg").string() + "/");
  EXPECT_EQ(store.Read("Recent File List", "DIR"), "");
  EXPECT_EQ(LoadConfiguration(store).trimLevel, 4);
  PutSetting(store, "DIR", (folder.Path() / "cfg").string());  // no separator: "cfgruvo.cfg" is not found
  EXPECT_EQ(LoadConfiguration(store).trimLevel, 6);
}

}  // namespace
}  // namespace ruvo
