#include "tests/support/gui.h"

#include "db/widgets/dbgrid.h"

#include "db/dataset.h"
#include <QAccessible>
#include <QApplication>
#include <QtTest>

namespace corvalen::test {

namespace {

void typeKey(QWidget* target, QChar ch) {
    // QTest::keyClick aborts on characters outside ASCII.
    if (ch.unicode() < 128)
        QTest::keyClick(target, ch.toLatin1());
    else
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

} // namespace

void typeInto(QWidget* widget, const QString& text) {
    widget->setFocus();
    for (const QChar ch : text)
        typeKey(widget, ch);
}

void typeFollowingFocus(QWidget* first, const QString& text) {
    QWidget* target = first;
    for (const QChar ch : text) {
        typeKey(target, ch);
        if (QApplication::focusWidget())
            target = QApplication::focusWidget();
    }
}

void doubleClick(DBGrid* grid, int row, int column) {
    const QAbstractItemModel* model = grid->model();
    const QPoint at = row >= 0 && row < model->rowCount()
                          ? grid->visualRect(model->index(row, column)).center()
                          : grid->viewport()->rect().center();
    // A double-click alone does not make the view emit doubleClicked: click first.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

ScreenReader::ScreenReader(DBGrid* grid) : grid_(grid) {
    const auto read = [this] { this->read(); };
    QAbstractItemModel* model = grid->model();
    connections_ << QObject::connect(model, &QAbstractItemModel::modelReset, read)
                 << QObject::connect(model, &QAbstractItemModel::rowsInserted, read)
                 << QObject::connect(model, &QAbstractItemModel::rowsRemoved, read)
                 << QObject::connect(model, &QAbstractItemModel::dataChanged, read)
                 << QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentChanged,
                                     read);
    if (db::Dataset* dataset = grid->dataset()) {
        connections_ << QObject::connect(dataset, &db::Dataset::stateChanged, read)
                     << QObject::connect(dataset, &db::Dataset::currentChanged, read)
                     << QObject::connect(dataset, &db::Dataset::rowsReset, read);
    }
}

ScreenReader::~ScreenReader() {
    for (const auto& c : std::as_const(connections_))
        QObject::disconnect(c);
}

void ScreenReader::read() {
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid_);
    if (!table || !table->tableInterface())
        return;
    ++queries_;
    try {
        QAccessibleTableInterface* t = table->tableInterface();
        const int rows = t->rowCount();
        const int columns = t->columnCount();
        for (int c = 0; c < columns; ++c)
            (void)t->columnDescription(c);
        for (int r = 0; r < std::min(rows, 20); ++r) {
            for (int c = 0; c < columns; ++c) {
                if (QAccessibleInterface* cell = t->cellAt(r, c))
                    (void)cell->text(QAccessible::Name), (void)cell->state();
            }
        }
        for (int i = 0; i < table->childCount(); ++i) {
            if (QAccessibleInterface* child = table->child(i))
                (void)child->text(QAccessible::Name);
        }
    } catch (const std::exception& e) {
        errors_ << QString::fromUtf8(e.what());
    }
}

} // namespace corvalen::test
