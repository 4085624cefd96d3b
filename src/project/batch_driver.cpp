#include "project/batch_driver.hpp"

#include "base/decimal_text.hpp"

namespace led2vqn {
namespace {

// Z71 RGBW converts one file, or the first with the second as its white
// column: at most rows 1 and 2 (a grid of at most 3 rows).
constexpr int kRgbwMaxRowCount = 3;

}  // namespace

BatchDriver::BatchDriver() : writer_(writeCard) {}

BatchDriver::Start BatchDriver::start(OutputKind kind, EngineState& state, const ProjectTable& table,
                                      ConversionHost& host) {
  kind_ = kind;
  state.fillBatchFiller();
  const ModeSettings modes = host.modes();
  if (modes.on) {
    host.setProgress(0);
    for (int r = 1; r < table.rowCount(); ++r) {
      const std::string frames = table.cell(r, 2);
      const std::optional<int32_t> f = parseInteger(frames);
      if (!f) {
        badCell_ = frames;
        return Start::kBadCell;
      }
      if (*f < modes.frameLimit) return Start::kModeFrames;
    }
  }
  currentRow_ = 1;
  timer_ = true;
  return Start::kStarted;
}

BatchDriver::Tick BatchDriver::tick(EngineState& state, ProjectTable& table, ConversionHost& host) {
  Tick t;
  if (currentRow_ >= table.rowCount()) {
    timer_ = false;
    t.kind = Tick::Kind::kFinished;
    return t;
  }
  table.select(currentRow_);
  t.kind = Tick::Kind::kRow;
  t.row = currentRow_;
  if (kind_ == OutputKind::kZ71Rgbw) {
    if (table.rowCount() > kRgbwMaxRowCount) {
      timer_ = false;
      t.kind = Tick::Kind::kOverTwoFiles;
      ++currentRow_;
      return t;
    }
    t.write = writer_(state, kind_, currentRow_, host);
    ++currentRow_;  // the second file went into the first one's card
  } else {
    t.write = writer_(state, kind_, currentRow_, host);
  }
  ++currentRow_;
  return t;
}

}  // namespace led2vqn
