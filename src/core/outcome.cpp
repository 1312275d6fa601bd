#include "core/outcome.h"

#include <utility>

namespace ruvo {

Outcome Outcome::Failure(std::string message) {
  Outcome outcome;
  outcome.Fail(std::move(message));
  return outcome;
}

Outcome Outcome::Failure() {
  Outcome outcome;
  outcome.Fail();
  return outcome;
}

void Outcome::Note(std::string message) {
  texts.push_back(std::move(message));
}

void Outcome::Fail(std::string message) {
  succeeded = false;
  texts.push_back(std::move(message));
}

void Outcome::Fail() {
  succeeded = false;
}

void Outcome::AddMessagesOf(const Outcome& later) {
  texts.insert(texts.end(), later.texts.begin(), later.texts.end());
}

}  // namespace ruvo
