#include "core/calculation_log.h"

#include <gtest/gtest.h>

#include "core/text_format.h"
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

  // A failed Open still closes the log it had, so nothing after it reaches the old file.
  ASSERT_TRUE(log.Open(path));
  log.Write("kept\n");
  EXPECT_FALSE(log.Open(folder.File("missing-folder/ruvo.log")));
  log.Write("lost\n");
  log.WriteFormatted("%d\n", 1);
  log.WriteFormatted<"%d\n">(1);
  log.Close();
  EXPECT_EQ(test::ReadFileBytes(path), "kept\n");
}

// A log far longer than the pieces it is gathered in, of plain texts and texts formatted at run
// time and from compile-time formats, keeps their order, and a log that is never closed is complete once it is
// destroyed.
TEST(CalculationLog, KeepsTheOrderOfLongLogsAndWritesTheRestWhenDestroyed) {
  test::TempFolder folder;
  const std::string path = folder.File("ruvo.log");
  std::string expected;
  {
    CalculationLog log;
    ASSERT_TRUE(log.Open(path));
    for (int line = 0; line < 20000; ++line) {
      log.Write("#");
      if (line % 2 == 0)
        log.WriteFormatted("%5i %7.3f\n", line, line / 7.0);
      else
        log.WriteFormatted<"%5i %7.3f\n">(line, line / 7.0);
      expected += "#" + FormatText("%5i %7.3f\n", line, line / 7.0);
    }
  }
  EXPECT_GT(expected.size(), 256u * 1024u);
  EXPECT_EQ(test::ReadFileBytes(path), expected);
}

}  // namespace
}  // namespace ruvo
