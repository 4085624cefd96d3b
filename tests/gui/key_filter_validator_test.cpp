#include "gui/key_filter_validator.hpp"

#include <gtest/gtest.h>

#include "app/window_model.hpp"

namespace led2vqn::gui {
namespace {

bool digits(char32_t key) { return WindowModel::speedFieldAccepts(key); }
bool everything(char32_t) { return true; }

TEST(FilterInserted, KeepsOnlyInsertedCharactersThatPassTheFilter) {
  const struct {
    const char16_t *before, *after;
    int pos;
    const char16_t* kept;
    int keptPos;
    bool (*filter)(char32_t) = digits;
  } edits[] = {
      {u"12", u"12a", 3, u"12", 2},             // a typed letter is discarded
      {u"12", u"132", 2, u"132", 2},            // a digit typed in the middle stays there
      {u"", u"4a.5", 4, u"45", 2},              // a pasted text keeps its digits
      {u"100", u"1x9y0", 4, u"190", 2},         // replacing the middle "0"
      {u"33.5", u"33.57", 5, u"33.57", 5},      // typing after a dot the window put there
      {u"25", u"2", 1, u"2", 1},                // deleting is never filtered
      {u"7", u"7\t8\n", 4, u"78", 2},           // control characters are keys, never text
      {u"11", u"111", 1, u"111", 1},            // an insertion that repeats its neighbours
      {u"1", u"1\U0001F600", 3, u"1", 1},       // a surrogate pair is one key
      {u"1", u"1\U0001F600", 3, u"1\U0001F600", 3, everything},
  };
  for (const auto& e : edits) {
    int pos = e.pos;
    const QString after = QString::fromUtf16(e.after);
    EXPECT_EQ(filterInserted(QString::fromUtf16(e.before), after, pos, e.filter), QString::fromUtf16(e.kept))
        << after.toStdString();
    EXPECT_EQ(pos, e.keptPos) << after.toStdString();
  }
}

}  // namespace
}  // namespace led2vqn::gui
