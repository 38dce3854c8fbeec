#include "db/widgets/dbnavigator.h"

#include "db/widgets/boundlink.h"
#include "db/widgets/deferred_error.h"
#include "platform/messages.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace corvalen {

namespace {

// The buttons' pictures, drawn on a 16 × 16 grid.
QIcon glyph(DBNavigator::Button button) {
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor ink(0x20, 0x20, 0x20);
        auto triangle = [&](double tipX, double baseX) {
            QPainterPath path;
            path.moveTo(baseX, 3.5);
            path.lineTo(tipX, 8);
            path.lineTo(baseX, 12.5);
            path.closeSubpath();
            p.fillPath(path, ink);
        };
        switch (button) {
        case DBNavigator::First:
            p.fillRect(QRectF(4, 3.5, 1.5, 9), ink);
            triangle(6, 11);
            break;
        case DBNavigator::Prior:
            triangle(5.5, 10.5);
            break;
        case DBNavigator::Next:
            triangle(10.5, 5.5);
            break;
        case DBNavigator::Last:
            triangle(10, 5);
            p.fillRect(QRectF(10.5, 3.5, 1.5, 9), ink);
            break;
        case DBNavigator::Insert:
            p.fillRect(QRectF(3.5, 7, 9, 2), ink);
            p.fillRect(QRectF(7, 3.5, 2, 9), ink);
            break;
        case DBNavigator::Delete:
            p.fillRect(QRectF(3.5, 7, 9, 2), ink);
            break;
        case DBNavigator::Edit: {
            QPainterPath path;
            path.moveTo(3.5, 11);
            path.lineTo(8, 4.5);
            path.lineTo(12.5, 11);
            path.closeSubpath();
            p.fillPath(path, ink);
            break;
        }
        case DBNavigator::Post:
            p.setPen(
                QPen(QColor(0x10, 0x80, 0x20), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({{3.5, 8.5}, {6.5, 11.5}, {12.5, 4.5}}));
            break;
        case DBNavigator::Cancel:
            p.setPen(QPen(QColor(0xc0, 0x20, 0x20), 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
            p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
            break;
        case DBNavigator::Refresh: {
            p.setPen(QPen(QColor(0x20, 0x50, 0xa0), 1.8, Qt::SolidLine, Qt::RoundCap));
            p.drawArc(QRectF(3.5, 3.5, 9, 9), 100 * 16, 280 * 16);
            QPainterPath head;
            head.moveTo(7.2, 1.8);
            head.lineTo(10.4, 3.8);
            head.lineTo(7.2, 6.0);
            head.closeSubpath();
            p.fillPath(head, QColor(0x20, 0x50, 0xa0));
            break;
        }
        }
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

DBNavigator::DBNavigator(db::DataSource* source, QWidget* parent)
    : QWidget(parent), link_(new BoundLink(this, nullptr)), readFailure_(new DeferredError(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < buttonCount; ++i) {
        const auto b = Button(i);
        auto* button = new QToolButton(this);
        button->setIcon(glyph(b));
        button->setAccessibleName(hint(b));
        // Like the window's own buttons, they act without taking the focus from the box that
        // is being typed into; Tab still reaches them.
        button->setFocusPolicy(Qt::TabFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setMinimumSize(20, 20);
        connect(button, &QToolButton::clicked, this,
                [this, b] { messages::guarded([&] { run(b); }); });
        layout->addWidget(button);
        buttons_ << button;
    }
    setAccessibleName(tr("Navegador de registros"));
    // The cursor's moves, inserts, removals and posts all end in the dataset's currentChanged.
    link_->onDataChange = [this] { updateButtons(); };
    link_->onStateChange = [this] { updateButtons(); };
    link_->setDataSource(source);
}

db::DataSource* DBNavigator::dataSource() const {
    return link_->dataSource();
}

void DBNavigator::setDataSource(db::DataSource* source) {
    link_->setDataSource(source);
}

db::Dataset* DBNavigator::dataset() const {
    return link_->dataset();
}

QString DBNavigator::hint(Button button) {
    static const char* const hints[buttonCount] = {
        "First record",  "Prior record", "Next record", "Last record", "Insert record",
        "Delete record", "Edit record",  "Post edit",   "Cancel edit", "Refresh data"};
    return QString::fromLatin1(hints[button]);
}

void DBNavigator::setVisibleButtons(const QList<Button>& buttons) {
    for (int i = 0; i < buttonCount; ++i)
        buttons_.at(i)->setVisible(buttons.contains(Button(i)));
}

QList<DBNavigator::Button> DBNavigator::visibleButtons() const {
    QList<Button> list;
    for (int i = 0; i < buttonCount; ++i)
        if (!buttons_.at(i)->isHidden())
            list << Button(i);
    return list;
}

void DBNavigator::setShowHint(bool on) {
    showHint_ = on;
    for (int i = 0; i < buttonCount; ++i)
        buttons_.at(i)->setToolTip(on ? hint(Button(i)) : QString());
}

bool DBNavigator::isButtonEnabled(Button button) const {
    db::Dataset* d = dataset();
    if (!d || !d->isOpen())
        return false;
    const int row = d->recNo();
    const int count = d->recordCount();
    const bool canModify = d->canModify();
    switch (button) {
    case First:
    case Prior:
        return row > 0;
    case Next:
    case Last:
        return row >= 0 && row < count - 1;
    case Insert:
    case Refresh:
        return canModify;
    case Delete:
        return canModify && count > 0;
    case Edit:
        return canModify && !d->isEditing();
    case Post:
    case Cancel:
        return d->isEditing();
    }
    return false;
}

void DBNavigator::updateButtons() {
    // A hidden navigator only dispatches actions: its enabling is worked out when it shows.
    if (!isVisible())
        return;
    try {
        for (int i = 0; i < buttonCount; ++i)
            buttons_.at(i)->setEnabled(isButtonEnabled(Button(i)));
    } catch (const std::exception& e) {
        // The rows could not be read (the enabling runs from the dataset's signals): nothing
        // can be done with them until they are, and the failure is reported once.
        for (QToolButton* button : std::as_const(buttons_))
            button->setEnabled(false);
        readFailure_->report(e);
    }
}

void DBNavigator::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateButtons();
}

void DBNavigator::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        updateButtons();
}

void DBNavigator::run(Button button) {
    db::Dataset* d = dataset();
    if (d && d->isOpen()) {
        switch (button) {
        case First:
            d->first();
            break;
        case Prior:
            d->prior();
            break;
        case Next:
            d->next();
            break;
        case Last:
            d->last();
            break;
        case Insert:
            d->insert();
            break;
        case Delete:
            if (!confirmDelete_ || messages::confirmDelete())
                d->remove();
            break;
        case Edit:
            d->edit();
            break;
        case Post:
            d->post();
            break;
        case Cancel:
            d->cancel();
            break;
        case Refresh:
            d->refresh();
            break;
        }
    }
    emit click(button);
}

} // namespace corvalen
