// The main window: a Qt view of the window model.
//
// Every control of the model is one widget at the control's place, drawn
// from the control's state (caption, text, items, enabled, visible,
// checked). Every widget signal calls one handler of the model, and then
// refresh() re-reads the whole state; the view decides nothing itself.
// The batch timer is a QTimer that runs while the model says the timer is enabled.
//
// A timer tick (one row's conversion) runs on a thread of its own. While it
// runs the model belongs to that thread: the view neither reads nor calls
// it, queues the handlers a person's actions call, and hands them to the
// model in order once the tick is over (BatchRelay carries the progress, the
// row start and the message boxes across).
//
// What the view adds to the model's window: a Cancel button (and Escape)
// while a batch runs, a Help button with About, a Preview button (and a
// double click on a row, Space in the grid), the shortcuts Ctrl+O,
// Delete, Ctrl+Q and F1, program files dropped on the window, "2 ports"
// boxes that follow the grid's scrolling, and a grid that gives up height
// when the screen is too low for the whole window.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <QFont>
#include <QSize>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include "app/window_model.hpp"
#include "gui/batch_relay.hpp"

class QPushButton;
class QTableWidget;

namespace led2vqn::gui {

class CornerCaption;
class PreviewDialog;

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // Creates the window model on `port`, runs window creation with the
  // settings file at `settingsPath`, and builds the widgets.
  MainWindow(WindowPort& port, const std::string& settingsPath, QWidget* parent = nullptr);
  ~MainWindow() override;

  // REQUIRES: no row is being converted (the model belongs to the GUI thread).
  WindowModel& model() { return model_; }
  // The widget that draws control `id` (this window for kMainWindow).
  QWidget* widget(ControlId id) const;
  // The file grid.
  QTableWidget* grid() const;
  // The batch timer.
  const QTimer& timer1() const { return timer1_; }
  // The Cancel button, shown while a batch runs.
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* helpButton() const { return help_; }
  // Whether a row is being converted right now.
  bool converting() const { return converting_; }
  // Pixels the grid gave up so that the window fits the screen.
  int heightGivenUp() const { return shrink_; }

  // Adds program files as the add handler does, one after the other
  // (dropped files, files named on the command line).
  void addFiles(const std::vector<std::string>& paths);
  // Opens the preview of row `row` (1-based); nullptr when the row has no
  // file or a row is being converted.
  PreviewDialog* previewRow(int row);
  // Tests: called on the converting thread before each frame of a card.
  void setFrameHook(std::function<void(int32_t frame)> hook) { relay_.frameHook = std::move(hook); }

  // Brings every widget in line with the model.
  void refresh();

 public slots:
  void showAbout();

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;  // Escape: Cancel
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void createWidget(ControlId id);
  void connectWidget(ControlId id);
  void createViewControls();
  void orderFocus();
  // Runs one handler of the model, then refresh(); while a row converts,
  // queues it for the end of the tick.
  void handle(std::function<void()> handler);
  void refreshControl(ControlId id);
  void refreshGrid();
  void refreshTimer();
  void refreshViewControls();
  // Qt's own texts (standard dialogs and buttons) in the model's language.
  void applyQtLanguage();
  // The "2 ports" boxes beside the rows the grid shows at its scroll position.
  void placeTwoPortsBoxes();
  // The batch timer's tick on the converting thread; its end back on the GUI thread.
  void startTick();
  void tickDone();
  void cancelClicked();
  // The control's place on screen: below the grid, moved up by what the grid gave up.
  QRect placeOf(ControlId id) const;
  // How much the grid gives up on the current screen; keeps the outer size.
  void fitScreen();
  void fitOuterSize();

  BatchRelay relay_;
  WindowModel model_;
  std::array<QWidget*, kControlCount> widgets_{};
  QTimer timer1_;
  QFont font_;                       // the window's default font
  QFont buttonFont_;                 // the push buttons' font
  CornerCaption* corner_ = nullptr;  // the text of the grid's cell (0, 0)
  QSize frame_;  // frame width and height around the client area, as last seen
  int shrink_ = 0;  // height the grid gives up (and the controls below it move up)
  QPushButton* cancel_ = nullptr;
  QPushButton* help_ = nullptr;
  QPushButton* preview_ = nullptr;
  std::array<QRect, kTwoPortsBoxCount + 1> boxPlaces_{};  // each box's place when not scrolled
  std::array<bool, kTwoPortsBoxCount + 1> boxVisible_{};  // the model's visibility of each box
  int32_t language_ = kEnglish;  // as last read from the model
  std::string settingsPathShown_;  // the settings file, as last read from the model
  QTranslator qtChinese_;          // Qt's own Chinese texts, installed while the language is Chinese
  bool qtChineseInstalled_ = false;
  std::thread converter_;
  bool converting_ = false;                 // a tick runs on converter_
  std::vector<std::function<void()>> queued_;  // handlers waiting for the tick's end
  bool closeAfterBatch_ = false;            // the window closes once the cancelled tick is over
};

}  // namespace led2vqn::gui
