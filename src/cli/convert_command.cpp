#include <iostream>
#include <map>
#include <set>

#include "app/controls.hpp"
#include "app/script_runner.hpp"
#include "app/settings_file.hpp"
#include "base/bytes.hpp"
#include "base/decimal_text.hpp"
#include "base/file_io.hpp"
#include "base/platform.hpp"
#include "cli/commands.hpp"
#include "cli/option_values.hpp"
#include "cli/replay.hpp"
#include "cli/settings_discovery.hpp"
#include "output/card_model.hpp"

namespace led2vqn::cli {
namespace {

constexpr std::size_t kMaxFiles = 16;
constexpr int32_t kTwoPortsRows = kVisibleTwoPortsBoxes;

ScriptLine line(const std::string& source, ScriptAction action) {
  ScriptLine l;
  l.source = source;
  l.action = std::move(action);
  return l;
}

// Why a program file cannot be read at all, or nullopt.
std::optional<std::string> unreadable(const std::string& path) {
  platform::File file;
  if (auto e = file.openRegular(path, platform::Access::kRead)) return ioError("Cannot open", path, *e).text;
  return std::nullopt;
}

// The rows the files would take and their port counts: the reader's verdict
// on each file, in order (a refused file takes no row).
std::vector<std::pair<std::string, int32_t>> acceptedRows(const std::vector<std::string>& files,
                                                          const std::string& settingsPath) {
  std::vector<uint8_t> buffer(kSettingsReadBytes);
  NibbleTable table{};
  if (fileExists(settingsPath)) table = readSettings(settingsPath, buffer.data()).table;
  std::vector<std::pair<std::string, int32_t>> rows;
  for (const std::string& file : files) {
    const ReadOutcome read = readProgramFile(file, table, buffer.data());
    if (read.info) rows.emplace_back(file, read.info->ports);
  }
  return rows;
}

}  // namespace

int runConvert(const ConvertOptions& o) {
  // Every value is checked before anything is written.
  OutputKind kind = OutputKind::kZ71Rgb;
  if (auto e = checkModel(o.model, kind)) return usageError(*e);
  if (o.speed) {
    if (auto e = checkFieldValue("--speed", *o.speed)) return usageError(*e);
  }
  if (o.brightness) {
    if (auto e = checkFieldValue("--brightness", *o.brightness)) return usageError(*e);
  }
  std::vector<std::pair<std::string, std::string>> ranges;
  for (const std::string& m : o.modes) {
    std::string start, end;
    if (auto e = checkModeRange(m, start, end)) return usageError(*e);
    ranges.emplace_back(start, end);
  }
  if (ranges.size() > static_cast<std::size_t>(kScriptMaxModes)) {
    return usageError("--mode is given " + decimal(int32_t(ranges.size())) + " times; a card holds at most 80 modes");
  }
  for (const std::string& row : o.twoPortRows) {
    if (auto e = checkNumber("--two-ports", row, 1, kTwoPortsRows)) return usageError(*e);
  }
  if (o.files.size() > kMaxFiles) {
    return usageError(decimal(int32_t(o.files.size())) + " program files given; one conversion takes at most 16");
  }
  std::vector<std::string> files;
  std::map<std::string, std::string> given;  // normal spelling -> as given
  for (const std::string& file : o.files) {
    const std::string normal = normalPath(file);
    if (auto e = unreadable(normal)) return usageError(file + ": cannot be read: " + *e);
    const auto [at, added] = given.emplace(normal, file);
    if (!added) return usageError(file + " and " + at->second + " are the same file; give each file once");
    files.push_back(normal);
  }
  if (o.settings) {
    if (auto e = unusableSettingsFile(*o.settings)) return usageError(*e);
  }
  const SettingsChoice settings = findSettings(o.settings);

  // What the files' rows enable and where their cards would go.
  const std::vector<std::pair<std::string, int32_t>> rows = acceptedRows(files, settings.path);
  std::set<int32_t> twoPorts;
  for (const std::string& text : o.twoPortRows) {
    const int32_t row = *parseInteger(text);
    const bool enabled = row <= static_cast<int32_t>(rows.size()) && rows[std::size_t(row - 1)].second > 2;
    if (!enabled) {
      return usageError("--two-ports " + text + ": the \"2 ports\" box of row " + text +
                        " is not enabled; only an accepted file with more than 2 ports in row " + text +
                        " enables it (the files take rows 1, 2, ... in order)");
    }
    twoPorts.insert(row);
  }
  std::string outputDir;
  if (o.outputDir) {
    if (platform::pathInfo(*o.outputDir).kind != platform::PathKind::kFolder) {
      return usageError("--output-dir " + *o.outputDir + ": not an existing folder");
    }
    outputDir = normalPath(*o.outputDir);
    if (outputDir.size() > 1 && platform::isSeparator(outputDir.back())) outputDir.pop_back();
    const CardModel& m = *cardModel(kind);
    std::map<std::string, std::string> names;  // card name in the folder -> program file
    for (std::size_t r = 0; r < rows.size(); ++r) {
      if (kind == OutputKind::kZ71Rgbw && r > 0) break;  // the second file goes into the first one's card
      int32_t used = rows[r].second;
      if (twoPorts.count(int32_t(r + 1)) != 0 && used > 2) used = 2;
      if (m.onePort) used = 1;
      std::string card = cardName(rows[r].first, used, m.suffix);
      card = card.substr(platform::lastSeparator(card) + 1);
      const auto [at, added] = names.emplace(card, rows[r].first);
      if (!added) {
        return usageError(given[rows[r].first] + " and " + given[at->second] + " would both become " + card +
                          " in " + *o.outputDir);
      }
    }
  }

  // The script that convert stands for.
  std::vector<ScriptLine> lines;
  for (const std::string& file : files) lines.push_back(line("add " + file, {ScriptVerb::kAdd, file, "", 0, false, kind}));
  for (const int32_t row : twoPorts) {
    lines.push_back(line("twoports " + decimal(row) + " on", {ScriptVerb::kTwoPorts, "", "", row, true, kind}));
  }
  if (o.speed) lines.push_back(line("speed " + *o.speed, {ScriptVerb::kSpeed, *o.speed, "", 0, false, kind}));
  if (o.brightness) {
    lines.push_back(line("brightness " + *o.brightness, {ScriptVerb::kBrightness, *o.brightness, "", 0, false, kind}));
  }
  if (!ranges.empty()) {
    const auto count = static_cast<int32_t>(ranges.size());
    lines.push_back(line("multimode on", {ScriptVerb::kMultimode, "", "", 0, true, kind}));
    lines.push_back(line("modes " + decimal(count), {ScriptVerb::kModes, "", "", count, false, kind}));
    for (int32_t m = 1; m <= count; ++m) {
      const auto& [start, end] = ranges[std::size_t(m - 1)];
      lines.push_back(line("mode " + decimal(m) + " " + start + " " + end, {ScriptVerb::kMode, start, end, m, false, kind}));
    }
  }
  lines.push_back(line("output " + std::string(modelOfOutputKind(kind)), {ScriptVerb::kOutput, "", "", 0, false, kind}));

  preparePerUserFolder(settings);
  platform::removeTemporariesOnInterrupt();
  CliPort port(std::cout, showProgress(o.flags.progress, o.flags.quiet));
  WindowModel model(port);
  model.windowCreated(settings.path);
  model.setOutputFolder(outputDir);
  if (const std::optional<ScriptStop> stop = replay(lines, model, port, settings)) {
    // Only a click the files leave disabled can stop it (no file accepted).
    std::cout.flush();
    std::cerr << "led2vqn: nothing converted: "
              << (model.table().fileCount() == 0 ? std::string("no file was accepted") : stop->reason) << "\n";
    return kExitMessages;
  }
  const std::vector<std::string>& shown = port.shown();
  const bool onlyCompletion =
      shown.size() == 1 && shown[0] == messageText(Msg::kConversionComplete, model.languageFlag());
  return onlyCompletion ? kExitOk : kExitMessages;
}

}  // namespace led2vqn::cli
