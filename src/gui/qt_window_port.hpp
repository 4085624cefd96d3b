// The window model's port in the Qt window: modal message boxes and open
// dialogs over the main window.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/window_port.hpp"

class QFileDialog;

namespace led2vqn::gui {

class QtWindowPort : public WindowPort {
 public:
  // The window the boxes and dialogs belong to (and take their title from).
  void setWindow(QWidget* window) { window_ = window; }

  void showMessage(const std::string& text) override;
  std::optional<std::string> openDialog(DialogKind kind) override;
  void reportError(const std::string& text) override;

 private:
  QPointer<QWidget> window_;
};

// Sets the filter, default extension and file mode of the dialog `kind`:
// OpenD "*.led" with extension "led", the chosen file must exist; Openmode
// "*.vqn" with extension "vqn", the file need not exist.
void configureOpenDialog(QFileDialog& dialog, DialogKind kind);

}  // namespace led2vqn::gui
