#include "gui/key_filter_validator.hpp"

#include <gtest/gtest.h>

#include "app/window_model.hpp"

namespace led2vqn::gui {
namespace {

bool digits(char32_t key) { return WindowModel::SPEEDNKeyPress(key); }
bool everything(char32_t) { return true; }

struct Edit {
  const char16_t* before;
  const char16_t* after;
  int pos;
  const char16_t* kept;
  int keptPos;
};

TEST(FilterInserted, KeepsOnlyInsertedCharactersThatPassTheFilter) {
  const Edit edits[] = {
      {u"12", u"12a", 3, u"12", 2},             // a typed letter is discarded
      {u"12", u"132", 2, u"132", 2},            // a digit typed in the middle stays there
      {u"", u"4a.5", 4, u"45", 2},              // a pasted text keeps its digits
      {u"100", u"1x9y0", 4, u"190", 2},         // replacing the middle "0"
      {u"33.5", u"33.5", 4, u"33.5", 4},        // no edit: a dot already there stays
      {u"33.5", u"33.57", 5, u"33.57", 5},      // typing after a dot the window put there
      {u"25", u"2", 1, u"2", 1},                // deleting is never filtered
      {u"7", u"7\t8\n", 4, u"78", 2},           // control characters are keys, never text
      {u"11", u"111", 1, u"111", 1},            // an insertion that repeats its neighbours
  };
  for (const Edit& e : edits) {
    int pos = e.pos;
    const QString before = QString::fromUtf16(e.before), after = QString::fromUtf16(e.after);
    EXPECT_EQ(filterInserted(before, after, pos, digits), QString::fromUtf16(e.kept)) << after.toStdString();
    EXPECT_EQ(pos, e.keptPos) << after.toStdString();
  }
}

TEST(FilterInserted, TakesASurrogatePairAsOneKey) {
  const QString face = QString::fromUtf16(u"\U0001F600");
  int pos = 3;
  EXPECT_EQ(filterInserted("1", "1" + face, pos, digits), "1");
  EXPECT_EQ(pos, 1);
  pos = 3;
  EXPECT_EQ(filterInserted("1", "1" + face, pos, everything), "1" + face);
  EXPECT_EQ(pos, 3);
}

TEST(KeyFilterValidator, MeasuresEditsAgainstTheTextTheWindowSet) {
  KeyFilterValidator validator(digits, nullptr);
  validator.setHeldText("33.3333333333333");
  QString input = "33.33333333333331";
  int pos = static_cast<int>(input.size());
  EXPECT_EQ(validator.validate(input, pos), QValidator::Acceptable);
  EXPECT_EQ(input, "33.33333333333331");
  input = "33.33333333333331.";
  pos = static_cast<int>(input.size());
  validator.validate(input, pos);
  EXPECT_EQ(input, "33.33333333333331");  // the last accepted text is the new base
}

}  // namespace
}  // namespace led2vqn::gui
