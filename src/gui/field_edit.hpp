// A single-line text field of the main window: its input passes the field's
// key filter, and it reports when the focus leaves it for another control
// of the window.
#pragma once

#include <QLineEdit>

#include "gui/key_filter_validator.hpp"

namespace led2vqn::gui {

class FieldEdit : public QLineEdit {
  Q_OBJECT

 public:
  FieldEdit(KeyFilterValidator::KeyFilter filter, QWidget* parent);

  // Shows `text` as the window model holds it (no filter, no edit signal);
  // nothing happens when the field already shows it.
  void showText(const QString& text);

 signals:
  // The focus went to another control of the same window (not to another
  // window, a menu or a message box).
  void left();

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  KeyFilterValidator* validator_;
};

}  // namespace led2vqn::gui
