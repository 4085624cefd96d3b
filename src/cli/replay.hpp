// Replaying window actions for `run` and `convert`: the message lines on
// standard output as the window shows them, and on standard error what a
// person at a terminal needs besides (why a file was refused, progress of
// each card, the cards written).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/script_runner.hpp"
#include "cli/settings_discovery.hpp"

namespace led2vqn::cli {

class CliPort : public ScriptPort {
 public:
  // `progress`: a progress line per card and the summary on standard error.
  CliPort(std::ostream& out, bool progress);

  void watch(const WindowModel& model) { model_ = &model; }
  void showMessage(const std::string& text) override;
  void reportError(const std::string& text) override;
  void progressChanged(int32_t position, int32_t max) override;
  void cardWritten(const std::string& path) override;

  // Input/output and number-conversion error lines reported so far.
  int errorLines() const { return errorLines_; }
  const std::vector<std::string>& cardsWritten() const { return cards_; }
  // The cards written, with their sizes (when progress is shown).
  void printSummary();

 private:
  void endProgressLine();

  bool progress_;
  const WindowModel* model_ = nullptr;
  int errorLines_ = 0;
  std::vector<std::string> cards_;
  bool lineOpen_ = false;
  int lineRow_ = 0;
  std::chrono::steady_clock::time_point lastDrawn_{};
};

// Runs the lines in order, as ScriptRunner::run does; after a line that
// showed a message about a file, one line on standard error says which file
// and why. nullopt when every line ran.
std::optional<ScriptStop> replay(const std::vector<ScriptLine>& lines, WindowModel& model, CliPort& port,
                                 const SettingsChoice& settings);

// Whether progress is shown: --quiet never, --progress always, else when
// standard error is a terminal.
bool showProgress(bool progressOption, bool quietOption);

}  // namespace led2vqn::cli

namespace led2vqn::cli {

// Why the reader refused `path`, in plain words, for a line on standard
// error ("not a program file (bytes 1-3 are not "QWM")"). For a frame length
// of 0 it names the settings file in use and how to supply another.
std::string refusalReason(ReaderRefusal refusal, const std::string& path, const SettingsChoice& settings);

}  // namespace led2vqn::cli
