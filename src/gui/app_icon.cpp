#include "gui/app_icon.hpp"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace led2vqn::gui {

QIcon appIcon() {
  QSvgRenderer svg(QStringLiteral(":/led2vqn/led2vqn.svg"));
  QIcon icon;
  if (!svg.isValid()) return icon;
  for (int side : {16, 24, 32, 48, 64, 128, 256}) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    svg.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace led2vqn::gui
