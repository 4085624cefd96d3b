#include "gui/preview_dialog.hpp"

#include <algorithm>

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/card_verify.hpp"
#include "app/messages.hpp"

namespace led2vqn::gui {

namespace {

struct PreviewTexts {
  const char* title;    // %1: the program file's name
  const char* program;  // the first tab
  const char* card;     // the second tab, %1: the card's name
  const char* play;
  const char* pause;
  const char* frame;    // %1 frame, %2 frames shown, %3 frames of the file
  const char* cut;      // after `frame` when the file has more frames than shown
  const char* port;     // %1
};

const PreviewTexts& previewTexts(int32_t language) {
  static const PreviewTexts english{"Preview: %1", "Program file", "Card %1", "Play", "Pause",
                                    "Frame %1 of %2", " (the first %1 frames of %2)", "port %1"};
  static const PreviewTexts chinese{"预览：%1", "节目文件", "卡文件 %1", "播放", "暂停",
                                    "第 %1 帧，共 %2 帧", "（%2 帧中的前 %1 帧）", "端口 %1"};
  return language == kEnglish ? english : chinese;
}

QString fileName(const std::string& path) { return QFileInfo(QString::fromStdString(path)).fileName(); }

// The timeline as a picture in a scroll area, or the refusal in words.
QWidget* timelinePicture(const Timeline& timeline, const std::optional<std::string>& refusal) {
  auto* scroll = new QScrollArea;
  auto* label = new QLabel;
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Picture picture;
  if (refusal) {
    label->setText(QString::fromStdString(*refusal));
    label->setWordWrap(true);
  } else if (auto e = drawTimeline(timeline, timeline.pixels <= 200 ? 2 : 1, picture)) {
    label->setText(QString::fromStdString(*e));
  } else {
    const QImage image(picture.rgb.data(), picture.width, picture.height, picture.width * 3, QImage::Format_RGB888);
    label->setPixmap(QPixmap::fromImage(image.copy()));
  }
  scroll->setWidget(label);
  return scroll;
}

}  // namespace

// One strip per port: the pixels of one frame of a timeline, stretched along the strip.
class StripPlayer : public QWidget {
 public:
  StripPlayer(const Timeline& timeline, const char* portText) : timeline_(timeline), portText_(portText) {
    setMinimumHeight(int(timeline.ports.size()) * kStripPitch + 4);
  }
  void setFrame(int index) {
    index_ = index;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (timeline_.frames == 0 || timeline_.pixels == 0) return;
    const int left = 70, width = std::max(1, this->width() - left - 8);
    const std::size_t panels = timeline_.ports.size();
    for (std::size_t p = 0; p < panels; ++p) {
      const int y = 4 + int(p) * kStripPitch;
      painter.setPen(Qt::white);
      painter.drawText(QRect(4, y, left - 8, kStripHeight), Qt::AlignVCenter,
                       QString::fromUtf8(portText_).arg(timeline_.ports[p]));
      const uint8_t* rgb =
          timeline_.rgb.data() + ((std::size_t(index_) * panels + p) * std::size_t(timeline_.pixels)) * 3;
      const QImage strip(rgb, timeline_.pixels, 1, timeline_.pixels * 3, QImage::Format_RGB888);
      painter.drawImage(QRect(left, y, width, kStripHeight), strip);
    }
  }

 private:
  static constexpr int kStripHeight = 18;
  static constexpr int kStripPitch = 24;
  const Timeline& timeline_;
  const char* portText_;
  int index_ = 0;
};

PreviewDialog::PreviewDialog(const PreviewSource& source, const NibbleTable& table, QWidget* parent)
    : QDialog(parent), source_(source) {
  const PreviewTexts& t = previewTexts(source.language);
  setWindowTitle(QString::fromUtf8(t.title).arg(fileName(source.program)));
  tabs_ = new QTabWidget(this);
  tabs_->addTab(programTab(table), QString::fromUtf8(t.program));
  if (!source.card.empty()) tabs_->addTab(cardTab(table), QString::fromUtf8(t.card).arg(fileName(source.card)));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  resize(900, 640);
  connect(this, &QDialog::finished, &clock_, &QTimer::stop);
}

QWidget* PreviewDialog::programTab(const NibbleTable& table) {
  const PreviewTexts& t = previewTexts(source_.language);
  TimelineRequest request;
  request.file = source_.program;
  const std::optional<std::string> refusal = buildTimeline(request, table, program_);
  auto* tab = new QWidget;
  auto* layout = new QVBoxLayout(tab);
  layout->addWidget(timelinePicture(program_, refusal), 1);
  if (refusal) return tab;

  player_ = new StripPlayer(program_, t.port);
  layout->addWidget(player_);
  auto* controls = new QHBoxLayout;
  play_ = new QPushButton(QString::fromUtf8(t.play));
  slider_ = new QSlider(Qt::Horizontal);
  slider_->setRange(0, program_.frames - 1);
  frameLabel_ = new QLabel;
  controls->addWidget(play_);
  controls->addWidget(slider_, 1);
  controls->addWidget(frameLabel_);
  layout->addLayout(controls);
  connect(slider_, &QSlider::valueChanged, this, &PreviewDialog::showFrame);
  connect(play_, &QPushButton::clicked, this, &PreviewDialog::playClicked);
  clock_.setInterval(1000 / std::clamp(source_.framesPerSecond, 1, 1000));
  connect(&clock_, &QTimer::timeout, this, [this] { slider_->setValue((slider_->value() + 1) % program_.frames); });
  showFrame(0);
  return tab;
}

QWidget* PreviewDialog::cardTab(const NibbleTable& table) {
  TimelineRequest request;
  request.file = source_.card;
  Timeline card;
  const std::optional<std::string> refusal = buildTimeline(request, table, card);
  auto* tab = new QWidget;
  auto* layout = new QVBoxLayout(tab);
  layout->addWidget(timelinePicture(card, refusal), 1);
  verdict_ = new QLabel(QString::fromStdString(verifyText(verifyCard(source_.card, source_.program, source_.white, table))));
  verdict_->setWordWrap(true);
  verdict_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(verdict_);
  return tab;
}

void PreviewDialog::showFrame(int index) {
  const PreviewTexts& t = previewTexts(source_.language);
  player_->setFrame(index);
  QString text = QString::fromUtf8(t.frame).arg(program_.firstFrame + index).arg(program_.frames);
  if (program_.available > program_.frames) text += QString::fromUtf8(t.cut).arg(program_.frames).arg(program_.available);
  frameLabel_->setText(text);
}

void PreviewDialog::playClicked() {
  const PreviewTexts& t = previewTexts(source_.language);
  if (clock_.isActive()) {
    clock_.stop();
    play_->setText(QString::fromUtf8(t.play));
  } else {
    clock_.start();
    play_->setText(QString::fromUtf8(t.pause));
  }
}

}  // namespace led2vqn::gui
