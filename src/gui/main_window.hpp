// The main window: a Qt view of the window model.
//
// Every control of the model is one widget at the control's place, drawn
// from the control's state (caption, text, items, enabled, visible,
// checked). Every widget signal calls one handler of the model, and then
// refresh() re-reads the whole state; the view decides nothing itself.
// The batch timer is a QTimer that runs while the model says the timer is enabled.
#pragma once

#include <array>
#include <string>

#include <QFont>
#include <QSize>
#include <QTimer>
#include <QWidget>

#include "app/window_model.hpp"

class QTableWidget;

namespace led2vqn::gui {

class CornerCaption;

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // Creates the window model on `port`, runs window creation with the
  // settings file at `settingsPath`, and builds the widgets.
  MainWindow(WindowPort& port, const std::string& settingsPath, QWidget* parent = nullptr);
  ~MainWindow() override;

  WindowModel& model() { return model_; }
  // The widget that draws control `id` (this window for kMainWindow).
  QWidget* widget(ControlId id) const;
  // The file grid.
  QTableWidget* grid() const;
  // The batch timer.
  const QTimer& timer1() const { return timer1_; }

  // Brings every widget in line with the model.
  void refresh();

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void createWidget(ControlId id);
  void connectWidget(ControlId id);
  // Runs one handler of the model, then refresh().
  template <class Handler>
  void handle(Handler handler);
  void refreshControl(ControlId id);
  void refreshGrid();
  void refreshTimer();
  // Keeps the outer size (frame included, where a window manager draws one) at 1182 x 725.
  void fitOuterSize();

  WindowModel model_;
  std::array<QWidget*, kControlCount> widgets_{};
  QTimer timer1_;
  QFont font_;                       // the window's default font
  QFont buttonFont_;                 // the push buttons' font
  CornerCaption* corner_ = nullptr;  // the text of the grid's cell (0, 0)
  QSize frame_;  // frame width and height around the client area, as last seen
};

}  // namespace led2vqn::gui
