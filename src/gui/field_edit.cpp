#include "gui/field_edit.hpp"

#include <QFocusEvent>
#include <QSignalBlocker>

namespace led2vqn::gui {

FieldEdit::FieldEdit(KeyFilterValidator::KeyFilter filter, QWidget* parent)
    : QLineEdit(parent), validator_(new KeyFilterValidator(filter, this)) {
  setValidator(validator_);
}

void FieldEdit::showText(const QString& text) {
  if (this->text() == text) return;
  const QSignalBlocker quiet(this);
  validator_->setHeldText(text);
  setText(text);
}

void FieldEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
  emit left();
}

}  // namespace led2vqn::gui
