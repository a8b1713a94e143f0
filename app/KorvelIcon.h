#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon, drawn from the SVG in the program's resources.
namespace KorvelIcon {

QPixmap pixmap(int size);
QIcon icon();

} // namespace KorvelIcon
