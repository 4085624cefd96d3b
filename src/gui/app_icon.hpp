// The program's icon, drawn from its SVG (share/icons/hicolor/scalable/apps/led2vqn.svg).
#pragma once

#include <QIcon>

namespace led2vqn::gui {

QIcon appIcon();

}  // namespace led2vqn::gui
