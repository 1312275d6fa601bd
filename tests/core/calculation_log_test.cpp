#include "core/calculation_log.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace ruvo {
namespace {

TEST(CalculationLog, TruncatesAnOldLogAndAppendsTextsUnchanged) {
  test::TempFolder folder;
  const std::string path = folder.File("ruvo.log");
  test::WriteFileBytes(path, "an old and much longer log\n");
  CalculationLog log;
  ASSERT_TRUE(log.Open(path));
  log.Write("#Ruvo Log file\n");
  log.Write("");
  log.Write("a\tb  c\n");
  log.Close();
  log.Write("after close\n");  // ignored
  EXPECT_EQ(test::ReadFileBytes(path), "#Ruvo Log file\na\tb  c\n");

  EXPECT_FALSE(log.Open(folder.File("missing-folder/ruvo.log")));
  EXPECT_FALSE(log.IsOpen());
}

}  // namespace
}  // namespace ruvo
