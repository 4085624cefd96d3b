// Benchmarks of the card writers: the column placement of one Z71 RGB frame,
// the check bytes of a frame block, and a whole conversion per model of an
// 8-port program (FrameLength 24576) into a card in a folder under /tmp.
// Each round converts, then copies a file of the card's size with
// `cp --reflink=never`, then reads the program (`cat` into /dev/null) and
// copies the card again: the conversion is measured side by side with the
// two floors it is held to, and the ratios are the medians of the rounds'.
// Peak memory is the process's peak resident size over a model's rounds.
//
//   led2vqn_bench [--frames=N] [--rounds=R] [--slots=S] [--table] [benchmark options]
//
// N (default 3000, or LED2VQN_BENCH_FRAMES) is the program's frame count, R
// (default 7) the rounds per model, S the writer slots (default: the
// engine's). --table prints one summary table instead of the library's.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/bytes.hpp"
#include "output/card_model.hpp"
#include "output/card_placement.hpp"
#include "output/card_writer.hpp"

namespace led2vqn {
namespace {

constexpr int kPorts = 8;
constexpr int32_t kFrameLength = 24576;

// One program row, default speed and brightness, no modes.
class BenchHost : public ConversionHost {
 public:
  explicit BenchHost(RowCells row) : row_(std::move(row)) {}
  RowCells rowCells(int) const override { return row_; }
  int rowCount() const override { return 2; }
  int32_t twoPortFlag(int) const override { return 0; }
  std::string speedText() const override { return "25"; }
  std::string brightnessText() const override { return "100"; }
  ModeSettings modes() const override { return ModeSettings{false, 1, &table_, 0}; }
  void setProgressMax(int32_t) override {}
  void setProgress(int32_t) override {}

 private:
  RowCells row_;
  ModeTable table_{};
};

// A folder under /tmp with one program file, removed at exit.
struct Workspace {
  std::string folder;
  RowCells row;

  explicit Workspace(int frames) {
    char pattern[] = "/tmp/led2vqn-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    folder = pattern;
    const std::string path = folder + "/program.led";
    std::ofstream out(path, std::ios::binary);
    std::vector<char> frame(kFrameLength);
    uint32_t seed = 12345;
    out.write(std::string(512, '\0').data(), 512);
    for (int f = 0; f < frames; ++f) {
      for (char& c : frame) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
      }
      out.write(frame.data(), kFrameLength);
    }
    const int32_t pixels = kFrameLength / kPorts / 3 * kPorts;
    row = RowCells{path, std::to_string(frames), std::to_string(kPorts), std::to_string(pixels),
                   std::to_string(kFrameLength)};
  }
  ~Workspace() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
};

Workspace* gWorkspace = nullptr;

void BuildFrameRGB(benchmark::State& s) {
  const int portsUsed = static_cast<int>(s.range(0));
  EngineState state;
  for (std::size_t i = 0; i < state.frame.size(); ++i) state.frame[i] = static_cast<uint8_t>(i * 131);
  const ColumnGeometry& g = cardModel(OutputKind::kZ71Rgb)->geometry;
  const ScaleTable scale = brightnessTable(100);
  for (auto _ : s) {
    placeFrame(g, state, portsUsed, portsUsed, 7, portsUsed >= 4 ? 42000 : 10700, scale);
    benchmark::DoNotOptimize(state.work.data());
  }
}

// The two check bytes of the largest Z71 RGB block (173 sectors).
void CheckBytes(benchmark::State& s) {
  std::vector<uint8_t> block(173 * 512);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7);
  for (auto _ : s) {
    setCheckBytes(block.data(), block.size());
    benchmark::DoNotOptimize(block.data());
  }
  s.SetBytesProcessed(static_cast<int64_t>(block.size()) * s.iterations());
}

double secondsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Runs a program with stdout to /dev/null; seconds from spawn to exit, or -1.
double timedRun(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto t0 = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  const double seconds = secondsSince(t0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The process's peak resident size (VmHWM) in MB, and its reset to the
// present size.
double peakResidentMB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024;
  }
  return 0;
}
void resetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct ModelRow {
  std::string name;
  double cardMB = 0, convertMs = 0, copyMs = 0, readCopyMs = 0, toCopy = 0, toReadCopy = 0, peakMB = 0;
};
std::vector<ModelRow> gRows;
int gSlots = 0;  // 0: the engine's default

void Convert(benchmark::State& s, const std::string& name, OutputKind kind) {
  resetPeakResident();
  EngineState state;
  if (gSlots > 0) state.writerSlots = gSlots;
  state.fillBatchFiller();
  BenchHost host(gWorkspace->row);
  const std::string copy = gWorkspace->folder + "/copy.vqn";
  std::vector<double> convert, cp, readCp, toCp, toReadCp;
  uintmax_t cardBytes = 0;
  for (auto _ : s) {
    const auto t0 = std::chrono::steady_clock::now();
    const WriteResult r = writeCard(state, kind, 1, host);
    const double seconds = secondsSince(t0);
    if (r.kind != WriteResult::Kind::kWritten) {
      s.SkipWithError(r.error.c_str());
      break;
    }
    s.SetIterationTime(seconds);
    cardBytes = std::filesystem::file_size(r.cardPath);

    const double copySeconds = timedRun({"cp", "--reflink=never", r.cardPath, copy});
    std::filesystem::remove(copy);
    const double readSeconds = timedRun({"cat", gWorkspace->row.path});
    const double copyAgain = timedRun({"cp", "--reflink=never", r.cardPath, copy});
    std::filesystem::remove(copy);
    std::filesystem::remove(r.cardPath);
    if (copySeconds < 0 || readSeconds < 0 || copyAgain < 0) {
      s.SkipWithError("cp or cat failed");
      break;
    }
    convert.push_back(seconds);
    cp.push_back(copySeconds);
    readCp.push_back(readSeconds + copyAgain);
    toCp.push_back(seconds / copySeconds);
    toReadCp.push_back(seconds / (readSeconds + copyAgain));
  }
  ModelRow row{name,
               static_cast<double>(cardBytes) / 1e6,
               median(convert) * 1e3,
               median(cp) * 1e3,
               median(readCp) * 1e3,
               median(toCp),
               median(toReadCp),
               peakResidentMB()};
  s.SetBytesProcessed(static_cast<int64_t>(cardBytes) * s.iterations());
  s.counters["card_MB"] = row.cardMB;
  s.counters["cp_ms"] = row.copyMs;
  s.counters["read_cp_ms"] = row.readCopyMs;
  s.counters["ratio_to_cp"] = row.toCopy;
  s.counters["ratio_to_read_cp"] = row.toReadCopy;
  s.counters["peak_MB"] = row.peakMB;
  gRows.push_back(row);
}

void printTable(int frames, int rounds, const double* load) {
  std::printf("card conversion, %d frames of 24576 bytes (8 ports), median of %d rounds, writer slots %d\n", frames,
              rounds, gSlots > 0 ? gSlots : EngineState().writerSlots);
  std::printf("load average before %.2f %.2f %.2f\n", load[0], load[1], load[2]);
  std::printf("%-8s %8s %10s %8s %8s %11s %9s %8s\n", "model", "card MB", "convert ms", "cp ms", "x cp",
              "read+cp ms", "x read+cp", "peak MB");
  for (const ModelRow& r : gRows) {
    std::printf("%-8s %8.1f %10.1f %8.1f %8.2f %11.1f %9.2f %8.1f\n", r.name.c_str(), r.cardMB, r.convertMs,
                r.copyMs, r.toCopy, r.readCopyMs, r.toReadCopy, r.peakMB);
  }
}

// Reports nothing: --table prints the summary alone.
class QuietReporter : public benchmark::BenchmarkReporter {
 public:
  bool ReportContext(const Context&) override { return true; }
  void ReportRuns(const std::vector<Run>&) override {}
};

struct Options {
  int frames = 3000;
  int rounds = 7;
  bool table = false;
};

// Takes this bench's own options out of argv.
Options optionsFromArgs(int& argc, char** argv) {
  Options o;
  if (const char* env = std::getenv("LED2VQN_BENCH_FRAMES")) o.frames = std::atoi(env);
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--frames=", 9) == 0) {
      o.frames = std::atoi(argv[i] + 9);
    } else if (std::strncmp(argv[i], "--rounds=", 9) == 0) {
      o.rounds = std::atoi(argv[i] + 9);
    } else if (std::strncmp(argv[i], "--slots=", 8) == 0) {
      gSlots = std::atoi(argv[i] + 8);
    } else if (std::strcmp(argv[i], "--table") == 0) {
      o.table = true;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  o.frames = std::max(o.frames, 1);
  o.rounds = std::max(o.rounds, 1);
  return o;
}

}  // namespace
}  // namespace led2vqn

int main(int argc, char** argv) {
  using namespace led2vqn;
  const Options options = optionsFromArgs(argc, argv);
  double loadBefore[3] = {0, 0, 0};
  ::getloadavg(loadBefore, 3);
  benchmark::Initialize(&argc, argv);
  Workspace workspace(options.frames);
  gWorkspace = &workspace;

  if (!options.table) {
    benchmark::RegisterBenchmark("BuildFrameRGB", BuildFrameRGB)->Arg(1)->Arg(8);
    benchmark::RegisterBenchmark("CheckBytes", CheckBytes);
  }
  const struct {
    const char* name;
    OutputKind kind;
  } models[] = {{"Z71RGB", OutputKind::kZ71Rgb}, {"Z71RGBW", OutputKind::kZ71Rgbw}, {"Z58", OutputKind::kZ58},
                {"Z94", OutputKind::kZ94},       {"J9", OutputKind::kJ9},            {"Z6", OutputKind::kZ6},
                {"Z36", OutputKind::kZ36}};
  for (const auto& m : models) {
    benchmark::RegisterBenchmark((std::string("Convert/") + m.name).c_str(),
                                 [name = std::string(m.name), kind = m.kind](benchmark::State& s) {
                                   Convert(s, name, kind);
                                 })
        ->UseManualTime()
        ->Iterations(options.rounds)
        ->Unit(benchmark::kMillisecond);
  }
  if (options.table) {
    QuietReporter quiet;
    benchmark::RunSpecifiedBenchmarks(&quiet);
    printTable(options.frames, options.rounds, loadBefore);
    double load[3] = {0, 0, 0};
    ::getloadavg(load, 3);
    std::printf("load average after  %.2f %.2f %.2f (2 cores)\n", load[0], load[1], load[2]);
  } else {
    benchmark::RunSpecifiedBenchmarks();
  }
  benchmark::Shutdown();
  return 0;
}
