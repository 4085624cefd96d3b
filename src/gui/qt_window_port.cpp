#include "gui/qt_window_port.hpp"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>

namespace led2vqn::gui {
namespace {

void showBox(QWidget* window, QMessageBox::Icon icon, const std::string& text) {
  const QString title = window ? window->windowTitle() : QString();
  QMessageBox box(icon, title, QString::fromStdString(text), QMessageBox::Ok, window);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

QString lastFolderKey(DialogKind kind) {
  return kind == DialogKind::kOpenProgram ? QStringLiteral("dialogs/programFolder") : QStringLiteral("dialogs/modeFolder");
}

}  // namespace

std::string enginePath(const QString& path) {
#ifdef _WIN32
  return QDir::toNativeSeparators(path).toStdString();
#else
  return QFile::encodeName(path).toStdString();
#endif
}

QString viewSettingsPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/led2vqn/led2vqn.conf");
}

void QtWindowPort::showMessage(const std::string& text) { showBox(window_, QMessageBox::Information, text); }

void QtWindowPort::showNotice(const std::string& text, Notice kind) {
  showBox(window_, kind == Notice::kInformation ? QMessageBox::Information : QMessageBox::Warning, text);
}

void QtWindowPort::reportError(const std::string& text) { showBox(window_, QMessageBox::Critical, text); }

std::optional<std::string> QtWindowPort::openDialog(DialogKind kind) {
  std::vector<std::string> chosen = runDialog(kind, false);
  if (chosen.empty()) return std::nullopt;
  return std::move(chosen.front());
}

std::vector<std::string> QtWindowPort::openFilesDialog(DialogKind kind) { return runDialog(kind, true); }

std::vector<std::string> QtWindowPort::runDialog(DialogKind kind, bool several) {
  QSettings settings(viewSettingsPath(), QSettings::IniFormat);
  QFileDialog dialog(window_);
  configureOpenDialog(dialog, kind);
  if (several && kind == DialogKind::kOpenProgram) dialog.setFileMode(QFileDialog::ExistingFiles);
  const QString folder = settings.value(lastFolderKey(kind)).toString();
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) dialog.setDirectory(folder);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return {};
  settings.setValue(lastFolderKey(kind), QFileInfo(chosen.front()).absolutePath());
  std::vector<std::string> paths;
  for (const QString& path : chosen) paths.push_back(enginePath(path));
  return paths;
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
