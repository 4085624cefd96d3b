// The window model's only way out: what a view (the Qt window, the command
// line runner or a test) does for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace led2vqn {

enum class DialogKind {
  kOpenProgram,  // OpenD: "*.led|*.led", default extension "led"
  kOpenMode,     // Openmode: "*.vqn|*.vqn", default extension "vqn"; the file need not exist
};

class WindowPort {
 public:
  virtual ~WindowPort() = default;
  // A modal message box with one text.
  virtual void showMessage(const std::string& text) = 0;
  // An open dialog; the chosen path, or nullopt when cancelled.
  virtual std::optional<std::string> openDialog(DialogKind kind) = 0;
  // An input/output or number conversion failure, as one line of text.
  virtual void reportError(const std::string& text) = 0;
  // The progress bar moved while a card is written (a view may ignore it).
  virtual void progressChanged(int32_t /*position*/, int32_t /*max*/) {}
  // A card is complete at `path` (a view may ignore it).
  virtual void cardWritten(const std::string& /*path*/) {}
};

}  // namespace led2vqn
