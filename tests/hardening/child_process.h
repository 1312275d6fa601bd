#pragma once

#include <functional>

namespace ruvo::test {

// How a child ended.
struct ChildOutcome {
  int exitCode = -1;  // what body returned; -1 when a signal ended the child
  int signal = 0;     // the signal that ended it, if one did
};

// Runs body in a forked child process, so that a resource limit it sets or a fatal signal cannot
// touch the test process. The child writes no core file.
ChildOutcome RunInChild(const std::function<int()>& body);

}  // namespace ruvo::test
