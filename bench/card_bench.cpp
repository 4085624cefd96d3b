// Benchmarks of the card writers: the column placement of one Z71 RGB frame,
// the check bytes of a frame block, and a whole conversion per model of an
// 8-port program (FrameLength 24576) into a card in a folder under /tmp,
// beside the time `cp --reflink=never` takes to copy a file of the card's
// size (counter ratio_to_cp).
//
//   led2vqn_bench [--frames=N] [benchmark options]
//
// N (default 3000, or LED2VQN_BENCH_FRAMES) is the program's frame count.
#include <benchmark/benchmark.h>

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

void Convert(benchmark::State& s, OutputKind kind) {
  EngineState state;
  state.fillBatchFiller();
  BenchHost host(gWorkspace->row);
  const std::string copy = gWorkspace->folder + "/copy.vqn";
  double convertSeconds = 0, copySeconds = 0;
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
    convertSeconds += seconds;
    cardBytes = std::filesystem::file_size(r.cardPath);

    const std::string command = "cp --reflink=never '" + r.cardPath + "' '" + copy + "'";
    const auto t1 = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
      s.SkipWithError("cp failed");
      break;
    }
    copySeconds += secondsSince(t1);
    std::filesystem::remove(copy);
    std::filesystem::remove(r.cardPath);
  }
  s.SetBytesProcessed(static_cast<int64_t>(cardBytes) * s.iterations());
  s.counters["card_MB"] = static_cast<double>(cardBytes) / 1e6;
  s.counters["cp_ms"] = copySeconds * 1e3 / static_cast<double>(s.iterations());
  s.counters["ratio_to_cp"] = copySeconds > 0 ? convertSeconds / copySeconds : 0;
}

int framesFromArgs(int& argc, char** argv) {
  int frames = 3000;
  if (const char* env = std::getenv("LED2VQN_BENCH_FRAMES")) frames = std::atoi(env);
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--frames=", 9) == 0) {
      frames = std::atoi(argv[i] + 9);
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  return frames > 0 ? frames : 1;
}

}  // namespace
}  // namespace led2vqn

int main(int argc, char** argv) {
  using namespace led2vqn;
  const int frames = framesFromArgs(argc, argv);
  benchmark::Initialize(&argc, argv);
  Workspace workspace(frames);
  gWorkspace = &workspace;

  benchmark::RegisterBenchmark("BuildFrameRGB", BuildFrameRGB)->Arg(1)->Arg(8);
  benchmark::RegisterBenchmark("CheckBytes", CheckBytes);
  const struct {
    const char* name;
    OutputKind kind;
  } models[] = {{"Convert/Z71RGB", OutputKind::kZ71Rgb}, {"Convert/Z71RGBW", OutputKind::kZ71Rgbw},
                {"Convert/Z58", OutputKind::kZ58},       {"Convert/Z94", OutputKind::kZ94},
                {"Convert/J9", OutputKind::kJ9},         {"Convert/Z6", OutputKind::kZ6},
                {"Convert/Z36", OutputKind::kZ36}};
  for (const auto& m : models) {
    benchmark::RegisterBenchmark(m.name, [kind = m.kind](benchmark::State& s) { Convert(s, kind); })
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
