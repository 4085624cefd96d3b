#include "app/window_model.hpp"

#include <ctime>

#include "app/settings_file.hpp"
#include "base/decimal_text.hpp"
#include "base/file_io.hpp"
#include "base/platform.hpp"
#include "output/card_model.hpp"
#include "project/readme.hpp"

namespace led2vqn {
namespace {

constexpr int32_t kFieldMin = 1;
constexpr int32_t kFieldMax = 100;
constexpr char32_t kBackspace = 8;
constexpr char32_t kFirstPrintable = 32;

constexpr ControlId kMainButtons[] = {
    ControlId::kAddButton,     ControlId::kDeleteButton,     ControlId::kExitButton,     ControlId::kOutputZ71RgbButton,
    ControlId::kOutputJ9Button, ControlId::kOutputZ58Button, ControlId::kOutputZ94Button, ControlId::kOutputZ6Button,
    ControlId::kOutputZ71RgbwButton,   ControlId::kOutputZ36Button,
};

constexpr ControlId kOutputButtons[] = {
    ControlId::kOutputZ71RgbButton, ControlId::kOutputJ9Button, ControlId::kOutputZ58Button, ControlId::kOutputZ94Button,
    ControlId::kOutputZ6Button, ControlId::kOutputZ71RgbwButton,   ControlId::kOutputZ36Button,
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

void WindowModel::windowCreated(const std::string& settingsPath) {
  table_.reset();
  languageFlag_ = kEnglish;
  colourTypeFlag_ = kColourTypeOther;
  modePanel_.reset();
  // Column widths and header height in the design's ratios; the check boxes
  // stand in one column right of the grid, one per row.
  const Rect grid = controls_[ControlId::kFileGrid].rect;
  columnWidths_ = {grid.width * 60 / 872, grid.width * 687 / 872, grid.width * 60 / 872, grid.width * 57 / 872};
  const int rowHeight = grid.height * 25 / 329;
  headerHeight_ = rowHeight;
  for (int k = 1; k <= kTwoPortsBoxCount; ++k) {
    Rect& r = controls_[twoPortsBoxId(k)].rect;
    r.left = grid.width * 882 / 872;
    r.top = grid.height * 74 / 329 + (k - 1) * rowHeight;
  }
  settingsPath_ = settingsPath;
  const SettingsLoad settings = readSettings(settingsPath_, engine_.sector.data());
  languageFlag_ = settings.languageFlag;
  nibbles_ = settings.table;
  applyLanguage();
  controls_[ControlId::kMainWindow].rect.width = kWindowWidth;
  controls_[ControlId::kMainWindow].rect.height = kWindowHeight;
  if (settings.error) reportError(settings.error->text);
}

void WindowModel::applyLanguage() {
  applyCaptions(controls_, languageFlag_);
  const GridTexts& g = gridTexts(languageFlag_);
  table_.setLanguageTexts(g.header, g.labelPrefix);
  controls_[ControlId::kFrameLimitLabel].caption = frameLimitCaption(modePanel_.state().frameLimit, languageFlag_);
  controls_[ControlId::kEnglishRadio].checked = languageFlag_ == kEnglish;
  controls_[ControlId::kChineseRadio].checked = languageFlag_ != kEnglish;
}

void WindowModel::setMainButtonsEnabled(bool enabled) {
  for (ControlId id : kMainButtons) controls_[id].enabled = enabled;
}

void WindowModel::englishClicked() { switchLanguage(kChinese, kEnglish); }

void WindowModel::chineseClicked() { switchLanguage(kEnglish, kChinese); }

void WindowModel::switchLanguage(int32_t from, int32_t to) {
  if (languageFlag_ != from) return;
  languageFlag_ = to;
  const std::optional<IoError> e = saveLanguage(settingsPath_, languageFlag_);
  applyLanguage();
  if (e) reportError(e->text);
}

void WindowModel::exitClicked() { closeRequested_ = true; }

// ---- Text fields ----

bool WindowModel::speedFieldAccepts(char32_t key) { return isDigit(key) || key < kFirstPrintable; }
bool WindowModel::brightnessFieldAccepts(char32_t key) { return isDigit(key) || key < kFirstPrintable; }
bool WindowModel::modeSelectorAccepts(char32_t key) { return key < kFirstPrintable; }
bool WindowModel::startFieldAccepts(char32_t key) { return isDigit(key) || key < kFirstPrintable; }
bool WindowModel::endFieldAccepts(char32_t key) { return isDigit(key) || key < kFirstPrintable; }

void WindowModel::typeChar(ControlId field, char32_t key) {
  bool passes = false;
  switch (field) {
    case ControlId::kSpeedField: passes = speedFieldAccepts(key); break;
    case ControlId::kBrightnessField: passes = brightnessFieldAccepts(key); break;
    case ControlId::kModeSelector: passes = modeSelectorAccepts(key); break;
    case ControlId::kStartField: passes = startFieldAccepts(key); break;
    case ControlId::kEndField: passes = endFieldAccepts(key); break;
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
  if (field == ControlId::kModeSelector) modeSelectorChanged();
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

void WindowModel::speedFieldLeft() { leaveNumberField(ControlId::kSpeedField, kDefaultSpeedText); }
void WindowModel::brightnessFieldLeft() { leaveNumberField(ControlId::kBrightnessField, kDefaultBrightnessText); }

// ---- The project table ----

void WindowModel::addFileClicked() {
  const std::vector<std::string> paths = port_.openFilesDialog(DialogKind::kOpenProgram);
  if (paths.empty()) return;
  for (const std::string& path : paths) addProgramFile(path);
  progressPosition_ = 0;
}

void WindowModel::addProgramFile(const std::string& path) {
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
  setMainButtonsEnabled(true);
  modePanel_.setFrameLimit(table_.framesOfFirstRow().value_or(0));
  resetModeFilePanel();
  applyLanguage();
  const int r = table_.selectedRow();
  if (info.ports > 2 && r >= 1 && r <= kTwoPortsBoxCount) controls_[twoPortsBoxId(r)].enabled = true;
}

void WindowModel::deleteRowClicked() {
  progressPosition_ = 0;
  if (table_.deleteSelected()) {
    setOutputButtons(false);
    controls_[ControlId::kDeleteButton].enabled = false;
    modePanel_.setFrameLimit(0);
  } else {
    modePanel_.setFrameLimit(table_.framesOfFirstRow().value_or(0));
  }
  resetModeFilePanel();
  applyLanguage();
  for (int r = table_.fileCount() + 1; r <= kTwoPortsBoxCount; ++r) controls_[twoPortsBoxId(r)].enabled = false;
}

void WindowModel::rowSelected(int row) { table_.select(row); }

void WindowModel::twoPortsBoxClicked(int r) {
  if (r < 1 || r > kTwoPortsBoxCount) return;
  ControlState& box = controls_[twoPortsBoxId(r)];
  box.checked = !box.checked;
  table_.setTwoPortFlag(r, box.checked ? kTwoPortsOn : 0);
}

void WindowModel::resetModeFilePanel() {
  controls_[ControlId::kModePathLabel].caption = kNoModePath;
  controls_[ControlId::kSaveModeButton].enabled = false;
}

void WindowModel::setOutputButtons(bool enabled) {
  for (ControlId id : kOutputButtons) controls_[id].enabled = enabled;
}

// ---- The batch ----

void WindowModel::outputZ71RgbClicked() { outputClicked(OutputKind::kZ71Rgb); }
void WindowModel::outputJ9Clicked() { outputClicked(OutputKind::kJ9); }
void WindowModel::outputZ58Clicked() { outputClicked(OutputKind::kZ58); }
void WindowModel::outputZ71RgbwClicked() { outputClicked(OutputKind::kZ71Rgbw); }
void WindowModel::outputZ94Clicked() { outputClicked(OutputKind::kZ94); }
void WindowModel::outputZ6Clicked() { outputClicked(OutputKind::kZ6); }
void WindowModel::outputZ36Clicked() { outputClicked(OutputKind::kZ36); }

void WindowModel::outputClicked(OutputKind kind) {
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
  lastBatch_ = kind;
  setMainButtonsEnabled(false);
}

std::optional<WindowModel::PreviewFiles> WindowModel::previewFiles(int row) const {
  if (row < 1 || row >= table_.rowCount()) return std::nullopt;
  const RowCells cells = table_.rowCells(row);
  if (cells.path.empty() || cells.path == " ") return std::nullopt;
  PreviewFiles files{cells.path, {}, {}};
  const CardModel* model = lastBatch_ ? cardModel(*lastBatch_) : nullptr;
  const std::optional<int32_t> ports = parseInteger(cells.ports);
  // Z71 RGBW: one card for rows 1 and 2, named after row 1.
  const bool rgbw = model != nullptr && model->kind == OutputKind::kZ71Rgbw;
  if (model == nullptr || !ports || *ports < 1 || *ports > 8 || (rgbw && row != 1)) return files;
  const int32_t used = portsUsedFor(*model, *ports, twoPortFlag(row) > 1);
  const std::string card = placeOutput(cardName(cells.path, used, model->suffix));
  if (!fileExists(card)) return files;
  files.card = card;
  if (rgbw && table_.rowCount() > 2) files.white = table_.rowCells(2).path;
  return files;
}

void WindowModel::timerTick() {
  if (!batch_.timerEnabled()) return;
  if (batch_.currentRow() < table_.rowCount()) port_.rowStarted(batch_.currentRow());
  const BatchDriver::Tick t = batch_.tick(engine_, table_, *this);
  switch (t.kind) {
    case BatchDriver::Tick::Kind::kFinished:
      finishBatch();
      return;
    case BatchDriver::Tick::Kind::kOverTwoFiles:
      // All main buttons, not only add, delete and exit: the table can be
      // put right and converted again.
      showMessage(Msg::kFilesOver2);
      setMainButtonsEnabled(true);
      return;
    case BatchDriver::Tick::Kind::kRow:
      break;
  }
  switch (t.write.kind) {
    case WriteResult::Kind::kWritten:
      port_.cardWritten(t.write.cardPath);
      return;
    case WriteResult::Kind::kModeFrames:
      showMessage(Msg::kModeFramesOutput);
      return;
    case WriteResult::Kind::kPortsWithoutLayout:
      showMessageText(portsWithoutLayoutText(table_.cell(t.row, 1), languageFlag_));
      return;
    case WriteResult::Kind::kFailed:
      batch_.stop();
      setMainButtonsEnabled(true);
      reportError(t.write.error);
      return;
    case WriteResult::Kind::kCancelled:
      endCancelledBatch();
      return;
  }
}

void WindowModel::cancelClicked() {
  if (batch_.timerEnabled()) endCancelledBatch();
}

void WindowModel::endCancelledBatch() {
  batch_.stop();
  setMainButtonsEnabled(true);
  showMessage(Msg::kConversionCancelled);
}

void WindowModel::finishBatch() {
  const std::string folder = outputFolder_.empty() ? folderOfPath(table_.cell(1, 1)) : outputFolder_;
  if (const std::optional<IoError> e = writeReadme(folder)) {
    reportError(e->text);
  } else {
    showMessage(Msg::kConversionComplete);
  }
  setMainButtonsEnabled(true);
}

std::optional<IoError> WindowModel::writeReadme(const std::string& folder) {
  const ReadmeCaptions captions{controls_[ControlId::kOtherColourRadio].caption,    controls_[ControlId::kSpeedLabel].caption,
                                controls_[ControlId::kSpeedField].text,    controls_[ControlId::kFpsLabel].caption,
                                controls_[ControlId::kBrightnessLabel].caption, controls_[ControlId::kBrightnessField].text};
  return led2vqn::writeReadme(folder, dateTime_(), captions, table_);
}

// ---- Messages ----

void WindowModel::showMessage(Msg msg) {
  const bool success = msg == Msg::kConversionComplete || msg == Msg::kModeSaved || msg == Msg::kConversionCancelled;
  port_.showNotice(messageText(msg, languageFlag_), success ? Notice::kInformation : Notice::kWarning);
}
void WindowModel::showMessageText(const std::string& text) { port_.showNotice(text, Notice::kWarning); }
void WindowModel::reportError(const std::string& text) { port_.reportError(text); }

// ---- ConversionHost ----

RowCells WindowModel::rowCells(int row) const { return table_.rowCells(row); }
int WindowModel::rowCount() const { return table_.rowCount(); }
int32_t WindowModel::twoPortFlag(int row) const { return table_.twoPortFlag(row); }
std::string WindowModel::placeOutput(const std::string& besideProgram) const {
  if (outputFolder_.empty()) return besideProgram;
  const std::size_t slash = platform::lastSeparator(besideProgram);
  return outputFolder_ + platform::kSeparator + (slash == std::string::npos ? besideProgram : besideProgram.substr(slash + 1));
}
std::string WindowModel::speedText() const { return controls_[ControlId::kSpeedField].text; }
std::string WindowModel::brightnessText() const { return controls_[ControlId::kBrightnessField].text; }
ModeSettings WindowModel::modes() const { return modePanel_.state().settings(multiModeOn()); }
void WindowModel::setProgressMax(int32_t max) { progressMax_ = max; }
void WindowModel::setProgress(int32_t position) {
  progressPosition_ = position;
  port_.progressChanged(position, progressMax_);
}
bool WindowModel::cancelRequested() const { return !port_.keepConverting(); }

}  // namespace led2vqn
