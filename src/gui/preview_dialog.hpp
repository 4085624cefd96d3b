// The preview of one row: what its program file plays, as a timeline
// picture and as a player that lights one strip per port, and, when the last
// batch wrote a card for the row, what that card plays with the verdict of
// comparing it with the program.
//
// The dialog only reads files: it holds copies of the names and the settings
// file's table, never the window model, and draws nothing from the generator.
#pragma once

#include <cstdint>
#include <string>

#include <QDialog>
#include <QTimer>

#include "app/timeline.hpp"

class QLabel;
class QPushButton;
class QSlider;
class QTabWidget;

namespace led2vqn::gui {

class StripPlayer;

struct PreviewSource {
  std::string program;
  std::string card;   // empty: no card to show
  std::string white;  // a Z71 RGBW card's W program
  int32_t framesPerSecond = 25;
  int32_t language = 0;  // kEnglish or kChinese
};

class PreviewDialog : public QDialog {
  Q_OBJECT

 public:
  PreviewDialog(const PreviewSource& source, const NibbleTable& table, QWidget* parent = nullptr);

  QTabWidget* tabs() const { return tabs_; }
  QSlider* slider() const { return slider_; }
  QLabel* frameLabel() const { return frameLabel_; }
  QPushButton* playButton() const { return play_; }
  QLabel* verdict() const { return verdict_; }  // nullptr without a card tab

 private:
  QWidget* programTab(const NibbleTable& table);
  QWidget* cardTab(const NibbleTable& table);
  void showFrame(int index);
  void playClicked();

  PreviewSource source_;
  Timeline program_;
  QTabWidget* tabs_ = nullptr;
  StripPlayer* player_ = nullptr;
  QSlider* slider_ = nullptr;
  QLabel* frameLabel_ = nullptr;
  QPushButton* play_ = nullptr;
  QLabel* verdict_ = nullptr;
  QTimer clock_;
};

}  // namespace led2vqn::gui
