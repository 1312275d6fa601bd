#include "hardening/child_process.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace ruvo::test {

ChildOutcome RunInChild(const std::function<int()>& body) {
  constexpr int kExitThrew = 98;  // body let an exception escape
  ChildOutcome outcome;
  std::fflush(nullptr);  // buffered output would otherwise be written twice
  const pid_t pid = fork();
  if (pid < 0) return outcome;
  if (pid == 0) {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    int code = kExitThrew;
    try {
      code = body();
    } catch (...) {
    }
    _exit(code);  // no atexit handlers, no leak check of the parent's heap copy
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return outcome;
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return outcome;
}

}  // namespace ruvo::test
