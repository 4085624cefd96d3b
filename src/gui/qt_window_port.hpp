// The window model's port in the Qt window: modal message boxes and open
// dialogs over the main window.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "app/window_port.hpp"

class QFileDialog;

namespace led2vqn::gui {

class QtWindowPort : public WindowPort {
 public:
  // The window the boxes and dialogs belong to (and take their title from).
  void setWindow(QWidget* window) { window_ = window; }

  void showMessage(const std::string& text) override;
  // Information for completion and success, warning for refusals.
  void showNotice(const std::string& text, Notice kind) override;
  std::optional<std::string> openDialog(DialogKind kind) override;
  // Several program files at once; the folder is remembered between runs.
  std::vector<std::string> openFilesDialog(DialogKind kind) override;
  // Input/output and conversion failures: a critical box.
  void reportError(const std::string& text) override;

 private:
  // The chosen paths of an accepted dialog.
  std::vector<std::string> runDialog(DialogKind kind, bool several);

  QPointer<QWidget> window_;
};

// A path Qt gives (open dialog, dropped file) as the engine takes it: on
// Windows UTF-8 with the system's backslashes, as the command line gives it;
// elsewhere the file system's own bytes, not a re-encoding of the name.
std::string enginePath(const QString& path);

// Sets the filter, default extension and file mode of the dialog `kind`:
// OpenD "*.led" with extension "led", the chosen files must exist; Openmode
// "*.vqn" with extension "vqn", the file need not exist.
void configureOpenDialog(QFileDialog& dialog, DialogKind kind);

// The view's own settings (the open dialogs' last folders): an INI file at
// $XDG_CONFIG_HOME/led2vqn/led2vqn.conf, apart from the settings file Gcode.sdc.
QString viewSettingsPath();

}  // namespace led2vqn::gui
