#include "gui/qt_window_port.hpp"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace led2vqn::gui {
namespace {

void showBox(QWidget* window, QMessageBox::Icon icon, const std::string& text) {
  const QString title = window ? window->windowTitle() : QString();
  QMessageBox box(icon, title, QString::fromStdString(text), QMessageBox::Ok, window);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace

void QtWindowPort::showMessage(const std::string& text) { showBox(window_, QMessageBox::NoIcon, text); }

void QtWindowPort::reportError(const std::string& text) { showBox(window_, QMessageBox::Warning, text); }

std::optional<std::string> QtWindowPort::openDialog(DialogKind kind) {
  QFileDialog dialog(window_);
  configureOpenDialog(dialog, kind);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  // The file system's own bytes for the name, not a re-encoding of it.
  return QFile::encodeName(chosen.front()).toStdString();
}

void configureOpenDialog(QFileDialog& dialog, DialogKind kind) {
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setWindowModality(Qt::ApplicationModal);
  switch (kind) {
    case DialogKind::kOpenProgram:
      dialog.setNameFilter(QStringLiteral("*.led (*.led)"));
      dialog.setDefaultSuffix(QStringLiteral("led"));
      dialog.setFileMode(QFileDialog::ExistingFile);
      return;
    case DialogKind::kOpenMode:
      dialog.setNameFilter(QStringLiteral("*.vqn (*.vqn)"));
      dialog.setDefaultSuffix(QStringLiteral("vqn"));
      dialog.setFileMode(QFileDialog::AnyFile);
      return;
  }
}

}  // namespace led2vqn::gui
