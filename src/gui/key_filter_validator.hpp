// Puts every character a person inserts into a text field (typed, pasted,
// dropped or composed) through the field's key filter, one character at a
// time, as if each had been typed: characters the filter discards are left
// out, and so are control characters, which are keys but never text; the
// rest stay where they were inserted. Deleting is never filtered.
#pragma once

#include <QString>
#include <QValidator>

namespace led2vqn::gui {

class KeyFilterValidator : public QValidator {
  Q_OBJECT

 public:
  // A key filter of the window model: true when the key may reach the field.
  using KeyFilter = bool (*)(char32_t);

  KeyFilterValidator(KeyFilter filter, QObject* parent);

  // The field now holds `text` (set by the window, not typed): later edits
  // are measured against it, and it is taken as it stands.
  void setHeldText(const QString& text);

  State validate(QString& input, int& pos) const override;

 private:
  KeyFilter filter_;
  mutable QString held_;  // the field's text before the edit being validated
};

// Applies `filter` to the characters of `after` that an edit of `before`
// inserted (the part between their longest common prefix and suffix).
// Adjusts `pos` (a cursor position in `after`) for the characters left out.
QString filterInserted(const QString& before, const QString& after, int& pos, KeyFilterValidator::KeyFilter filter);

}  // namespace led2vqn::gui
