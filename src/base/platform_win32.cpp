// The platform layer on Windows. Paths arrive in UTF-8 and are turned into
// wide characters at every system call; texts from the system come back in
// UTF-8.
#ifdef _WIN32

#include "base/platform.hpp"
#include "base/pending_temporaries.hpp"

#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

namespace led2vqn::platform {
namespace {

std::wstring widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string narrow(const wchar_t* text, std::size_t length) {
  if (length == 0) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr, nullptr);
  return out;
}

SystemError lastError() { return {static_cast<int>(GetLastError())}; }

HANDLE handleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

OVERLAPPED at(uint64_t offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

// ReadFile and WriteFile take at most a DWORD of bytes at once.
constexpr std::size_t kLargestTransfer = std::size_t(1) << 30;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

std::string errorText(SystemError e) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(e.code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0,
      nullptr);
  std::string out = n > 0 ? narrow(text, n) : std::string();
  if (text != nullptr) LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' || out.back() == '.')) {
    out.pop_back();
  }
  return out.empty() ? "system error " + std::to_string(e.code) : out;
}

SystemError isAFolderError() { return {ERROR_DIRECTORY}; }
SystemError notARegularFileError() { return {ERROR_INVALID_PARAMETER}; }
SystemError inputOutputError() { return {ERROR_WRITE_FAULT}; }

File::~File() { close(); }

std::optional<SystemError> File::openRegular(const std::string& path, Access access) {
  close();
  const std::wstring wide = widen(path);
  // A folder cannot be opened as a file; say what it is.
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return isAFolderError();
  }
  const DWORD rights = access == Access::kRead    ? GENERIC_READ
                       : access == Access::kWrite ? GENERIC_WRITE
                                                  : GENERIC_READ | GENERIC_WRITE;
  const HANDLE h = CreateFileW(wide.c_str(), rights, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return lastError();
  // Pipes, consoles and devices are refused; a pipe's client end never waits.
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    return notARegularFileError();
  }
  handle_ = reinterpret_cast<std::intptr_t>(h);
  return std::nullopt;
}

std::optional<SystemError> File::createBeside(const std::string& target, std::string& tempPath) {
  close();
  const std::size_t slash = lastSeparator(target);
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  constexpr std::size_t kTempBaseBytes = 200;
  std::size_t cut = base.size() < kTempBaseBytes ? base.size() : kTempBaseBytes;
  while (cut > 0 && cut < base.size() && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) --cut;
  const std::string stem = folder + "." + base.substr(0, cut) + ".";

  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<uint64_t> counter{0};
  uint64_t seed = GetTickCount64() ^ (uint64_t(GetCurrentProcessId()) << 32);
  constexpr int kAttempts = 100;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    uint64_t x = (seed + counter.fetch_add(1) * 0x9E3779B97F4A7C15ull) * 0xBF58476D1CE4E5B9ull;
    std::string name = stem;
    for (int k = 0; k < 6; ++k) {
      name += kLetters[x % (sizeof kLetters - 1)];
      x /= sizeof kLetters - 1;
    }
    const HANDLE h = CreateFileW(widen(name).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      handle_ = reinterpret_cast<std::intptr_t>(h);
      tempPath = name;
      return std::nullopt;
    }
    const DWORD err = GetLastError();
    if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) return SystemError{static_cast<int>(err)};
  }
  return SystemError{ERROR_FILE_EXISTS};
}

std::optional<SystemError> File::size(uint64_t& out) const {
  LARGE_INTEGER n;
  if (!GetFileSizeEx(handleOf(handle_), &n)) return lastError();
  out = static_cast<uint64_t>(n.QuadPart);
  return std::nullopt;
}

std::optional<SystemError> File::readAt(uint64_t offset, uint8_t* into, std::size_t n, std::size_t& got) const {
  got = 0;
  OVERLAPPED o = at(offset);
  DWORD r = 0;
  const DWORD want = static_cast<DWORD>(n < kLargestTransfer ? n : kLargestTransfer);
  if (!ReadFile(handleOf(handle_), into, want, &r, &o)) {
    if (GetLastError() == ERROR_HANDLE_EOF) return std::nullopt;
    return lastError();
  }
  got = r;
  return std::nullopt;
}

std::optional<SystemError> File::writeAt(uint64_t offset, const uint8_t* data, std::size_t n,
                                         std::size_t& written) {
  written = 0;
  OVERLAPPED o = at(offset);
  DWORD w = 0;
  const DWORD want = static_cast<DWORD>(n < kLargestTransfer ? n : kLargestTransfer);
  if (!WriteFile(handleOf(handle_), data, want, &w, &o)) return lastError();
  written = w;
  return std::nullopt;
}

void File::reserve(uint64_t) {}

std::optional<SystemError> File::close() {
  if (handle_ == kNoHandle) return std::nullopt;
  const HANDLE h = handleOf(handle_);
  handle_ = kNoHandle;
  if (!CloseHandle(h)) return lastError();
  return std::nullopt;
}

std::optional<SystemError> replaceFile(const std::string& from, const std::string& to) {
  const std::wstring target = widen(to);
  // A card marked read-only stays as it is; its attribute is never cleared.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return SystemError{ERROR_ACCESS_DENIED};
  }
  if (!MoveFileExW(widen(from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return lastError();
  return std::nullopt;
}

void removeFile(const std::string& path) { DeleteFileW(widen(path).c_str()); }

void createEmptyIfMissing(const std::string& path) {
  const HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

PathInfo pathInfo(const std::string& path) {
  PathInfo info;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) {
    const DWORD err = GetLastError();
    if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND) {
      info.kind = PathKind::kOther;
      info.error = SystemError{static_cast<int>(err)};
    }
    return info;
  }
  info.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kFolder : PathKind::kRegular;
  info.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return info;
}

bool isReadable(const std::string& path) {
  const HANDLE h =
      CreateFileW(widen(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

std::FILE* openStream(const std::string& path, const char* mode) {
  return _wfopen(widen(path).c_str(), widen(mode).c_str());
}

const char kSeparator = '\\';

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::size_t lastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

bool isAbsolutePath(const std::string& path) {
  if (!path.empty() && isSeparator(path.front())) return true;  // "\x", "\\server\share"
  const bool drive = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return drive && path[1] == ':' && isSeparator(path[2]);
}

std::string currentFolder() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return std::string();
  std::wstring buffer(n, L'\0');
  const DWORD used = GetCurrentDirectoryW(n, buffer.data());
  return used == 0 || used >= n ? std::string() : narrow(buffer.data(), used);
}

std::string programFolder() {
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return std::string();
  const std::string exe = narrow(buffer.data(), n);
  const std::size_t slash = lastSeparator(exe);
  return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

std::optional<std::string> environmentVariable(const char* name) {
  const std::wstring wideName = widen(name);
  const DWORD n = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (n == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
  }
  std::wstring value(n, L'\0');
  const DWORD used = GetEnvironmentVariableW(wideName.c_str(), value.data(), n);
  if (used >= n) return std::nullopt;
  return narrow(value.data(), used);
}

std::string userConfigFolder() {
  if (auto appData = environmentVariable("APPDATA"); appData && !appData->empty()) return *appData;
  return std::string();
}

const char* const kUserConfigFolderSpelling = "%APPDATA%";
const char* const kUserConfigFolderVariables = "APPDATA";

std::tm localTime(std::time_t when) {
  std::tm local{};
  localtime_s(&local, &when);
  return local;
}

namespace {

// Where code page 936 and GBK as glibc's iconv knows it part (every other
// character was compared): 936 gives bytes to the private-use characters
// U+E000 .. U+F8FF, which iconv does not hold ('?').
constexpr char32_t kPrivateUseFirst = 0xE000;
constexpr char32_t kPrivateUseLast = 0xF8FF;
constexpr UINT kGbkCodePage = 936;

char32_t codePointOf(const char* ch, std::size_t n) {
  const auto b = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(ch[k])); };
  if (n == 1) return b(0);
  if (n == 2) return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
  if (n == 3) return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
  return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
}

}  // namespace

GbkEncoder::GbkEncoder() : state_(nullptr) {}

GbkEncoder::~GbkEncoder() = default;

bool GbkEncoder::append(const char* ch, std::size_t n, std::string& out) {
  const char32_t c = codePointOf(ch, n);
  if (c >= kPrivateUseFirst && c <= kPrivateUseLast) return false;
  wchar_t wide[2];
  int units = 1;
  if (c >= 0x10000) {
    wide[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    wide[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    units = 2;
  } else {
    wide[0] = static_cast<wchar_t>(c);
  }
  char buffer[8];
  BOOL usedDefault = FALSE;
  const int written = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide, units, buffer, sizeof buffer,
                                          nullptr, &usedDefault);
  if (written <= 0 || usedDefault) return false;
  out.append(buffer, static_cast<std::size_t>(written));
  return true;
}

void prepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
  // Lines end in LF, as everywhere else.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  int n = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &n);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> out;
  for (int k = 0; k < n; ++k) out.push_back(narrow(wide[k], std::wcslen(wide[k])));
  LocalFree(wide);
  return out;
}

bool writerThreadAvailable() {
  DWORD_PTR process = 0, system = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) return true;
  return (process & (process - 1)) != 0;  // more than one core
}

void blockSignalsOnThisThread() {}  // console events come on a thread of their own

namespace {

// Paths an interruption removes, held ready in wide characters: the console
// handler runs on its own thread while the program goes on.
PendingTemporaries<wchar_t, 32768, kMaxPendingTemporaries> pending;
// Threads between a temporary's creation and its entry above: the handler
// waits for them, so that it finds every temporary there is.
std::atomic<int> holding{0};

// The statuses a POSIX shell gives SIGINT and SIGHUP.
constexpr UINT kInterruptedStatus = 130;
constexpr UINT kClosedStatus = 129;

BOOL WINAPI removeTemporariesAndExit(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  while (holding.load() > 0) Sleep(1);
  // Open temporaries allow deletion: they go when the process closes them.
  pending.removeAll([](const wchar_t* path) { DeleteFileW(path); });
  // Ended at once, as _exit does: ExitProcess would first flush the C
  // library's streams, and wait for ever on one that the interrupted thread
  // holds while it writes to a full pipe.
  TerminateProcess(GetCurrentProcess(), event == CTRL_CLOSE_EVENT ? kClosedStatus : kInterruptedStatus);
  return TRUE;
}

}  // namespace

int rememberTemporary(const std::string& path) { return pending.remember(widen(path)); }

void forgetTemporary(int slot) { pending.forget(slot); }

void removeTemporariesOnInterrupt() { SetConsoleCtrlHandler(removeTemporariesAndExit, TRUE); }

// The console's control handler runs on a thread of its own: it waits while
// any thread holds interruptions back.
InterruptionsHeld::InterruptionsHeld() : saved_{} { holding.fetch_add(1); }
InterruptionsHeld::~InterruptionsHeld() { holding.fetch_sub(1); }

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace led2vqn::platform

#endif  // _WIN32
