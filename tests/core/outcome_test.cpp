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

  first.AddMessagesOf(Outcome::Failure("it failed"));  // the caller decides what that failure means
  EXPECT_EQ(std::pair(first.ok(), first.messages()), std::pair(true, Texts{"a note", "it failed"}));
  first.Fail();
  EXPECT_EQ(std::pair(first.ok(), first.messages()), std::pair(false, Texts{"a note", "it failed"}));

  const Outcome cancelled = Outcome::Failure();
  EXPECT_EQ(std::pair(cancelled.ok(), cancelled.messages()), std::pair(false, Texts{}));
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
