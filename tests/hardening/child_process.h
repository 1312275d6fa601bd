#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ruvo::test {

// Resource limits applied inside the child only.
struct ChildLimits {
  std::uint64_t fileSizeBytes = 0;  // largest file the child may write (a full disk); 0: no limit
  bool fileSizeKills = false;       // exceeding it ends the child (an interrupted write) instead of failing the write
};

// How a child ended, with every message it showed.
struct ChildOutcome {
  bool exited = false;  // returned from its body rather than being ended by a signal
  int exitCode = -1;
  int signal = 0;
  std::vector<std::string> messages;  // ShowMessage texts in order
  long peakMemoryKb = 0;              // largest resident size the child reached
};

// Runs body in a forked child process under limits, so that a limit or a fatal signal cannot
// touch the test process; the child's exit code is what body returns.
ChildOutcome RunInChild(const std::function<int()>& body, const ChildLimits& limits = {});

}  // namespace ruvo::test
