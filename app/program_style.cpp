#include "app/program_style.h"

#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyleOption>
#include <cmath>

namespace corvalen {

ProgramStyle::ProgramStyle() {
    // Other styles may animate a frame or draw it from the widget's state; only Fusion's
    // depends on nothing but the size, the focus and the palette.
    keepsFrames_ = baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

void ProgramStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    const auto wholePixels = [](const QTransform& at) {
        return at.type() <= QTransform::TxTranslate && at.dx() == std::round(at.dx()) &&
               at.dy() == std::round(at.dy());
    };
    if (element != PE_FrameLineEdit || !keepsFrames_ || !option || option->rect.isEmpty() ||
        !wholePixels(painter->transform())) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
    const QString key = QStringLiteral("corvalen-frame-%1x%2-%3-%4-%5")
                            .arg(option->rect.width())
                            .arg(option->rect.height())
                            .arg(option->state & State_HasFocus ? 1 : 0)
                            .arg(option->palette.cacheKey())
                            .arg(ratio);
    QPixmap frame;
    if (!QPixmapCache::find(key, &frame)) {
        frame = QPixmap((QSizeF(option->rect.size()) * ratio).toSize());
        frame.setDevicePixelRatio(ratio);
        frame.fill(Qt::transparent);
        // A copy of the option, of its own kind, placed at the picture's origin. QStyleOption
        // has no virtual destructor: the copies live here, not behind a base-class pointer.
        QStyleOptionFrame frameCopy;
        QStyleOption plainCopy;
        QStyleOption* origin = &plainCopy;
        if (option->type == QStyleOption::SO_Frame) {
            frameCopy = *static_cast<const QStyleOptionFrame*>(option);
            origin = &frameCopy;
        } else {
            plainCopy = *option;
        }
        origin->rect = QRect(QPoint(0, 0), option->rect.size());
        QPainter onFrame(&frame);
        QProxyStyle::drawPrimitive(element, origin, &onFrame, widget);
        onFrame.end();
        QPixmapCache::insert(key, frame);
    }
    painter->drawPixmap(option->rect.topLeft(), frame);
}

} // namespace corvalen
