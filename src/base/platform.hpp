// What the program needs from the operating system, in one place: files
// read and written at offsets, the temporary file beside a target and its
// replacement of the target, the system's error texts, folders, the readme's
// GBK encoding, path separators, the console and interruption. Paths are
// UTF-8 everywhere; the Windows implementation turns them into wide
// characters at each system call.
//
// platform_posix.cpp and platform_win32.cpp implement this header; they are
// the only files that include system headers or test the platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace led2vqn::platform {

// An error as the system reports it (errno, or a Windows error code).
struct SystemError {
  int code = 0;
};

// The system's text for an error, in UTF-8, without a trailing period or line end.
std::string errorText(SystemError e);

// The errors the program reports of its own accord, in the system's terms.
SystemError isAFolderError();
SystemError notARegularFileError();
SystemError inputOutputError();

enum class Access { kRead, kReadWrite, kWrite };

// An open file of the system, read and written at explicit offsets.
class File {
 public:
  File() = default;
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool isOpen() const { return handle_ != kNoHandle; }
  // Opens an existing regular file, never creating it. A folder, a FIFO or
  // a device is refused, and a FIFO is never waited on.
  std::optional<SystemError> openRegular(const std::string& path, Access access);
  // Creates a new, empty file in the folder of `target` whose name starts
  // with "." and the target's name; `tempPath` receives its path. A target
  // without a folder gets its temporary file in the current folder.
  std::optional<SystemError> createBeside(const std::string& target, std::string& tempPath);
  // Size in bytes as the file system reports it now.
  std::optional<SystemError> size(uint64_t& out) const;
  // One read at offset: `got` is what the system gave, 0 at the end.
  std::optional<SystemError> readAt(uint64_t offset, uint8_t* into, std::size_t n, std::size_t& got) const;
  // One write at offset: `written` may fall short of n.
  std::optional<SystemError> writeAt(uint64_t offset, const uint8_t* data, std::size_t n, std::size_t& written);
  // Asks the file system for the space of bytes 0 .. bytes-1 ahead of their
  // writes, the size unchanged; where it cannot or will not, nothing happens
  // and the writes go on as they would have.
  void reserve(uint64_t bytes);
  // Closes the file; an error is a write that did not reach it.
  std::optional<SystemError> close();

 private:
  static constexpr std::intptr_t kNoHandle = -1;
  std::intptr_t handle_ = kNoHandle;  // descriptor or HANDLE
};

// Puts the file at `from` in place of `to`, which may exist. A target the
// system marks read-only is refused on Windows (POSIX replaces it).
std::optional<SystemError> replaceFile(const std::string& from, const std::string& to);
// Removes a file; a failure is ignored.
void removeFile(const std::string& path);
// Creates an empty file at path unless something is there; failures are ignored.
void createEmptyIfMissing(const std::string& path);

enum class PathKind { kMissing, kRegular, kFolder, kOther };

// What is at a path. kMissing when nothing is there (or a folder on the way
// is missing); any other failure to look leaves kind kOther and sets error.
struct PathInfo {
  PathKind kind = PathKind::kMissing;
  uint64_t size = 0;
  std::optional<SystemError> error;
};
PathInfo pathInfo(const std::string& path);
// True when this process may open the file at path for reading.
bool isReadable(const std::string& path);
// Opens a file as the C library does ("rb", "wb"), or nullptr.
std::FILE* openStream(const std::string& path, const char* mode);

// Path separators: '/' on POSIX systems ('\' is part of a name there);
// '\' and '/' on Windows, which writes '\'.
extern const char kSeparator;
bool isSeparator(char c);
// Position of the last separator of path, or npos.
std::size_t lastSeparator(const std::string& path);
// True for "/x" on POSIX; "C:\x", "C:/x", "\\server\share" and "\x" on Windows.
bool isAbsolutePath(const std::string& path);

// The current folder, or "" when it cannot be named.
std::string currentFolder();
// The folder holding the running executable, or "" when unknown.
std::string programFolder();
// The per-user folder for settings ($XDG_CONFIG_HOME or ~/.config; %APPDATA%), or "".
std::string userConfigFolder();
// That folder as people write it ("~/.config"; "%APPDATA%"), and the
// environment variables that name it ("HOME or XDG_CONFIG_HOME"; "APPDATA").
extern const char* const kUserConfigFolderSpelling;
extern const char* const kUserConfigFolderVariables;
// An environment variable in UTF-8, nullopt when unset.
std::optional<std::string> environmentVariable(const char* name);

// The broken-down local time of `when`.
std::tm localTime(std::time_t when);

// Encodes single UTF-8 characters in GBK (code page 936 on Windows, iconv
// elsewhere), the same bytes on every platform for what GBK holds.
class GbkEncoder {
 public:
  GbkEncoder();
  ~GbkEncoder();
  GbkEncoder(const GbkEncoder&) = delete;
  GbkEncoder& operator=(const GbkEncoder&) = delete;
  // Appends the GBK bytes of the n-byte UTF-8 character at ch; false (and
  // nothing appended) when GBK has no exact byte sequence for it.
  bool append(const char* ch, std::size_t n, std::string& out);

 private:
  void* state_;  // the converter, where the system needs one
};

// Sets the console up for UTF-8 output with LF line ends (Windows; nothing elsewhere).
void prepareConsole();
// The command line's arguments in UTF-8 (Windows reads them as wide characters).
std::vector<std::string> commandLineArguments(int argc, char** argv);

// True when a second thread can write cards alongside the batch: false in
// the WebAssembly build and where this process may run on one core only.
bool writerThreadAvailable();
// Keeps signals away from the calling thread (a helper the program starts),
// so that they reach the thread that owns the work.
void blockSignalsOnThisThread();

// Temporary files an interruption (Ctrl+C; SIGINT, SIGTERM, SIGHUP) removes
// before the program ends; at most kMaxPendingTemporaries at a time, the
// rest are left to their owners.
inline constexpr int kMaxPendingTemporaries = 4;
// Returns a slot to pass to forgetTemporary, or -1 when all are taken.
int rememberTemporary(const std::string& path);
void forgetTemporary(int slot);
// Installs the handler that removes the remembered temporaries and ends
// the program with status 128 + the signal's number (130, 143, 129) on an
// interruption. A signal the program was started to ignore stays ignored.
void removeTemporariesOnInterrupt();
// Holds the interruptions back while it lives (they come when it ends), so
// that none falls between a temporary file's creation and rememberTemporary.
class InterruptionsHeld {
 public:
  InterruptionsHeld();
  ~InterruptionsHeld();
  InterruptionsHeld(const InterruptionsHeld&) = delete;
  InterruptionsHeld& operator=(const InterruptionsHeld&) = delete;

 private:
  alignas(8) unsigned char saved_[128];  // the signal mask before (POSIX)
};

// True when standard error is a terminal (a console on Windows).
bool standardErrorIsTerminal();

}  // namespace led2vqn::platform
