// Times a desktop program's start: from exec to the first Expose of a top-level window it maps on
// the X display (the moment a user first sees it), with the processor time it used until then.
// Usage: ruvo-window-start PROGRAM [ARGUMENTS...]; prints "window after 63.2 ms (41 ms of processor
// time)" and ends the program. Exits 1 when no window appears within 10 s.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kLongestWait = std::chrono::seconds(10);
constexpr auto kExposeGrace = std::chrono::milliseconds(100);  // after a map whose Expose we missed
constexpr int kPollMicroseconds = 100;

// User and system processor time of a process so far, ms (fields 14 and 15 of /proc/PID/stat).
long ProcessorMilliseconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  const std::string line((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(line.substr(line.rfind(')') + 2));  // after the command's name
  std::vector<std::string> values((std::istream_iterator<std::string>(fields)), std::istream_iterator<std::string>());
  if (values.size() < 13) return -1;
  return (std::stol(values[11]) + std::stol(values[12])) * 1000 / sysconf(_SC_CLK_TCK);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ruvo-window-start PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "ruvo-window-start: no X display\n");
    return 2;
  }
  const Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);

  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  // Each new top-level window is asked for its Expose events as soon as it exists, long before a
  // program builds its widgets and maps it. Should a map still come first, its MapNotify counts.
  std::optional<Clock::time_point> shown, mapped;
  while (!shown && Clock::now() - start < kLongestWait) {
    if (mapped && Clock::now() - *mapped > kExposeGrace) shown = mapped;
    if (!XPending(display)) {
      usleep(kPollMicroseconds);
      continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
      XSelectInput(display, event.xcreatewindow.window, ExposureMask);
      XFlush(display);
    } else if (event.type == MapNotify && event.xmap.event == root && !mapped) {
      mapped = Clock::now();
    } else if (event.type == Expose) {
      shown = Clock::now();
    }
  }
  const long processor = shown ? ProcessorMilliseconds(child) : -1;
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  XCloseDisplay(display);
  if (!shown) {
    std::fprintf(stderr, "ruvo-window-start: no window within %lld s\n", static_cast<long long>(kLongestWait.count()));
    return 1;
  }
  std::printf("window after %.1f ms (%ld ms of processor time)\n",
              std::chrono::duration<double, std::milli>(*shown - start).count(), processor);
  return 0;
}
