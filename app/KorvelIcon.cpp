#include "KorvelIcon.h"

#include <QPainter>
#include <QSvgRenderer>

// The resources live in the static window library; this pulls them into every program
// that links it.
static void initResources()
{
    static bool done = false;
    if (!done)
        Q_INIT_RESOURCE(korvel);
    done = true;
}

namespace KorvelIcon {

QPixmap pixmap(int size)
{
    initResources();
    QSvgRenderer renderer(QStringLiteral(":/korvel/korvel.svg"));
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    renderer.render(&painter);
    return picture;
}

QIcon icon()
{
    QIcon result;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        result.addPixmap(pixmap(size));
    return result;
}

} // namespace KorvelIcon
