#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

namespace ruvo::fuzz {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

}  // namespace ruvo::fuzz
