// Outcomes carry every message in the order it arose; the front ends show them through the sink.
#include "core/outcome.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace ruvo {
namespace {

using Texts = std::vector<std::string>;

TEST(Outcome, KeepsMessagesInOrderAndFailsOnlyWhenTold) {
  Outcome first;
  first.Note("a note");
  EXPECT_EQ(std::pair(first.ok(), first.messages()), std::pair(true, Texts{"a note"}));

  Outcome later = Outcome::Failure("it failed");
  Outcome weighed = first;
  weighed.AddMessagesOf(later);  // the caller decides what the later failure means
  EXPECT_EQ(std::pair(weighed.ok(), weighed.messages()), std::pair(true, Texts{"a note", "it failed"}));

  first.Absorb(later);
  EXPECT_EQ(std::pair(first.ok(), first.messages()), std::pair(false, Texts{"a note", "it failed"}));
  first.Absorb(Outcome{});  // a later success does not mend an earlier failure
  EXPECT_FALSE(first);

  Outcome silent;
  silent.Fail();
  EXPECT_EQ(std::pair(silent.ok(), silent.messages()), std::pair(false, Texts{}));
}

TEST(Outcome, FrontEndsShowEveryMessageAndLearnTheResult) {
  Outcome outcome;
  outcome.Note("first");
  outcome.Fail("second");
  const test::MessageCapture shown;
  EXPECT_FALSE(ShowMessages(outcome));
  EXPECT_TRUE(ShowMessages(Outcome{}));
  EXPECT_EQ(shown.Texts(), (Texts{"first", "second"}));
}

}  // namespace
}  // namespace ruvo
