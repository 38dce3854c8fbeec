#include "resources/icons.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace corvalen::resources {

QPixmap pixmap(const QString& name, int size) {
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    if (!renderer.isValid())
        return {};
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter painter(&pm);
    renderer.render(&painter);
    return pm;
}

QIcon icon(const QString& name) {
    QIcon result;
    for (int size : {16, 24, 32, 48, 64})
        result.addPixmap(pixmap(name, size));
    return result;
}

} // namespace corvalen::resources
