// The platform layer on Linux and other POSIX systems.
#ifndef _WIN32

#include "base/platform.hpp"
#include "base/pending_temporaries.hpp"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <initializer_list>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__EMSCRIPTEN__)
#include <emscripten.h>

#include "base/gbk_table.hpp"
#else
#include <iconv.h>
#endif

namespace led2vqn::platform {

std::string errorText(SystemError e) { return std::strerror(e.code); }
SystemError isAFolderError() { return {EISDIR}; }
SystemError notARegularFileError() { return {EINVAL}; }
SystemError inputOutputError() { return {EIO}; }

namespace {

int fdOf(std::intptr_t handle) { return static_cast<int>(handle); }

SystemError lastError() { return {errno}; }

#if defined(__EMSCRIPTEN__)
// WebAssembly starts with a umask of 0777, which would give every new file
// no permissions at all: take the host's (Node's process; 022 in a browser).
EM_JS(int, hostUmask, (), {
  return typeof process === "object" && typeof process.umask === "function" ? process.umask() : 18;
});
const bool kUmaskTaken = (::umask(static_cast<mode_t>(hostUmask())), true);

// The folder of the script Node runs (the executable is Node itself), or "".
EM_JS(char*, scriptFolder, (), {
  if (typeof process !== "object" || !process.argv || !process.argv[1]) return 0;
  const path = require("path");
  let script = process.argv[1];
  try { script = require("fs").realpathSync(script); } catch (e) {}
  return allocateUTF8(path.dirname(path.resolve(script)));
});

// A variable of Node's environment (the C library's own holds only defaults), or 0.
EM_JS(char*, hostEnvironmentVariable, (const char* name), {
  if (typeof process !== "object" || !process.env) return 0;
  const value = process.env[UTF8ToString(name)];
  return value === undefined ? 0 : allocateUTF8(value);
});

std::optional<std::string> takeHostString(char* text) {
  if (text == nullptr) return std::nullopt;
  std::string out(text);
  std::free(text);
  return out;
}
#endif

}  // namespace

File::~File() { close(); }

std::optional<SystemError> File::openRegular(const std::string& path, Access access) {
  close();
  const int mode = access == Access::kRead ? O_RDONLY : access == Access::kWrite ? O_WRONLY : O_RDWR;
#if defined(__EMSCRIPTEN__)
  // Node's file access drops O_NONBLOCK, so a FIFO would be waited on:
  // look before opening.
  struct stat before;
  if (::stat(path.c_str(), &before) == 0) {
    if (S_ISDIR(before.st_mode)) return isAFolderError();
    if (!S_ISREG(before.st_mode)) return notARegularFileError();
  }
#endif
  // Non-blocking, so that opening a FIFO does not wait for its other end;
  // only regular files are used.
  const int fd = ::open(path.c_str(), mode | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return lastError();
  struct stat st;
  std::optional<SystemError> err;
  if (::fstat(fd, &st) != 0) {
    err = lastError();
  } else if (S_ISDIR(st.st_mode)) {
    err = isAFolderError();
  } else if (!S_ISREG(st.st_mode)) {
    err = notARegularFileError();
  }
  if (err) {
    ::close(fd);
    return err;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  handle_ = fd;
  return std::nullopt;
}

void File::reserve(uint64_t bytes) {
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
  // Writes into blocks set aside at once skip the per-page reservation of
  // delayed allocation. Beyond the size, so no file size limit is met here.
  if (handle_ != kNoHandle) ::fallocate(fdOf(handle_), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes));
#else
  (void)bytes;
#endif
}

std::optional<SystemError> File::createBeside(const std::string& target, std::string& tempPath) {
  close();
  const std::size_t slash = lastSeparator(target);
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  // The temporary name is no longer than the target's, whose own length may
  // be the longest a folder takes: a long base is cut.
  constexpr std::size_t kTempBaseBytes = 200;
  std::string pattern = folder + "." + base.substr(0, kTempBaseBytes) + ".XXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return lastError();
  // A new file gets the permissions any new file gets (mkostemp makes 0600).
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  handle_ = fd;
  tempPath = pattern;
  return std::nullopt;
}

std::optional<SystemError> File::size(uint64_t& out) const {
  struct stat st;
  if (::fstat(fdOf(handle_), &st) != 0) return lastError();
  out = static_cast<uint64_t>(st.st_size);
  return std::nullopt;
}

std::optional<SystemError> File::readAt(uint64_t offset, uint8_t* into, std::size_t n, std::size_t& got) const {
  got = 0;
  ssize_t r;
  do {
#if defined(__EMSCRIPTEN__)
    // Its pread passes only the low 32 bits of the offset.
    r = ::lseek(fdOf(handle_), static_cast<off_t>(offset), SEEK_SET) < 0 ? -1 : ::read(fdOf(handle_), into, n);
#else
    r = ::pread(fdOf(handle_), into, n, static_cast<off_t>(offset));
#endif
  } while (r < 0 && errno == EINTR);
  if (r < 0) return lastError();
  got = static_cast<std::size_t>(r);
  return std::nullopt;
}

std::optional<SystemError> File::writeAt(uint64_t offset, const uint8_t* data, std::size_t n,
                                         std::size_t& written) {
  written = 0;
  ssize_t w;
  do {
#if defined(__EMSCRIPTEN__)
    // Its pwrite passes only the low 32 bits of the offset.
    w = ::lseek(fdOf(handle_), static_cast<off_t>(offset), SEEK_SET) < 0 ? -1 : ::write(fdOf(handle_), data, n);
#else
    w = ::pwrite(fdOf(handle_), data, n, static_cast<off_t>(offset));
#endif
  } while (w < 0 && errno == EINTR);
  if (w < 0) return lastError();
  written = static_cast<std::size_t>(w);
  return std::nullopt;
}

std::optional<SystemError> File::close() {
  if (handle_ == kNoHandle) return std::nullopt;
  const int fd = fdOf(handle_);
  handle_ = kNoHandle;
  if (::close(fd) != 0) return lastError();
  return std::nullopt;
}

std::optional<SystemError> replaceFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return lastError();
  return std::nullopt;
}

void removeFile(const std::string& path) { ::unlink(path.c_str()); }

void createEmptyIfMissing(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) ::close(fd);
}

PathInfo pathInfo(const std::string& path) {
  PathInfo info;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT && errno != ENOTDIR) {
      info.kind = PathKind::kOther;
      info.error = lastError();
    }
    return info;
  }
  info.kind = S_ISREG(st.st_mode) ? PathKind::kRegular : S_ISDIR(st.st_mode) ? PathKind::kFolder : PathKind::kOther;
  info.size = static_cast<uint64_t>(st.st_size);
  return info;
}

bool isReadable(const std::string& path) { return ::access(path.c_str(), R_OK) == 0; }

std::FILE* openStream(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

const char kSeparator = '/';

bool isSeparator(char c) { return c == '/'; }

std::size_t lastSeparator(const std::string& path) { return path.rfind('/'); }

bool isAbsolutePath(const std::string& path) { return !path.empty() && path.front() == '/'; }

std::string currentFolder() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::string programFolder() {
#if defined(__EMSCRIPTEN__)
  return takeHostString(scriptFolder()).value_or(std::string());
#else
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  const std::string exe = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
  const std::size_t slash = exe.rfind('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash);
#endif
}

std::optional<std::string> environmentVariable(const char* name) {
#if defined(__EMSCRIPTEN__)
  return takeHostString(hostEnvironmentVariable(name));
#else
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
#endif
}

std::string userConfigFolder() {
  if (auto xdg = environmentVariable("XDG_CONFIG_HOME"); xdg && !xdg->empty()) return *xdg;
  if (auto home = environmentVariable("HOME"); home && !home->empty()) return *home + "/.config";
  return std::string();
}

const char* const kUserConfigFolderSpelling = "~/.config";
const char* const kUserConfigFolderVariables = "HOME or XDG_CONFIG_HOME";

std::tm localTime(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  return local;
}

#if defined(__EMSCRIPTEN__)

// Its C library has no GBK converter: the table generated from glibc's.
GbkEncoder::GbkEncoder() : state_(nullptr) {}
GbkEncoder::~GbkEncoder() = default;
bool GbkEncoder::append(const char* ch, std::size_t n, std::string& out) {
  static_cast<void>(state_);  // no converter to keep
  return appendGbkFromTable(ch, n, out);
}

#else

namespace {

iconv_t converterOf(void* state) { return static_cast<iconv_t>(state); }
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

}  // namespace

GbkEncoder::GbkEncoder() : state_(iconv_open("GBK", "UTF-8")) {}

GbkEncoder::~GbkEncoder() {
  if (converterOf(state_) != kNoConverter) iconv_close(converterOf(state_));
}

bool GbkEncoder::append(const char* ch, std::size_t n, std::string& out) {
  const iconv_t cd = converterOf(state_);
  if (cd == kNoConverter) return false;
  char buffer[8];
  char* in = const_cast<char*>(ch);
  std::size_t inLeft = n;
  char* o = buffer;
  std::size_t outLeft = sizeof buffer;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  const std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
  // r > 0: an irreversible (approximate) conversion; no bytes at all: a
  // character the converter drops (the tag characters), which GBK cannot hold
  if (r == static_cast<std::size_t>(-1) || inLeft != 0 || r > 0 || o == buffer) return false;
  out.append(buffer, sizeof buffer - outLeft);
  return true;
}

#endif

void prepareConsole() {}

std::vector<std::string> commandLineArguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

bool writerThreadAvailable() {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
  return false;
#elif defined(__linux__)
  // The cores this process may run on, not those the machine has.
  cpu_set_t set;
  if (::sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set) > 1;
  return ::sysconf(_SC_NPROCESSORS_ONLN) > 1;
#else
  return ::sysconf(_SC_NPROCESSORS_ONLN) > 1;
#endif
}

void blockSignalsOnThisThread() {
#if !defined(__EMSCRIPTEN__) || defined(__EMSCRIPTEN_PTHREADS__)
  sigset_t all;
  sigfillset(&all);
  ::pthread_sigmask(SIG_BLOCK, &all, nullptr);
#endif
}

namespace {

// Paths an interruption removes, kept in fixed buffers: a signal handler
// may only call unlink on what is already there.
PendingTemporaries<char, PATH_MAX, kMaxPendingTemporaries> pending;

extern "C" void removeTemporariesAndExit(int signal) {
  pending.removeAll([](const char* path) { ::unlink(path); });
  ::_exit(128 + signal);
}

}  // namespace

int rememberTemporary(const std::string& path) { return pending.remember(path); }

void forgetTemporary(int slot) { pending.forget(slot); }

void removeTemporariesOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = removeTemporariesAndExit;
  sigemptyset(&action.sa_mask);
  // While one of them is handled the others wait.
  for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, s);
  for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal ignored by whoever started the program (nohup) stays ignored.
    struct sigaction before {};
    if (::sigaction(s, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    ::sigaction(s, &action, nullptr);
  }
}

static_assert(sizeof(sigset_t) <= sizeof(unsigned char[128]), "the saved signal mask does not fit");

InterruptionsHeld::InterruptionsHeld() {
  sigset_t held;
  sigemptyset(&held);
  for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, s);
  ::pthread_sigmask(SIG_BLOCK, &held, reinterpret_cast<sigset_t*>(saved_));
}

InterruptionsHeld::~InterruptionsHeld() { ::pthread_sigmask(SIG_SETMASK, reinterpret_cast<sigset_t*>(saved_), nullptr); }

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace led2vqn::platform

#endif  // !_WIN32
