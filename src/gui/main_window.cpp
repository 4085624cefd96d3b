#include "gui/main_window.hpp"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QTableWidget>

#include "gui/field_edit.hpp"

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

}  // namespace

MainWindow::MainWindow(WindowPort& port, const std::string& settingsPath, QWidget* parent)
    : QWidget(parent), model_(port) {
  model_.windowCreated(settingsPath);

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
  timer1_.setTimerType(Qt::PreciseTimer);
  connect(&timer1_, &QTimer::timeout, this, [this] {
    // One tick at a time: the timer waits while a tick (and any message box
    // it shows) runs, and refresh() starts it again while the batch goes on.
    timer1_.stop();
    handle([this] { model_.timerTick(); });
  });
  refresh();
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::widget(ControlId id) const { return widgets_[indexOf(id)]; }

QTableWidget* MainWindow::grid() const { return static_cast<QTableWidget*>(widget(C::kFileGrid)); }

template <class Handler>
void MainWindow::handle(Handler handler) {
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
              [this, id](const QString& text) { handle([&] { model_.setFieldText(id, text.toStdString()); }); });
      if (id == C::kSpeedField) connect(field, &FieldEdit::left, this, [this] { handle([this] { model_.speedFieldLeft(); }); });
      if (id == C::kBrightnessField) connect(field, &FieldEdit::left, this, [this] { handle([this] { model_.brightnessFieldLeft(); }); });
      return;
    }
    case C::kModeSelector:
      connect(static_cast<QComboBox*>(widget(id)), &QComboBox::activated, this,
              [this](int index) { handle([&] { model_.chooseModeItem(index); }); });
      return;
    case C::kFileGrid:
      connect(grid(), &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0) handle([&] { model_.rowSelected(row + 1); });
      });
      return;
    default:
      return;
  }
}

void MainWindow::refresh() {
  for (std::size_t i = 0; i < kControlCount; ++i) refreshControl(static_cast<ControlId>(i));
  refreshTimer();
  if (model_.closeRequested()) close();
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
  const QRect place(s.rect.left, s.rect.top, s.rect.width, s.rect.height);
  if (w->geometry() != place) w->setGeometry(place);
  w->setEnabled(s.enabled);
  w->setHidden(!s.visible);
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
  fitOuterSize();
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  fitOuterSize();  // a window manager's frame is known once it has placed the window
}

void MainWindow::fitOuterSize() {
  const QSize frame = frameGeometry().size() - geometry().size();
  if (frame == frame_ || frame.width() < 0 || frame.height() < 0) return;
  frame_ = frame;
  setFixedSize(kWindowWidth - frame.width(), kWindowHeight - frame.height());
}

}  // namespace led2vqn::gui
