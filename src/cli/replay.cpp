#include "cli/replay.hpp"

#include <algorithm>
#include <iostream>

#include "base/bytes.hpp"
#include "base/decimal_text.hpp"
#include "base/platform.hpp"

namespace led2vqn::cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int32_t kFramesPerProgressStep = 10;  // the writers move the bar once per 10 frames

void contextLine(const std::string& text) {
  std::cout.flush();
  std::cerr << "led2vqn: " << text << '\n';
}

std::optional<int32_t> framesOfRow(const WindowModel& model, int row) { return parseInteger(model.table().cell(row, 2)); }

// After `add PATH` showed a message.
void explainAdd(const std::string& path, const std::string& shown, WindowModel& model, const SettingsChoice& settings) {
  const int32_t language = model.languageFlag();
  if (shown == messageText(Msg::kAlreadyOpen, language)) {
    contextLine(path + ": already in the list of files");
    return;
  }
  if (shown == messageText(Msg::kFilesOver16, language)) {
    contextLine(path + ": not added, the list holds 16 files already");
    return;
  }
  // Read again into a buffer of its own: the engine's buffers keep what they hold.
  std::vector<uint8_t> header(kSectorBytes);
  const ReadOutcome read = readProgramFile(path, model.nibbleTable(), header.data());
  if (read.refusal) contextLine(path + ": " + refusalReason(*read.refusal, path, settings));
}

// After `output` showed messages.
void explainOutput(const std::string& shown, WindowModel& model) {
  const int32_t language = model.languageFlag();
  for (int r = 1; r < model.table().rowCount(); ++r) {
    const std::string& file = model.table().cell(r, 1);
    if (shown == portsWithoutLayoutText(file, language)) {
      contextLine(file + ": " + model.table().cell(r, 3) +
                  " ports: a card takes 1, 2, 4 or 8 ports (with the \"2 ports\" box, two of them)");
      return;
    }
  }
  if (shown != messageText(Msg::kModeFramesOutput, language)) return;
  const int32_t limit = model.modeState().frameLimit;
  for (int r = 1; r < model.table().rowCount(); ++r) {
    const std::optional<int32_t> frames = framesOfRow(model, r);
    if (frames && *frames < limit) {
      contextLine(model.table().cell(r, 1) + " has " + decimal(*frames) + " frames, fewer than the " +
                  decimal(limit) + " the mode ranges are set for (the frames of the first file)");
    }
  }
}

// After `mode M START END` showed the range message.
void explainMode(const ScriptAction& a, const std::string& shown, WindowModel& model) {
  if (shown != messageText(Msg::kModeRange, model.languageFlag())) return;
  const std::string first = model.table().rowCount() > 1 ? model.table().cell(1, 1) : std::string("no file");
  contextLine("mode " + decimal(a.number) + " (" + a.text + " to " + a.text2 + ") is not inside 1 to " +
              decimal(model.modeState().frameLimit) + ", the frames of the first file (" + first + ")");
}

}  // namespace

bool showProgress(bool progressOption, bool quietOption) {
  if (quietOption) return false;
  return progressOption || platform::standardErrorIsTerminal();
}

std::string refusalReason(ReaderRefusal refusal, const std::string& path, const SettingsChoice& settings) {
  switch (refusal) {
    case ReaderRefusal::kOpenFile:
      switch (platform::pathInfo(path).kind) {
        case platform::PathKind::kMissing: return "no such file";
        case platform::PathKind::kFolder: return "a folder, not a program file";
        case platform::PathKind::kOther: return "not a regular file";
        case platform::PathKind::kRegular: break;
      }
      return "shorter than the 512 bytes of a program file's header";
    case ReaderRefusal::kFileType: return "not a program file (bytes 1-3 are not \"QWM\")";
    case ReaderRefusal::kControllerType: return "a program file for another controller (byte 0 is not 1)";
    case ReaderRefusal::kChipType: return "a program file for another chip type (not DMX512)";
    case ReaderRefusal::kNoFrameLength:
      return "its frame length decodes to 0 with the settings file " + settings.path + " (" +
             describeSource(settings.source) +
             "); that file is missing, empty or not the one of the machine that made the program file: give "
             "that machine's Gcode.sdc with --settings FILE, or once with `led2vqn settings --import FILE`";
    case ReaderRefusal::kFrameTooLarge: break;
  }
  return "its frame length is above 350000 bytes";
}

CliPort::CliPort(std::ostream& out, bool progress) : ScriptPort(out), progress_(progress) {}

void CliPort::showMessage(const std::string& text) {
  endProgressLine();
  ScriptPort::showMessage(text);
}

void CliPort::reportError(const std::string& text) {
  endProgressLine();
  ++errorLines_;
  ScriptPort::reportError(text);
}

void CliPort::progressChanged(int32_t position, int32_t max) {
  if (!progress_ || model_ == nullptr) return;
  const auto now = std::chrono::steady_clock::now();
  const int row = model_->currentRow();
  if (lineOpen_ && row == lineRow_ && now - lastDrawn_ < kRedrawInterval) return;
  if (lineOpen_ && row != lineRow_) endProgressLine();
  lastDrawn_ = now;
  lineRow_ = row;
  lineOpen_ = true;
  const int32_t frames = framesOfRow(*model_, row).value_or(max * kFramesPerProgressStep);
  const int64_t done = std::min<int64_t>(int64_t{position} * kFramesPerProgressStep, frames);
  const int64_t percent = frames > 0 ? done * 100 / frames : 0;
  std::cerr << '\r' << model_->table().cell(row, 1) << "  " << modelOfOutputKind(model_->outputKind()) << "  frame "
            << done << " of " << frames << "  " << percent << "%" << std::flush;
}

void CliPort::cardWritten(const std::string& path) {
  cards_.push_back(path);
  if (!progress_ || !lineOpen_ || model_ == nullptr) return;
  const int32_t frames = framesOfRow(*model_, lineRow_).value_or(0);
  std::cerr << '\r' << model_->table().cell(lineRow_, 1) << "  " << modelOfOutputKind(model_->outputKind())
            << "  frame " << frames << " of " << frames << "  100%";
  endProgressLine();
}

void CliPort::endProgressLine() {
  if (!lineOpen_) return;
  std::cerr << '\n' << std::flush;
  lineOpen_ = false;
}

void CliPort::printSummary() {
  endProgressLine();
  if (!progress_) return;
  std::cout.flush();
  std::cerr << "led2vqn: " << cards_.size() << (cards_.size() == 1 ? " card" : " cards") << " written"
            << (cards_.empty() ? "" : ":") << '\n';
  for (const std::string& card : cards_) {
    const platform::PathInfo info = platform::pathInfo(card);
    std::cerr << "  " << card;
    if (info.kind == platform::PathKind::kRegular) std::cerr << "  " << info.size << " bytes";
    std::cerr << '\n';
  }
  std::cerr << std::flush;
}

std::optional<ScriptStop> replay(const std::vector<ScriptLine>& lines, WindowModel& model, CliPort& port,
                                 const SettingsChoice& settings) {
  ScriptRunner runner(model, port, currentFolder());
  port.watch(model);
  for (const ScriptLine& line : lines) {
    const std::size_t before = port.shown().size();
    std::optional<std::string> reason = line.action ? runner.apply(*line.action) : std::optional(line.error);
    for (std::size_t i = before; line.action && i < port.shown().size(); ++i) {
      const std::string& shown = port.shown()[i];
      switch (line.action->verb) {
        case ScriptVerb::kAdd: explainAdd(line.action->text, shown, model, settings); break;
        case ScriptVerb::kOutput: explainOutput(shown, model); break;
        case ScriptVerb::kMode: explainMode(*line.action, shown, model); break;
        default: break;
      }
    }
    if (reason) {
      port.printSummary();
      return ScriptStop{line.number, "line " + decimal(line.number) + ": " + line.source + ": " + *reason, *reason};
    }
  }
  port.printSummary();
  return std::nullopt;
}

}  // namespace led2vqn::cli
