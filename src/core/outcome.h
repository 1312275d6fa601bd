#pragma once

#include <string>
#include <vector>

namespace ruvo {

// What an engine operation reports instead of showing anything itself: success or failure, and
// the messages for the user in the order they arose. A message alone does not mean failure: some
// are notes the work went on after ("Only the first 10 wave files are used ..."). Only the front
// ends show the messages (ShowMessages in core/message.h).
class Outcome {
 public:
  Outcome() = default;  // success, no messages
  static Outcome Failure(std::string message);
  // A failure without a message of its own (a cancel).
  static Outcome Failure();

  bool ok() const { return succeeded; }
  explicit operator bool() const { return succeeded; }
  const std::vector<std::string>& messages() const { return texts; }

  // Adds a message the work goes on after.
  void Note(std::string message);
  // Adds a message and marks the operation failed.
  void Fail(std::string message);
  // Marks the operation failed without a message of its own.
  void Fail();
  // Adds later's messages after these; whether later failed is for the caller to weigh.
  void AddMessagesOf(const Outcome& later);

 private:
  bool succeeded = true;
  std::vector<std::string> texts;
};

}  // namespace ruvo
