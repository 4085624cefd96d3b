// verify, preview and pattern: reading cards back, and wiring-check programs.
#include <iostream>

#include "app/card_verify.hpp"
#include "app/script.hpp"
#include "app/settings_file.hpp"
#include "app/timeline.hpp"
#include "base/decimal_text.hpp"
#include "base/file_io.hpp"
#include "cli/commands.hpp"
#include "cli/settings_discovery.hpp"
#include "input/sample_files.hpp"

namespace led2vqn::cli {
namespace {

int usage(const char* command, const std::string& text) {
  std::cout.flush();
  std::cerr << "led2vqn " << command << ": " << text << "\n";
  return kExitUsage;
}

// The settings file's table, as info reads it: a named file must exist
// (a usage error otherwise); a discovered one that is missing gives zeros.
std::optional<NibbleTable> settingsTable(const std::optional<std::string>& given, std::string& path, std::string& error) {
  if (given) {
    if (auto e = unusableSettingsFile(*given)) {
      error = *e;
      return std::nullopt;
    }
  }
  path = findSettings(given).path;
  NibbleTable table{};
  if (!fileExists(path)) return table;
  std::vector<uint8_t> buffer(kSettingsReadBytes);
  return readSettings(path, buffer.data()).table;
}

// "A-B" with 1 <= A <= B, or one frame "A".
bool parseFrames(const std::string& text, int32_t& first, int32_t& last) {
  const std::size_t dash = text.find('-');
  const auto a = parseInteger(text.substr(0, dash));
  const auto b = dash == std::string::npos ? a : parseInteger(text.substr(dash + 1));
  if (!a || !b || *a < 1 || *b < *a) return false;
  first = *a;
  last = *b;
  return true;
}

}  // namespace

int runVerify(const VerifyOptions& o) {
  std::string settingsPath, settingsError;
  const std::optional<NibbleTable> table = settingsTable(o.settings, settingsPath, settingsError);
  if (!table) return usage("verify", settingsError);
  const VerifyReport report = verifyCard(o.card, o.program, o.white, *table);
  if (o.json) {
    std::cout << verifyJson(report) << "\n";
  } else {
    std::cout << verifyText(report);
  }
  std::cout.flush();
  return report.matches() ? kExitOk : kExitMessages;
}

int runPreview(const PreviewOptions& o) {
  std::string settingsPath, settingsError;
  const std::optional<NibbleTable> table = settingsTable(o.settings, settingsPath, settingsError);
  if (!table) return usage("preview", settingsError);
  TimelineRequest request;
  request.file = o.file;
  if (!o.model.empty()) {
    request.model = outputKindOfModel(o.model);
    if (!request.model) return usage("preview", "unknown model \"" + o.model + "\" (z71rgb, j9, z58, z71rgbw, z94, z6, z36)");
  }
  if (!o.brightness.empty()) {
    const auto b = parseInteger(o.brightness);
    if (!b || *b < 1 || *b > 100) return usage("preview", "--brightness takes 1 .. 100");
    if (!request.model) return usage("preview", "--brightness needs --model");
    request.brightness = *b;
  }
  if (o.twoPorts && !request.model) return usage("preview", "--two-ports needs --model");
  request.twoPorts = o.twoPorts;
  if (!o.frames.empty() && !parseFrames(o.frames, request.firstFrame, request.lastFrame)) {
    return usage("preview", "--frames takes A-B with 1 <= A <= B, not \"" + o.frames + "\"");
  }
  if (o.port < 0 || o.port > 8) return usage("preview", "--port takes 1 .. 8");
  request.port = o.port;
  if (o.scale < 1 || o.scale > 64) return usage("preview", "--scale takes 1 .. 64");
  if (!fileExists(o.file)) return usage("preview", "cannot read " + o.file);

  Timeline timeline;
  if (auto e = buildTimeline(request, *table, timeline)) return usage("preview", *e);
  Picture picture;
  if (auto e = drawTimeline(timeline, o.scale, picture)) return usage("preview", *e);
  if (auto e = writePng(picture, o.output)) {
    std::cerr << "led2vqn preview: " << *e << "\n";
    return kExitMessages;
  }
  return kExitOk;
}

int runPattern(const PatternOptions& o) {
  using samples::WiringKind;
  std::string settingsPath, settingsError;
  const std::optional<NibbleTable> table = settingsTable(o.settings, settingsPath, settingsError);
  if (!table) return usage("pattern", settingsError);
  samples::WiringShape shape;
  if (o.kind == "ports") {
    shape.kind = WiringKind::kPorts;
  } else if (o.kind == "colours" || o.kind == "colors") {
    shape.kind = WiringKind::kColours;
  } else if (o.kind == "chase") {
    shape.kind = WiringKind::kChase;
  } else if (o.kind == "ramp") {
    shape.kind = WiringKind::kRamp;
  } else {
    return usage("pattern", "unknown pattern \"" + o.kind + "\" (ports, colours, chase, ramp)");
  }
  if (o.ports < 1 || o.ports > 8) return usage("pattern", "--ports takes 1 .. 8");
  if (o.pixels < 1 || o.pixels > kMaxPixelsPerPort) {
    return usage("pattern", "--pixels takes 1 .. " + decimal(kMaxPixelsPerPort) + " (pixels per port)");
  }
  shape.ports = o.ports;
  shape.pixelsPerPort = o.pixels;
  constexpr int kMostFrames = 100000;
  if (o.frames < 0 || o.frames > kMostFrames) return usage("pattern", "--frames takes 1 .. " + decimal(kMostFrames));
  const int32_t frames = o.frames > 0 ? o.frames : samples::wiringCycle(shape);
  const int64_t bytes = int64_t{3} * o.ports * o.pixels;
  if (bytes > kMaxFrameLength) {
    return usage("pattern", decimal(o.pixels) + " pixels on each of " + decimal(o.ports) + " ports need " + decimal(bytes) +
                                " bytes a frame; a program frame holds at most " + decimal(kMaxFrameLength));
  }
  const std::optional<int32_t> length = samples::smallestFrameLength(*table, bytes);
  if (!length) {
    return usage("pattern", "the settings file " + settingsPath + " can encode no frame length of " + decimal(bytes) +
                                " to " + decimal(kMaxFrameLength) + " bytes; name another one with --settings");
  }

  samples::ProgramSpec program;
  program.frameLength = *length;
  program.ports = o.ports;
  program.frames = 0;
  program.pattern = samples::Pattern::kWiring;
  program.wiring = shape;
  const std::vector<uint8_t> header = samples::programBytes(*table, program);
  AtomicFile file;
  std::optional<IoError> failure = file.create(o.output);
  if (!failure) failure = file.append(header.data(), header.size());
  std::vector<uint8_t> frame(static_cast<std::size_t>(*length));
  for (int32_t f = 1; f <= frames && !failure; ++f) {
    samples::wiringFrame(shape, *length, f, frame.data());
    failure = file.append(frame.data(), frame.size());
  }
  if (!failure) failure = file.commit();
  if (failure) {
    std::cerr << "led2vqn pattern: " << failure->text << "\n";
    return kExitMessages;
  }
  std::cout << o.output << ": " << frames << " frames, " << o.ports << " ports, " << o.pixels
            << " pixels per port, frame length " << *length << "\n";
  return kExitOk;
}

}  // namespace led2vqn::cli
