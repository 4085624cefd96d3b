#include "gui/main_window.hpp"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QTableWidget>
#include <QUrl>

#include "base/decimal_text.hpp"
#include "gui/app_icon.hpp"

#include "gui/field_edit.hpp"
#include "gui/preview_dialog.hpp"
#include "gui/qt_window_port.hpp"

namespace led2vqn::gui {

// Draws the text of the grid's cell (0, 0) on the corner where the header
// row meets the label column.
class CornerCaption : public QObject {
 public:
  explicit CornerCaption(QWidget* corner) : QObject(corner), corner_(corner) { corner->installEventFilter(this); }

  void setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    corner_->update();
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != corner_ || event->type() != QEvent::Paint) return false;
    QStyleOptionHeader option;
    option.initFrom(corner_);
    option.rect = corner_->rect();
    option.text = text_;
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    // Drawn like the header sections, though nobody can click it.
    option.state |= QStyle::State_Raised | QStyle::State_Enabled;
    option.palette.setCurrentColorGroup(QPalette::Active);
    QStylePainter painter(corner_);
    painter.drawControl(QStyle::CE_Header, option);
    return true;
  }

 private:
  QWidget* corner_;
  QString text_;
};

namespace {

using C = ControlId;

constexpr std::size_t indexOf(ControlId id) { return static_cast<std::size_t>(id); }

// Fonts: the window's default font is bold, navy, with a cell height
// (ascent + descent) of 20 pixels; push buttons use a plain font of 18.
// A caption wider than its control is drawn smaller, down to kMinPixelSize.
constexpr int kDefaultFontHeight = 20;
constexpr int kButtonFontHeight = 18;
constexpr int kMinPixelSize = 9;
const QColor kNavy(0, 0, 128);

// Grid columns on screen: 1 .. 3 (the path, frames and ports); column 0 is
// the grid's label column, columns 4 and 5 are never drawn.
constexpr int kShownColumns = 3;
constexpr int kHeaderPadding = 8;  // room a header section keeps around its text

QFont fontOfHeight(QFont font, int height, bool bold) {
  font.setBold(bold);
  int size = height;
  font.setPixelSize(size);
  while (size > kMinPixelSize && QFontMetrics(font).height() > height) font.setPixelSize(--size);
  return font;
}

void setFontIfChanged(QWidget* w, const QFont& font) {
  if (w->font() != font) w->setFont(font);
}

// `preferred`, narrowed and then made smaller as far as needed (not below
// kMinPixelSize) for `text` to fit into `room` pixels.
QFont fittingFont(const QFont& preferred, const QString& text, int room) {
  QFont font = preferred;
  const auto fits = [&] { return QFontMetrics(font).horizontalAdvance(text) <= room; };
  const int widest = preferred.stretch() == QFont::AnyStretch ? int(QFont::Unstretched) : preferred.stretch();
  for (int stretch : {QFont::Unstretched, QFont::SemiCondensed, QFont::Condensed}) {
    if (stretch > widest) continue;
    font.setStretch(stretch);
    if (fits()) return font;
  }
  int size = font.pixelSize();
  while (size > kMinPixelSize && !fits()) font.setPixelSize(--size);
  return font;
}

// The model's handler of a click on a button, radio button or check box.
struct Click {
  ControlId id;
  void (WindowModel::*handler)();
};

const Click kClicks[] = {
    {C::kAddButton, &WindowModel::addFileClicked},         {C::kDeleteButton, &WindowModel::deleteRowClicked},
    {C::kOutputZ58Button, &WindowModel::outputZ58Clicked}, {C::kOutputZ71RgbButton, &WindowModel::outputZ71RgbClicked},
    {C::kOutputZ71RgbwButton, &WindowModel::outputZ71RgbwClicked},     {C::kOutputJ9Button, &WindowModel::outputJ9Clicked},
    {C::kOutputZ36Button, &WindowModel::outputZ36Clicked},       {C::kExitButton, &WindowModel::exitClicked},
    {C::kEnglishRadio, &WindowModel::englishClicked},           {C::kChineseRadio, &WindowModel::chineseClicked},
    {C::kOutputZ94Button, &WindowModel::outputZ94Clicked}, {C::kOutputZ6Button, &WindowModel::outputZ6Clicked},
    {C::kMultiModeBox, &WindowModel::multiModeClicked},         {C::kReadModeButton, &WindowModel::readModeClicked},
    {C::kSaveModeButton, &WindowModel::saveModeClicked},         {C::kRemoveModeButton, &WindowModel::removeModeClicked},
    {C::kAddModeButton, &WindowModel::addModeClicked},            {C::kModeOkButton, &WindowModel::modeOkClicked},
};

// The key filter of a text field.
KeyFilterValidator::KeyFilter keyFilterOf(ControlId id) {
  switch (id) {
    case C::kSpeedField: return &WindowModel::speedFieldAccepts;
    case C::kBrightnessField: return &WindowModel::brightnessFieldAccepts;
    case C::kStartField: return &WindowModel::startFieldAccepts;
    case C::kEndField: return &WindowModel::endFieldAccepts;
    default: return &WindowModel::modeSelectorAccepts;  // control keys only: no text
  }
}

QString qt(const std::string& utf8) { return QString::fromStdString(utf8); }

// The row of a "2 ports" box, 0 for any other control.
int twoPortsRowOf(ControlId id) {
  const int r = static_cast<int>(id) - static_cast<int>(C::kTwoPortsBox1) + 1;
  return r >= 1 && r <= kTwoPortsBoxCount ? r : 0;
}

// The view's own controls and boxes, which the model's window does not have.
struct ViewTexts {
  const char* cancel;
  const char* help;
  const char* about;
  const char* closeQuestion;
  const char* aboutText;  // %1 version, %2 settings file, %3 README link
  const char* preview;
};

const ViewTexts& viewTexts(int32_t language) {
  static const ViewTexts english{
      "Cancel", "Help", "About led2vqn", "A conversion is running. Cancel it and close the window?",
      "<p><b>led2vqn %1</b></p><p>Converts LED program files (*.led) into controller card files (*.vqn).</p>"
      "<p>Licence: MIT.</p><p>Settings file in use:<br>%2</p><p>%3</p>",
      "Preview"};
  static const ViewTexts chinese{
      "取消", "帮助", "关于 led2vqn", "正在转换。要取消转换并关闭窗口吗？",
      "<p><b>led2vqn %1</b></p><p>把LED节目文件（*.led）转换为控制器卡文件（*.vqn）。</p>"
      "<p>许可证：MIT。</p><p>正在使用的设置文件：<br>%2</p><p>%3</p>",
      "预览"};
  return language == kEnglish ? english : chinese;
}

// The README beside an installed program (share/doc/led2vqn), else the source tree's.
QString readmePath() {
  const QString installed = QCoreApplication::applicationDirPath() + "/../share/doc/led2vqn/README.md";
  if (QFileInfo::exists(installed)) return QDir::cleanPath(installed);
#ifdef LED2VQN_SOURCE_README
  if (QFileInfo::exists(QStringLiteral(LED2VQN_SOURCE_README))) return QStringLiteral(LED2VQN_SOURCE_README);
#endif
  return {};
}

// The places of the view's own controls: Cancel in the free corner below the
// two lower output buttons, Help right of the top row of buttons.
constexpr QRect kCancelPlace(1064, 540, 108, 30);
constexpr QRect kHelpPlace(1100, 8, 72, 28);
constexpr QRect kPreviewPlace(996, 8, 96, 28);
// Room reserved around the window on screen: a panel and a title bar (device pixels).
constexpr int kPanelHeight = 48;
constexpr int kTitleBarHeight = 32;
// The grid keeps at least this many rows on screen when it gives up height.
constexpr int kMinGridRows = 6;

}  // namespace

MainWindow::MainWindow(WindowPort& port, const std::string& settingsPath, QWidget* parent)
    : QWidget(parent), relay_(port, this), model_(relay_) {
  model_.windowCreated(settingsPath);
  setWindowIcon(appIcon());
  setAcceptDrops(true);

  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  QPalette palette = this->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
      palette.setColor(group, role, kNavy);
    }
  }
  setPalette(palette);
  font_ = fontOfHeight(QApplication::font(), kDefaultFontHeight, true);
  buttonFont_ = fontOfHeight(QApplication::font(), kButtonFontHeight, false);
  setFont(font_);
  setFixedSize(kWindowWidth, kWindowHeight);

  for (std::size_t i = 1; i < kControlCount; ++i) createWidget(static_cast<ControlId>(i));
  widgets_[indexOf(C::kMainWindow)] = this;
  for (std::size_t i = 1; i < kControlCount; ++i) connectWidget(static_cast<ControlId>(i));
  createViewControls();
  timer1_.setTimerType(Qt::PreciseTimer);
  connect(&timer1_, &QTimer::timeout, this, [this] {
    // One tick at a time: the timer waits while a tick (and any message box
    // it shows) runs, and refresh() starts it again while the batch goes on.
    timer1_.stop();
    startTick();
  });
  relay_.onRowStarted = [this](int row) {
    QTableWidget* g = grid();
    const QSignalBlocker quiet(g);
    g->setCurrentCell(row - 1, std::max(0, g->currentColumn()));
    g->selectRow(row - 1);
    g->scrollTo(g->model()->index(row - 1, 0));
  };
  relay_.onProgress = [this](int32_t position, int32_t maximum) {
    auto* bar = static_cast<QProgressBar*>(widget(C::kProgressBar));
    bar->setRange(0, std::max(1, maximum));
    bar->setValue(std::clamp(position, 0, bar->maximum()));
  };
  fitScreen();
  refresh();
}

MainWindow::~MainWindow() {
  if (converter_.joinable()) {
    relay_.requestCancel();
    converter_.join();
  }
}

void MainWindow::createViewControls() {
  cancel_ = new QPushButton(this);
  cancel_->setObjectName(QStringLiteral("cancelButton"));
  cancel_->setFont(buttonFont_);
  cancel_->hide();
  connect(cancel_, &QPushButton::clicked, this, &MainWindow::cancelClicked);
  help_ = new QPushButton(this);
  help_->setObjectName(QStringLiteral("helpButton"));
  help_->setFont(buttonFont_);
  help_->setFocusPolicy(Qt::NoFocus);
  auto* menu = new QMenu(help_);
  menu->addAction(QString(), QKeySequence(Qt::Key_F1), this, &MainWindow::showAbout);
  help_->setMenu(menu);
  addActions(menu->actions());  // F1 without opening the menu
  preview_ = new QPushButton(this);
  preview_->setObjectName(QStringLiteral("previewButton"));
  preview_->setFont(buttonFont_);
  preview_->setFocusPolicy(Qt::NoFocus);
  connect(preview_, &QPushButton::clicked, this, [this] { previewRow(grid()->currentRow() + 1); });
  connect(grid(), &QTableWidget::cellDoubleClicked, this, [this](int row, int) { previewRow(row + 1); });
  auto* space = new QShortcut(QKeySequence(Qt::Key_Space), grid(), nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
  connect(space, &QShortcut::activated, this, [this] { previewRow(grid()->currentRow() + 1); });

  // Shortcuts act as a click on their button, only where it can be clicked.
  const auto shortcut = [this](QKeySequence keys, ControlId id) {
    auto* s = new QShortcut(keys, this);
    connect(s, &QShortcut::activated, this, [this, id] {
      auto* button = static_cast<QAbstractButton*>(widget(id));
      if (button->isEnabled() && button->isVisible()) button->click();
    });
  };
  shortcut(QKeySequence::Open, C::kAddButton);
  shortcut(QKeySequence(Qt::Key_Delete), C::kDeleteButton);
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), C::kExitButton);

  connect(grid()->verticalScrollBar(), &QScrollBar::valueChanged, this, &MainWindow::placeTwoPortsBoxes);
  orderFocus();
}

void MainWindow::orderFocus() {
  // Tab goes along the rows of the layout, left to right, top to bottom.
  struct Stop {
    QPoint at;
    QWidget* w;
  };
  std::vector<Stop> stops;
  for (std::size_t i = 1; i < kControlCount; ++i) {
    QWidget* w = widgets_[i];
    if (w == nullptr || w->focusPolicy() == Qt::NoFocus) continue;
    QPoint at;
    for (ControlId id = static_cast<ControlId>(i); id != C::kMainWindow; id = model_.controls()[id].parent) {
      at += QPoint(model_.controls()[id].rect.left, model_.controls()[id].rect.top);
    }
    stops.push_back(Stop{at, w});
  }
  stops.push_back(Stop{kCancelPlace.topLeft(), cancel_});
  constexpr int kSameRow = 16;  // a top this close to a row's first top joins the row
  std::sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) { return a.at.y() < b.at.y(); });
  int rowTop = 0;
  for (Stop& s : stops) {
    if (&s == &stops.front() || s.at.y() - rowTop >= kSameRow) rowTop = s.at.y();
    s.at.setY(rowTop);
  }
  std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) {
    return a.at.y() != b.at.y() ? a.at.y() < b.at.y() : a.at.x() < b.at.x();
  });
  for (std::size_t k = 1; k < stops.size(); ++k) setTabOrder(stops[k - 1].w, stops[k].w);
}

void MainWindow::addFiles(const std::vector<std::string>& paths) {
  handle([this, paths] {
    for (const std::string& path : paths) model_.addProgramFile(path);
  });
}

void MainWindow::startTick() {
  converting_ = true;
  converter_ = std::thread([this] {
    model_.timerTick();
    QMetaObject::invokeMethod(this, &MainWindow::tickDone, Qt::QueuedConnection);
  });
}

void MainWindow::tickDone() {
  converter_.join();
  converting_ = false;
  relay_.showHeldBack();
  if (relay_.takeCancel()) model_.cancelClicked();  // the row ended before Cancel reached it
  std::vector<std::function<void()>> queued;
  queued.swap(queued_);
  for (const std::function<void()>& handler : queued) handler();
  refresh();
  if (closeAfterBatch_) close();
}

void MainWindow::cancelClicked() {
  if (converting_) {
    relay_.requestCancel();
    cancel_->setEnabled(false);  // until the row has stopped
  } else {
    handle([this] { model_.cancelClicked(); });
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!converting_ && !model_.timerEnabled()) {
    QWidget::closeEvent(event);
    return;
  }
  if (!closeAfterBatch_) {
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, windowTitle(), QString::fromUtf8(viewTexts(language_).closeQuestion), QMessageBox::Yes | QMessageBox::No,
        QMessageBox::No);
    if (answer != QMessageBox::Yes) {
      event->ignore();
      return;
    }
  }
  if (converting_) {
    closeAfterBatch_ = true;  // tickDone closes the window
    relay_.requestCancel();
    event->ignore();
    return;
  }
  closeAfterBatch_ = false;
  handle([this] { model_.cancelClicked(); });
  QWidget::closeEvent(event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && cancel_->isVisible() && cancel_->isEnabled()) {
    cancelClicked();
    return;
  }
  QWidget::keyPressEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  // Dropped files go where the add button would take them: not while it is locked.
  if (converting_ || !widget(C::kAddButton)->isEnabled()) return;
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (QFileInfo(path).isDir()) continue;
    paths.push_back(enginePath(path));
  }
  event->acceptProposedAction();
  if (!paths.empty()) addFiles(paths);
}

void MainWindow::showAbout() {
  const ViewTexts& t = viewTexts(language_);
  const QString readme = readmePath();
  const QString link = readme.isEmpty() ? QString()
                                        : QStringLiteral("<a href=\"%1\">README</a>").arg(QUrl::fromLocalFile(readme).toString());
  QMessageBox box(QMessageBox::Information, QString::fromUtf8(t.about),
                  QString::fromUtf8(t.aboutText)
                      .arg(QStringLiteral(LED2VQN_VERSION), QString::fromStdString(settingsPathShown_).toHtmlEscaped(), link),
                  QMessageBox::Ok, this);
  box.setTextFormat(Qt::RichText);
  box.setIconPixmap(windowIcon().pixmap(64, 64));
  box.setTextInteractionFlags(Qt::TextBrowserInteraction);
  box.exec();
}

QWidget* MainWindow::widget(ControlId id) const { return widgets_[indexOf(id)]; }

QTableWidget* MainWindow::grid() const { return static_cast<QTableWidget*>(widget(C::kFileGrid)); }

void MainWindow::handle(std::function<void()> handler) {
  if (converting_) {
    queued_.push_back(std::move(handler));
    return;
  }
  handler();
  refresh();
}

void MainWindow::createWidget(ControlId id) {
  const ControlState& s = model_.controls()[id];
  QWidget* parent = s.parent == C::kMainWindow ? static_cast<QWidget*>(this) : widget(s.parent);
  QWidget* w = nullptr;
  QFont font = font_;
  switch (s.kind) {
    case ControlKind::kWindow:
      return;
    case ControlKind::kButton:
      w = new QPushButton(parent);
      font = buttonFont_;
      break;
    case ControlKind::kLabel:
      w = new QLabel(parent);
      break;
    case ControlKind::kCheckBox:
      w = new QCheckBox(parent);
      break;
    case ControlKind::kRadioButton: {
      auto* radio = new QRadioButton(parent);
      radio->setAutoExclusive(false);  // the model checks one of the pair
      w = radio;
      break;
    }
    case ControlKind::kEdit:
      w = new FieldEdit(keyFilterOf(id), parent);
      break;
    case ControlKind::kComboBox:
      w = new QComboBox(parent);  // a list to choose from: typed keys never reach it
      break;
    case ControlKind::kGroupBox:
      w = new QGroupBox(parent);
      break;
    case ControlKind::kProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      w = bar;
      break;
    }
    case ControlKind::kGrid: {
      auto* grid = new QTableWidget(parent);
      grid->setColumnCount(kShownColumns);
      grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
      grid->setSelectionBehavior(QAbstractItemView::SelectRows);
      grid->setSelectionMode(QAbstractItemView::SingleSelection);
      grid->setTabKeyNavigation(true);
      grid->setWordWrap(false);
      grid->setCornerButtonEnabled(false);
      const std::array<int, 4>& widths = model_.gridColumnWidths();
      const int rowHeight = model_.gridHeaderHeight();  // every row is as high as the header row
      QHeaderView* top = grid->horizontalHeader();
      top->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      top->setHighlightSections(false);
      top->setStretchLastSection(false);
      top->setMinimumSectionSize(1);
      top->setFixedHeight(rowHeight);
      for (int c = 1; c <= kShownColumns; ++c) grid->setColumnWidth(c - 1, widths[static_cast<std::size_t>(c)]);
      QHeaderView* left = grid->verticalHeader();
      left->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      left->setHighlightSections(false);
      left->setSectionResizeMode(QHeaderView::Fixed);
      left->setMinimumSectionSize(1);
      left->setDefaultSectionSize(rowHeight);
      left->setFixedWidth(widths[0]);
      if (auto* corner = grid->findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        corner_ = new CornerCaption(corner);
      }
      w = grid;
      break;
    }
  }
  w->setObjectName(qt(s.name));
  w->setFont(font);
  widgets_[indexOf(id)] = w;
}

void MainWindow::connectWidget(ControlId id) {
  for (const Click& click : kClicks) {
    if (click.id != id) continue;
    const auto handler = click.handler;
    connect(static_cast<QAbstractButton*>(widget(id)), &QAbstractButton::clicked, this,
            [this, handler] { handle([this, handler] { (model_.*handler)(); }); });
    return;
  }
  for (int r = 1; r <= kTwoPortsBoxCount; ++r) {
    if (id != twoPortsBoxId(r)) continue;
    connect(static_cast<QCheckBox*>(widget(id)), &QCheckBox::clicked, this,
            [this, r] { handle([this, r] { model_.twoPortsBoxClicked(r); }); });
    return;
  }
  switch (id) {
    case C::kSpeedField:
    case C::kBrightnessField:
    case C::kStartField:
    case C::kEndField: {
      auto* field = static_cast<FieldEdit*>(widget(id));
      connect(field, &QLineEdit::textEdited, this,
              [this, id](const QString& text) { handle([this, id, t = text.toStdString()] { model_.setFieldText(id, t); }); });
      if (id == C::kSpeedField) connect(field, &FieldEdit::left, this, [this] { handle([this] { model_.speedFieldLeft(); }); });
      if (id == C::kBrightnessField) connect(field, &FieldEdit::left, this, [this] { handle([this] { model_.brightnessFieldLeft(); }); });
      return;
    }
    case C::kModeSelector:
      connect(static_cast<QComboBox*>(widget(id)), &QComboBox::activated, this,
              [this](int index) { handle([this, index] { model_.chooseModeItem(index); }); });
      return;
    case C::kFileGrid:
      connect(grid(), &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0) handle([this, row] { model_.rowSelected(row + 1); });
      });
      return;
    default:
      return;
  }
}

void MainWindow::refresh() {
  language_ = model_.languageFlag();
  settingsPathShown_ = model_.settingsPath();
  applyQtLanguage();
  for (std::size_t i = 0; i < kControlCount; ++i) refreshControl(static_cast<ControlId>(i));
  placeTwoPortsBoxes();
  refreshViewControls();
  refreshTimer();
  if (model_.closeRequested()) close();
}

void MainWindow::applyQtLanguage() {
  const bool chinese = language_ != kEnglish;
  if (chinese == qtChineseInstalled_) return;
  if (!chinese) {
    QCoreApplication::removeTranslator(&qtChinese_);
  } else if (qtChinese_.isEmpty() &&
             !qtChinese_.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return;  // Qt's Chinese texts are not installed: its dialogs stay English
  } else {
    QCoreApplication::installTranslator(&qtChinese_);
  }
  qtChineseInstalled_ = chinese;
}

void MainWindow::refreshViewControls() {
  const ViewTexts& t = viewTexts(language_);
  cancel_->setText(QString::fromUtf8(t.cancel));
  cancel_->setGeometry(kCancelPlace.translated(0, -shrink_));
  cancel_->setVisible(model_.timerEnabled());
  cancel_->setEnabled(true);
  help_->setText(QString::fromUtf8(t.help));
  help_->setGeometry(kHelpPlace);
  help_->menu()->actions().front()->setText(QString::fromUtf8(t.about));
  preview_->setText(QString::fromUtf8(t.preview));
  preview_->setGeometry(kPreviewPlace);
  preview_->setEnabled(!converting_ && model_.previewFiles(grid()->currentRow() + 1).has_value());
}

PreviewDialog* MainWindow::previewRow(int row) {
  if (converting_) return nullptr;  // the model belongs to the converting thread
  const std::optional<WindowModel::PreviewFiles> files = model_.previewFiles(row);
  if (!files) return nullptr;
  const std::optional<int32_t> fps = parseInteger(model_.controls()[C::kSpeedField].text);
  const PreviewSource source{files->program, files->card, files->white, fps.value_or(25), language_};
  auto* dialog = new PreviewDialog(source, model_.nibbleTable(), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  return dialog;
}

QRect MainWindow::placeOf(ControlId id) const {
  const ControlState& s = model_.controls()[id];
  QRect place(s.rect.left, s.rect.top, s.rect.width, s.rect.height);
  if (s.parent != C::kMainWindow || shrink_ == 0) return place;
  const Rect& g = model_.controls()[C::kFileGrid].rect;
  if (id == C::kFileGrid) {
    place.setHeight(place.height() - shrink_);
  } else if (s.rect.top >= g.top + g.height) {
    place.translate(0, -shrink_);
  }
  return place;
}

void MainWindow::placeTwoPortsBoxes() {
  QTableWidget* g = grid();
  const QRect view(g->viewport()->mapTo(this, QPoint(0, 0)), g->viewport()->size());
  const int scrolled = g->verticalHeader()->offset();
  for (int r = 1; r <= kTwoPortsBoxCount; ++r) {
    QWidget* box = widget(twoPortsBoxId(r));
    const QRect place = boxPlaces_[static_cast<std::size_t>(r)].translated(0, -scrolled);
    const int middle = place.center().y();
    if (box->geometry() != place) box->setGeometry(place);
    box->setHidden(!boxVisible_[static_cast<std::size_t>(r)] || middle < view.top() || middle > view.bottom());
  }
}

void MainWindow::refreshControl(ControlId id) {
  const ControlState& s = model_.controls()[id];
  QWidget* w = widget(id);
  const QString caption = qt(s.caption);
  if (s.kind == ControlKind::kWindow) {
    if (windowTitle() != caption) setWindowTitle(caption);
    return;
  }
  const QSignalBlocker quiet(w);
  const QRect place = placeOf(id);
  if (const int row = twoPortsRowOf(id); row > 0) {
    // Placed by placeTwoPortsBoxes, beside the row whatever the scroll position.
    const auto r = static_cast<std::size_t>(row);
    boxPlaces_[r] = place;
    boxVisible_[r] = s.visible;
  } else {
    if (w->geometry() != place) w->setGeometry(place);
    w->setHidden(!s.visible);
  }
  w->setEnabled(s.enabled);
  switch (s.kind) {
    case ControlKind::kWindow:
      return;
    case ControlKind::kButton: {
      auto* button = static_cast<QPushButton*>(w);
      if (button->text() != caption) button->setText(caption);
      setFontIfChanged(w, fittingFont(buttonFont_, caption, place.width() - 10));
      return;
    }
    case ControlKind::kLabel: {
      auto* label = static_cast<QLabel*>(w);
      if (label->text() != caption) label->setText(caption);
      setFontIfChanged(w, fittingFont(font_, caption, place.width()));
      return;
    }
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton: {
      auto* box = static_cast<QAbstractButton*>(w);
      if (box->text() != caption) box->setText(caption);
      box->setChecked(s.checked);
      const bool radio = s.kind == ControlKind::kRadioButton;
      const int indicator =
          style()->pixelMetric(radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth, nullptr, w) +
          style()->pixelMetric(radio ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
      setFontIfChanged(w, fittingFont(font_, caption, place.width() - indicator - 2));
      return;
    }
    case ControlKind::kEdit:
      static_cast<FieldEdit*>(w)->showText(qt(s.text));
      return;
    case ControlKind::kComboBox: {
      auto* box = static_cast<QComboBox*>(w);
      QStringList items;
      for (const std::string& item : s.items) items << qt(item);
      QStringList shown;
      for (int k = 0; k < box->count(); ++k) shown << box->itemText(k);
      if (shown != items) {
        box->clear();
        box->addItems(items);
      }
      box->setCurrentIndex(static_cast<int>(items.indexOf(qt(s.text))));
      return;
    }
    case ControlKind::kGroupBox: {
      auto* group = static_cast<QGroupBox*>(w);
      if (group->title() != caption) group->setTitle(caption);
      return;
    }
    case ControlKind::kProgressBar: {
      auto* bar = static_cast<QProgressBar*>(w);
      const int maximum = std::max(1, model_.progressMax());  // a range of 0 would draw a busy bar
      bar->setRange(0, maximum);
      bar->setValue(std::clamp(model_.progressPosition(), 0, maximum));
      return;
    }
    case ControlKind::kGrid:
      refreshGrid();
      return;
  }
}

void MainWindow::refreshGrid() {
  QTableWidget* g = grid();
  const ProjectTable& table = model_.table();
  const int rows = table.rowCount() - 1;
  if (g->rowCount() != rows) g->setRowCount(rows);
  const auto show = [](QTableWidgetItem* item, const QString& text) {
    if (item->text() != text) item->setText(text);
  };
  QFont headerFont = font_;
  for (int c = 1; c <= kShownColumns; ++c) {
    if (!g->horizontalHeaderItem(c - 1)) g->setHorizontalHeaderItem(c - 1, new QTableWidgetItem);
    const QString header = qt(table.cell(0, c));
    show(g->horizontalHeaderItem(c - 1), header);
    headerFont = fittingFont(headerFont, header, g->columnWidth(c - 1) - kHeaderPadding);
  }
  setFontIfChanged(g->horizontalHeader(), headerFont);
  for (int r = 1; r <= rows; ++r) {
    if (!g->verticalHeaderItem(r - 1)) g->setVerticalHeaderItem(r - 1, new QTableWidgetItem);
    show(g->verticalHeaderItem(r - 1), qt(table.cell(r, 0)));
    for (int c = 1; c <= kShownColumns; ++c) {
      if (!g->item(r - 1, c - 1)) {
        auto* item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        g->setItem(r - 1, c - 1, item);
      }
      show(g->item(r - 1, c - 1), qt(table.cell(r, c)));
    }
  }
  if (corner_) corner_->setText(qt(table.cell(0, 0)));
  const int selected = table.selectedRow() - 1;
  if (g->currentRow() != selected) g->setCurrentCell(selected, std::max(0, g->currentColumn()));
  if (!g->selectionModel()->isRowSelected(selected, QModelIndex())) g->selectRow(selected);
}

void MainWindow::refreshTimer() {
  if (!model_.timerEnabled()) {
    timer1_.stop();
  } else if (!timer1_.isActive()) {
    timer1_.start(kTimerIntervalMs);
  }
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  const int before = shrink_;
  fitScreen();
  if (shrink_ != before && !converting_) refresh();
  fitOuterSize();
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  fitOuterSize();  // a window manager's frame is known once it has placed the window
}

void MainWindow::fitScreen() {
  const QScreen* s = screen();
  if (s == nullptr) return;
  // The outer height allowed, in this window's pixels: the available height
  // less a panel and a title bar, both counted in device pixels.
  const double ratio = s->devicePixelRatio();
  const int allowed = static_cast<int>(std::floor(s->availableGeometry().height() - (kPanelHeight + kTitleBarHeight) / ratio));
  const int most = model_.controls()[C::kFileGrid].rect.height - model_.gridHeaderHeight() * (kMinGridRows + 1);
  const int shrink = std::clamp(kWindowHeight - allowed, 0, std::max(0, most));
  if (shrink == shrink_) return;
  shrink_ = shrink;
  frame_ = QSize();
  setFixedSize(kWindowWidth - std::max(0, frame_.width()), kWindowHeight - shrink_);
}

void MainWindow::fitOuterSize() {
  const QSize frame = frameGeometry().size() - geometry().size();
  if (frame == frame_ || frame.width() < 0 || frame.height() < 0) return;
  frame_ = frame;
  setFixedSize(kWindowWidth - frame.width(), kWindowHeight - shrink_ - frame.height());
}

}  // namespace led2vqn::gui
