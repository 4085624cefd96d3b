// The window model's only way out: what a view (the Qt window, the command
// line runner or a test) does for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace led2vqn {

enum class DialogKind {
  kOpenProgram,  // OpenD: "*.led|*.led", default extension "led"
  kOpenMode,     // Openmode: "*.vqn|*.vqn", default extension "vqn"; the file need not exist
};

// What a message box tells, for a view that marks it with an icon.
enum class Notice {
  kInformation,  // a completion or a success
  kWarning,      // a refusal
};

class WindowPort {
 public:
  virtual ~WindowPort() = default;
  // A modal message box with one text.
  virtual void showMessage(const std::string& text) = 0;
  // The same box, told what kind of message it shows; a view without icons
  // keeps the default.
  virtual void showNotice(const std::string& text, Notice kind) {
    (void)kind;
    showMessage(text);
  }
  // An open dialog; the chosen path, or nullopt when cancelled.
  virtual std::optional<std::string> openDialog(DialogKind kind) = 0;
  // An open dialog that may take several files; the paths in the order
  // chosen, none when cancelled. By default the one-file dialog.
  virtual std::vector<std::string> openFilesDialog(DialogKind kind) {
    std::optional<std::string> path = openDialog(kind);
    if (!path) return {};
    return {std::move(*path)};
  }
  // An input/output or number conversion failure, as one line of text.
  virtual void reportError(const std::string& text) = 0;
  // A card is complete at `path` (a view may ignore it).
  virtual void cardWritten(const std::string& /*path*/) {}

  // ---- While a row converts (possibly from the thread converting it) ----

  // The batch is about to convert grid row `row`.
  virtual void rowStarted(int row) { (void)row; }
  // The progress bar moved while a card is written (a view may ignore it).
  virtual void progressChanged(int32_t /*position*/, int32_t /*max*/) {}
  // Asked before each frame of a card; false stops the batch there.
  virtual bool keepConverting() { return true; }
};

}  // namespace led2vqn
