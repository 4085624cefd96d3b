#include "gui/key_filter_validator.hpp"

#include <algorithm>

namespace led2vqn::gui {
namespace {

// A control key (backspace, tab, ...) edits the field or does nothing; it is
// never text of its own.
constexpr char32_t kFirstPrintable = 32;

}  // namespace

KeyFilterValidator::KeyFilterValidator(KeyFilter filter, QObject* parent) : QValidator(parent), filter_(filter) {}

void KeyFilterValidator::setHeldText(const QString& text) { held_ = text; }

QValidator::State KeyFilterValidator::validate(QString& input, int& pos) const {
  input = filterInserted(held_, input, pos, filter_);
  held_ = input;
  return Acceptable;
}

QString filterInserted(const QString& before, const QString& after, int& pos, KeyFilterValidator::KeyFilter filter) {
  const qsizetype shorter = std::min(before.size(), after.size());
  qsizetype prefix = 0;
  while (prefix < shorter && before[prefix] == after[prefix]) ++prefix;
  qsizetype suffix = 0;
  while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) ++suffix;
  // A surrogate pair is one key: never cut one at the edge of the inserted part.
  if (prefix > 0 && after[prefix - 1].isHighSurrogate()) --prefix;
  if (suffix > 0 && after[after.size() - suffix].isLowSurrogate()) --suffix;

  const qsizetype end = after.size() - suffix;
  QString kept;
  qsizetype removedBeforePos = 0;
  for (qsizetype i = prefix; i < end;) {
    const bool pair = i + 1 < end && after[i].isHighSurrogate() && after[i + 1].isLowSurrogate();
    const qsizetype width = pair ? 2 : 1;
    const char32_t key = pair ? QChar::surrogateToUcs4(after[i], after[i + 1]) : after[i].unicode();
    if (key >= kFirstPrintable && filter(key)) {
      kept += after.mid(i, width);
    } else if (i < pos) {
      removedBeforePos += std::min<qsizetype>(width, pos - i);
    }
    i += width;
  }
  pos = static_cast<int>(pos - removedBeforePos);
  return after.left(prefix) + kept + after.mid(end);
}

}  // namespace led2vqn::gui
