#pragma once
// Driving the real windows as a user would: typing (non-ASCII characters included), double-
// clicking a grid row, and a stand-in for a screen reader that questions a grid's accessible
// table whenever the grid announces a change.

#include <QList>
#include <QMetaObject>
#include <QPoint>
#include <QStringList>

class QWidget;

namespace corvalen {
class DBGrid;
}

namespace corvalen::test {

// Types text into a widget key by key after giving it the focus.
void typeInto(QWidget* widget, const QString& text);

// Types as a user does into whatever has the focus: the first key goes to `first` (a grid,
// whose first key opens a cell editor), each following one to the widget that has the focus.
void typeFollowingFocus(QWidget* first, const QString& text);

// Clicks and double-clicks a grid cell, as a user double-clicks a row (the first click makes
// it current). A row the grid does not have double-clicks the middle of the grid instead, as
// on an empty list.
void doubleClick(DBGrid* grid, int row, int column = 0);

// Stands in for a screen reader: whenever the grid, its model or its dataset announces a
// change, it reads what a screen reader reads through the grid's accessible table (rows,
// columns, titles, cell texts). The accessibility bridge of a desktop with a screen reader asks
// at such moments, which the offscreen platform never reaches. Errors met on the way are
// collected, not thrown.
class ScreenReader {
public:
    explicit ScreenReader(DBGrid* grid);
    ~ScreenReader();
    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

    int queries() const { return queries_; }
    QStringList errors() const { return errors_; }

private:
    void read();

    DBGrid* grid_;
    QList<QMetaObject::Connection> connections_;
    int queries_ = 0;
    QStringList errors_;
};

} // namespace corvalen::test
