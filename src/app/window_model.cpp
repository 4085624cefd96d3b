#include "app/window_model.hpp"

#include <ctime>

#include "app/settings_file.hpp"
#include "output/decimal_text.hpp"
#include "project/readme.hpp"

namespace led2vqn {
namespace {

constexpr int32_t kFieldMin = 1;
constexpr int32_t kFieldMax = 100;
constexpr char32_t kBackspace = 8;
constexpr char32_t kFirstPrintable = 32;

constexpr ControlId kMainButtons[] = {
    ControlId::kADDBT,     ControlId::kDELBT,     ControlId::kEXBT,     ControlId::kOUTPUTBT,
    ControlId::kOUTPUTBT4, ControlId::kOUTPUTZ58, ControlId::kOUTPUTZ94, ControlId::kOUTPUTZ6,
    ControlId::kOUTRGBW,   ControlId::kOUTZ36,
};

constexpr ControlId kOutputButtons[] = {
    ControlId::kOUTPUTBT, ControlId::kOUTPUTBT4, ControlId::kOUTPUTZ58, ControlId::kOUTPUTZ94,
    ControlId::kOUTPUTZ6, ControlId::kOUTRGBW,   ControlId::kOUTZ36,
};

bool isDigit(char32_t key) { return key >= '0' && key <= '9'; }

}  // namespace

WindowModel::WindowModel(WindowPort& port)
    : port_(port), dateTime_([] { return localDateTimeText(std::time(nullptr)); }) {
  const GridTexts& g = gridTexts(kEnglish);
  table_.setLanguageTexts(g.header, g.labelPrefix);
}

WindowModel::~WindowModel() = default;

// ---- The window and its languages ----

void WindowModel::FormCreate(const std::string& settingsPath) {
  table_.reset();
  languageFlag_ = kEnglish;
  colourTypeFlag_ = kColourTypeOther;
  modes_.count = 1;
  // Column widths and header height in the design's ratios; the check boxes
  // stand in one column right of the grid, one per row.
  const Rect grid = controls_[ControlId::kSGD1].rect;
  columnWidths_ = {grid.width * 60 / 872, grid.width * 687 / 872, grid.width * 60 / 872, grid.width * 57 / 872};
  const int rowHeight = grid.height * 25 / 329;
  headerHeight_ = rowHeight;
  for (int k = 1; k <= kCheckBoxCount; ++k) {
    Rect& r = controls_[checkBoxId(k)].rect;
    r.left = grid.width * 882 / 872;
    r.top = grid.height * 74 / 329 + (k - 1) * rowHeight;
  }
  modes_.table.fill(ModeRow{1, 1, 1});
  settingsPath_ = settingsPath;
  const SettingsLoad settings = ReadCF(settingsPath_, engine_.sector.data());
  languageFlag_ = settings.languageFlag;
  nibbles_ = settings.table;
  ChangeYY();
  controls_[ControlId::kForm1].rect.width = kWindowWidth;
  controls_[ControlId::kForm1].rect.height = kWindowHeight;
  if (settings.error) reportError(settings.error->text);
}

void WindowModel::ChangeYY() {
  applyCaptions(controls_, languageFlag_);
  const GridTexts& g = gridTexts(languageFlag_);
  table_.setLanguageTexts(g.header, g.labelPrefix);
  controls_[ControlId::kAlabel].caption = frameLimitCaption(modes_.frameLimit, languageFlag_);
  controls_[ControlId::kRBT1].checked = languageFlag_ == kEnglish;
  controls_[ControlId::kRBT2].checked = languageFlag_ != kEnglish;
}

void WindowModel::ENABLECLICK(bool enabled) {
  for (ControlId id : kMainButtons) controls_[id].enabled = enabled;
}

void WindowModel::RBT1Click() { switchLanguage(kChinese, kEnglish); }

void WindowModel::RBT2Click() { switchLanguage(kEnglish, kChinese); }

void WindowModel::switchLanguage(int32_t from, int32_t to) {
  if (languageFlag_ != from) return;
  languageFlag_ = to;
  const std::optional<IoError> e = SaveYYV(settingsPath_, languageFlag_);
  ChangeYY();
  if (e) reportError(e->text);
}

void WindowModel::EXBTClick() { closeRequested_ = true; }

// ---- Text fields ----

bool WindowModel::SPEEDNKeyPress(char32_t key) { return isDigit(key) || key < kFirstPrintable; }
bool WindowModel::BRIGHTNKeyPress(char32_t key) { return isDigit(key) || key < kFirstPrintable; }
bool WindowModel::CB1KeyPress(char32_t key) { return key < kFirstPrintable; }
bool WindowModel::E1KeyPress(char32_t key) { return isDigit(key) || key < kFirstPrintable; }
bool WindowModel::E2KeyPress(char32_t key) { return isDigit(key) || key < kFirstPrintable; }

void WindowModel::typeChar(ControlId field, char32_t key) {
  bool passes = false;
  switch (field) {
    case ControlId::kSPEEDN: passes = SPEEDNKeyPress(key); break;
    case ControlId::kBRIGHTN: passes = BRIGHTNKeyPress(key); break;
    case ControlId::kCB11: passes = CB1KeyPress(key); break;
    case ControlId::kE11: passes = E1KeyPress(key); break;
    case ControlId::kE22: passes = E2KeyPress(key); break;
    default: return;
  }
  if (!passes) return;
  std::string& text = controls_[field].text;
  if (key == kBackspace) {
    if (text.empty()) return;
    text.pop_back();
  } else if (key >= kFirstPrintable && key < 0x80) {
    text += static_cast<char>(key);
  } else {
    return;  // another control key: no edit
  }
  if (field == ControlId::kCB11) CB1Change();
}

void WindowModel::typeText(ControlId field, const std::string& utf8) {
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if ((b & 0xC0) == 0x80) continue;  // inside a character: one key per character
    typeChar(field, b);
  }
}

void WindowModel::setFieldText(ControlId field, const std::string& text) { controls_[field].text = text; }

void WindowModel::leaveNumberField(ControlId field, const std::string& defaultText) {
  std::string& text = controls_[field].text;
  if (text.empty()) {
    text = defaultText;
    return;
  }
  const std::optional<int32_t> v = parseInteger(text);
  if (!v) {
    reportError(notAnIntegerText(text));
    return;
  }
  if (*v > kFieldMax) text = decimal(kFieldMax);
  else if (*v < kFieldMin) text = decimal(kFieldMin);
  else text = decimal(*v);
}

void WindowModel::SPEEDNExit() { leaveNumberField(ControlId::kSPEEDN, kDefaultSpeedText); }
void WindowModel::BRIGHTNExit() { leaveNumberField(ControlId::kBRIGHTN, kDefaultBrightnessText); }

// ---- The project table ----

void WindowModel::ADDBTClick() {
  const std::optional<std::string> path = port_.openDialog(DialogKind::kOpenProgram);
  if (!path) return;
  ReadFile(*path);
  progressPosition_ = 0;
}

void WindowModel::ReadFile(const std::string& path) {
  if (table_.rowCount() > kMaxFiles) {
    showMessage(Msg::kFilesOver16);
    return;
  }
  if (table_.holdsPath(path)) {
    showMessage(Msg::kAlreadyOpen);
    return;
  }
  const ReadOutcome read = readProgramFile(path, nibbles_, engine_.sector.data());
  if (read.error) {
    reportError(read.error->text);
    return;
  }
  if (read.refusal || !read.info) {
    showMessage(readerRefusalMessage(read.refusal.value_or(ReaderRefusal::kOpenFile)));
    return;
  }
  const ProgramInfo& info = *read.info;
  table_.placeFile(RowCells{path, decimal(info.frames), decimal(info.ports), decimal(info.pixels),
                            decimal(info.frameLength)});
  ENABLECLICK(true);
  modes_.frameLimit = table_.framesOfFirstRow().value_or(0);
  resetModeFilePanel();
  ChangeYY();
  const int r = table_.selectedRow();
  if (info.ports > 2 && r >= 1 && r <= kCheckBoxCount) controls_[checkBoxId(r)].enabled = true;
}

void WindowModel::DELBTClick() {
  progressPosition_ = 0;
  if (table_.deleteSelected()) {
    setOutputButtons(false);
    controls_[ControlId::kDELBT].enabled = false;
    modes_.frameLimit = 0;
  } else {
    modes_.frameLimit = table_.framesOfFirstRow().value_or(0);
  }
  resetModeFilePanel();
  ChangeYY();
  for (int r = table_.fileCount() + 1; r <= kCheckBoxCount; ++r) controls_[checkBoxId(r)].enabled = false;
}

void WindowModel::SGD1SelectCell(int row) { table_.select(row); }

void WindowModel::CheckBoxClick(int r) {
  if (r < 1 || r > kCheckBoxCount) return;
  ControlState& box = controls_[checkBoxId(r)];
  box.checked = !box.checked;
  table_.setTwoPortFlag(r, box.checked ? kTwoPortsOn : 0);
}

void WindowModel::resetModeFilePanel() {
  controls_[ControlId::kPathr].caption = kNoModePath;
  controls_[ControlId::kbsave].enabled = false;
}

void WindowModel::setOutputButtons(bool enabled) {
  for (ControlId id : kOutputButtons) controls_[id].enabled = enabled;
}

// ---- The batch ----

void WindowModel::OUTPUTBT3Click() { outputClick(OutputKind::kZ71Rgb); }
void WindowModel::OUTPUTBT4Click() { outputClick(OutputKind::kJ9); }
void WindowModel::OUTPUTZ58Click() { outputClick(OutputKind::kZ58); }
void WindowModel::OUTRGBWClick() { outputClick(OutputKind::kZ71Rgbw); }
void WindowModel::OUTPUTZ94Click() { outputClick(OutputKind::kZ94); }
void WindowModel::OUTPUTZ6Click() { outputClick(OutputKind::kZ6); }
void WindowModel::OUTZ36Click() { outputClick(OutputKind::kZ36); }

void WindowModel::outputClick(OutputKind kind) {
  switch (batch_.start(kind, engine_, table_, *this)) {
    case BatchDriver::Start::kModeFrames:
      showMessage(Msg::kModeFramesOutput);
      return;
    case BatchDriver::Start::kBadCell:
      reportError(notAnIntegerText(batch_.badCell()));
      return;
    case BatchDriver::Start::kStarted:
      break;
  }
  ENABLECLICK(false);
}

void WindowModel::Timer1Timer() {
  if (!batch_.timerEnabled()) return;
  const BatchDriver::Tick t = batch_.tick(engine_, table_, *this);
  switch (t.kind) {
    case BatchDriver::Tick::Kind::kFinished:
      finishBatch();
      return;
    case BatchDriver::Tick::Kind::kOverTwoFiles:
      // All main buttons, not only add, delete and exit: the table can be
      // put right and converted again.
      showMessage(Msg::kFilesOver2);
      ENABLECLICK(true);
      return;
    case BatchDriver::Tick::Kind::kRow:
      break;
  }
  switch (t.write.kind) {
    case WriteResult::Kind::kWritten:
      return;
    case WriteResult::Kind::kModeFrames:
      showMessage(Msg::kModeFramesOutput);
      return;
    case WriteResult::Kind::kPortsWithoutLayout:
      showMessageText(portsWithoutLayoutText(table_.cell(t.row, 1), languageFlag_));
      return;
    case WriteResult::Kind::kFailed:
      batch_.stop();
      ENABLECLICK(true);
      reportError(t.write.error);
      return;
  }
}

void WindowModel::finishBatch() {
  const std::string folder = folderOfPath(table_.cell(1, 1));
  if (const std::optional<IoError> e = Savetxt(folder)) {
    reportError(e->text);
  } else {
    showMessage(Msg::kConversionComplete);
  }
  ENABLECLICK(true);
}

std::optional<IoError> WindowModel::Savetxt(const std::string& folder) {
  const ReadmeCaptions captions{controls_[ControlId::kRB4].caption,    controls_[ControlId::kSPEEDL].caption,
                                controls_[ControlId::kSPEEDN].text,    controls_[ControlId::kFs].caption,
                                controls_[ControlId::kBRIGHTL].caption, controls_[ControlId::kBRIGHTN].text};
  return led2vqn::Savetxt(folder, dateTime_(), captions, table_);
}

// ---- Messages ----

void WindowModel::showMessage(Msg msg) { port_.showMessage(messageText(msg, languageFlag_)); }
void WindowModel::showMessageText(const std::string& text) { port_.showMessage(text); }
void WindowModel::reportError(const std::string& text) { port_.reportError(text); }

// ---- ConversionHost ----

RowCells WindowModel::rowCells(int row) const { return table_.rowCells(row); }
int WindowModel::rowCount() const { return table_.rowCount(); }
int32_t WindowModel::twoPortFlag(int row) const { return table_.twoPortFlag(row); }
std::string WindowModel::speedText() const { return controls_[ControlId::kSPEEDN].text; }
std::string WindowModel::brightnessText() const { return controls_[ControlId::kBRIGHTN].text; }
ModeSettings WindowModel::modes() const { return modes_.settings(multiModeOn()); }
void WindowModel::setProgressMax(int32_t max) { progressMax_ = max; }
void WindowModel::setProgress(int32_t position) { progressPosition_ = position; }

}  // namespace led2vqn
