// A test body run in a child process (POSIX), for what must not touch the
// test program itself: resource limits, ignored signals, hangs.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace led2vqn::support {

struct ChildOutcome {
  std::string text;  // what the body returned, bytes as they are
  int status = 0;    // waitpid's status
  bool ok() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }
};

// Runs `body` in a child that has `seconds` (a case that hangs fails instead
// of holding up the suite) and hands its text back through a pipe.
inline ChildOutcome runInChild(const std::function<std::string()>& body, unsigned seconds = 60) {
  ChildOutcome out;
  int fds[2];
  if (::pipe(fds) != 0) return {"pipe failed", -1};
  const pid_t pid = ::fork();
  if (pid < 0) {  // no child: waitpid(-1) below would wait for any child, or find none and say nothing
    ::close(fds[0]);
    ::close(fds[1]);
    return {"fork failed", -1};
  }
  if (pid == 0) {
    ::close(fds[0]);
    ::alarm(seconds);
    const std::string text = body();
    for (std::size_t at = 0; at < text.size();) {
      const ssize_t n = ::write(fds[1], text.data() + at, text.size() - at);
      if (n <= 0) ::_exit(3);
      at += std::size_t(n);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  char buffer[65536];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) out.text.append(buffer, std::size_t(n));
  ::close(fds[0]);
  ::waitpid(pid, &out.status, 0);
  return out;
}

}  // namespace led2vqn::support
