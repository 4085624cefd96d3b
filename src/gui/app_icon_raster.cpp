// The program's icon for a build whose Qt has no SVG module: the same
// picture, rendered from the SVG into PNGs of each size at build time.
#include "gui/app_icon.hpp"

namespace led2vqn::gui {

QIcon appIcon() {
  QIcon icon;
  for (int side : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/led2vqn/led2vqn-%1.png").arg(side), QSize(side, side));
  }
  return icon;
}

}  // namespace led2vqn::gui
