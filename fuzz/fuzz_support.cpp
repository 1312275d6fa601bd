#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

#include "core/message.h"

namespace ruvo::fuzz {

void SilenceMessages() {
  static const bool silenced = [] {
    SetMessageHandler([](const std::string&) {});
    return true;
  }();
  (void)silenced;
}

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

}  // namespace ruvo::fuzz
