#include "hardening/child_process.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "core/message.h"

namespace ruvo::test {
namespace {

constexpr int kExitThrew = 98;         // body let an exception escape
constexpr int kExitNoChildSetup = 97;  // a limit could not be set

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written <= 0) return;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

[[noreturn]] void RunChild(const std::function<int()>& body, const ChildLimits& limits, int messageFd) {
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  if (limits.fileSizeBytes > 0) {
    const rlimit fileSize{limits.fileSizeBytes, limits.fileSizeBytes};
    if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0) _exit(kExitNoChildSetup);
  }
  std::signal(SIGXFSZ, limits.fileSizeKills ? SIG_DFL : SIG_IGN);
  // Each text travels with its terminating NUL, so the parent can split them.
  SetMessageHandler([messageFd](const std::string& text) { WriteAll(messageFd, text.c_str(), text.size() + 1); });
  int code = kExitThrew;
  try {
    code = body();
  } catch (...) {
  }
  _exit(code);  // no atexit handlers, no leak check of the parent's heap copy
}

}  // namespace

ChildOutcome RunInChild(const std::function<int()>& body, const ChildLimits& limits) {
  ChildOutcome outcome;
  int fds[2];
  if (pipe(fds) != 0) return outcome;
  std::fflush(nullptr);  // buffered output would otherwise be written twice
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return outcome;
  }
  if (pid == 0) {
    close(fds[0]);
    RunChild(body, limits, fds[1]);
  }
  close(fds[1]);
  std::string received;
  char buffer[4096];
  for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;)
    received.append(buffer, static_cast<std::size_t>(got));
  close(fds[0]);
  for (std::size_t start = 0, end; (end = received.find('\0', start)) != std::string::npos; start = end + 1)
    outcome.messages.push_back(received.substr(start, end - start));

  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return outcome;
  outcome.exited = WIFEXITED(status);
  outcome.exitCode = outcome.exited ? WEXITSTATUS(status) : -1;
  outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  outcome.peakMemoryKb = usage.ru_maxrss;
  return outcome;
}

}  // namespace ruvo::test
