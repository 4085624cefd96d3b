// Runs part of a test in a child process, where it may lose privileges or
// meet a file size limit without touching the test process.
//
// The tests run as root in CI, and root may write any folder. A refused
// permission is therefore met by an unprivileged child: it forks, drops to
// the user and group `nobody` (65534) and runs the operation there. Run by an
// ordinary user, the child keeps that user, for whom the permissions already
// hold. The child sends its findings back as text through a pipe.
#pragma once

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace led2vqn::robustness {

inline constexpr uid_t kNobody = 65534;

struct ChildOptions {
  bool unprivileged = false;               // drop to nobody when running as root
  std::optional<rlim_t> fileSizeLimit;     // RLIMIT_FSIZE in bytes; SIGXFSZ ignored
  std::vector<std::string> mustBeWritable; // for the child: else the run is skipped
  std::vector<std::string> mustNotBeWritable;  // but reachable (a folder) or readable (a file)
};

struct ChildRun {
  std::optional<std::string> skipped;  // why the body did not run
  bool completed = false;              // the body returned and the child exited normally
  std::string output;                  // what the body returned (or what is known of a failure)
};

namespace detail {

inline constexpr int kSkipStatus = 77;

inline void writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t w = ::write(fd, text.data() + done, text.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return;
    done += static_cast<std::size_t>(w);
  }
}

[[noreturn]] inline void skipChild(int fd, const std::string& why) {
  writeAll(fd, why);
  ::_exit(kSkipStatus);
}

// Sets the child up as the options ask; returns a reason when it cannot.
inline std::optional<std::string> prepareChild(const ChildOptions& o) {
  if (o.unprivileged && ::geteuid() == 0) {
    if (::setgroups(0, nullptr) != 0) return std::string("setgroups failed: ") + std::strerror(errno);
    if (::setgid(kNobody) != 0) return std::string("setgid(65534) failed: ") + std::strerror(errno);
    if (::setuid(kNobody) != 0) return std::string("setuid(65534) failed: ") + std::strerror(errno);
  }
  if (o.fileSizeLimit) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{*o.fileSizeLimit, *o.fileSizeLimit};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("setrlimit failed: ") + std::strerror(errno);
  }
  for (const std::string& path : o.mustBeWritable) {
    if (::access(path.c_str(), W_OK | X_OK) != 0) {
      return "the child (uid " + std::to_string(::geteuid()) + ") cannot write " + path + ": " + std::strerror(errno);
    }
  }
  for (const std::string& path : o.mustNotBeWritable) {
    struct stat st;
    const int reach = ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? X_OK : R_OK;
    if (::access(path.c_str(), reach) != 0) {
      return "the child (uid " + std::to_string(::geteuid()) + ") cannot reach " + path + ": " + std::strerror(errno);
    }
    if (::access(path.c_str(), W_OK) == 0) {
      return "the child (uid " + std::to_string(::geteuid()) + ") may write " + path +
             " although its permissions forbid it (a capability such as CAP_DAC_OVERRIDE)";
    }
  }
  return std::nullopt;
}

}  // namespace detail

// Forks; the child applies `options`, runs `body` and returns its text.
inline ChildRun runInChild(const ChildOptions& options, const std::function<std::string()>& body) {
  int fds[2];
  if (::pipe(fds) != 0) return ChildRun{std::string("pipe failed: ") + std::strerror(errno), false, {}};
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return ChildRun{std::string("fork failed: ") + std::strerror(errno), false, {}};
  }
  if (pid == 0) {
    ::close(fds[0]);
    if (auto why = detail::prepareChild(options)) detail::skipChild(fds[1], *why);
    detail::writeAll(fds[1], body());
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t r = ::read(fds[0], buffer, sizeof buffer);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    text.append(buffer, static_cast<std::size_t>(r));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  ChildRun run;
  if (WIFEXITED(status) && WEXITSTATUS(status) == detail::kSkipStatus) {
    run.skipped = text;
  } else {
    run.completed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.output = run.completed ? text : "the child ended with status " + std::to_string(status) + " after: " + text;
  }
  return run;
}

// Opens a folder to everyone for writing too (0777), or to everyone, its
// owner included, for reading only (0555).
inline bool openFolder(const std::string& path, bool writable) {
  return ::chmod(path.c_str(), writable ? 0777 : 0555) == 0;
}

// Mode of a file that nobody but root may read or write, its owner included.
inline constexpr mode_t kUnreadable = 0000;

}  // namespace led2vqn::robustness
