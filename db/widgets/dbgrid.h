#pragma once
// Data grid: the rows of one data source, one column per field in SELECT order headed by the
// column name. The dataset's cursor and the grid's current row are one: a click makes the
// clicked row current (the source's other controls follow), and moving the cursor elsewhere
// moves the grid.
//
// - An indicator column at the left marks the current row: a triangle while browsing, a text
//   cursor while the row is being edited, a star while it is being inserted.
// - Column and row lines; columns resizable by dragging their title edges; Tab moves between
//   cells.
// - In-place editing: typing into a cell or F2 edits the current row (auto-edit), leaving the
//   row posts it, Esc drops the change (in a cell whose text was changed, the first Esc
//   restores the cell and the next drops the row). Insert inserts a row; moving down from the last
//   row appends one; Ctrl+Delete deletes the current row after "Delete record?".
// - dblClick() runs on the current row (the first click has made the clicked row current).
// - drawColumnCell() runs for each visible data cell after its ordinary drawing (background:
//   the selection colour on the selected cell of a focused grid, the cell colour elsewhere;
//   text 2 pixels in from the left and top) and before the focus rectangle.
// - Rows use the grid's font (setFont), titles setTitleFont.
//
// Only visible cells are drawn and rows have one fixed height, so a grid stays smooth over
// hundreds of thousands of rows.

#include <QFlags>
#include <QPointer>
#include <QTableView>
#include <functional>

#include "db/dataset.h"
#include "db/widgets/celltext.h"

class QLineEdit;

namespace corvalen {

namespace db {
class DataSource;
}
class BoundLink;
class DatasetModel;
class DeferredError;

class DBGrid : public QTableView {
    Q_OBJECT
public:
    enum DrawStateFlag { Selected = 0x1, Focused = 0x2 };
    Q_DECLARE_FLAGS(DrawState, DrawStateFlag)

    // One data cell being drawn. The painter's brush holds the cell's background, its pen the
    // text colour and its font the row font, as the ordinary drawing left them; `field` reads
    // the drawn row while the handler runs.
    struct DrawCell {
        QPainter* canvas;
        QRect rect;
        int dataCol;
        int row;
        db::Field field;
        DrawState state;
    };

    explicit DBGrid(db::DataSource* source = nullptr, QWidget* parent = nullptr);

    db::DataSource* dataSource() const;
    void setDataSource(db::DataSource* source);
    db::Dataset* dataset() const;
    BoundLink* dataLink() const { return link_; }
    DatasetModel* datasetModel() const { return model_; }

    void setTitleFont(const QFont& font);
    QFont titleFont() const;

    // The field of a column (0-based) on the current row.
    db::Field columnField(int column) const;

    // Draws cell texts as the grid does, keeping their shaped glyphs: for cell-drawing
    // handlers, which run for every visible cell at each repaint.
    CellTextCache& cellText() { return cellText_; }

    // For a cell-drawing handler that paints some cells over entirely (background and text):
    // says which, and the grid leaves out its own text there, which would be wiped unseen.
    using CoverTest = std::function<bool(const DrawCell& cell)>;
    void setCoverTest(CoverTest test) { coverTest_ = std::move(test); }

signals:
    void dblClick();
    void drawColumnCell(const corvalen::DBGrid::DrawCell& cell);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void paintEvent(QPaintEvent* event) override;

protected slots:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class GridDelegate;
    friend class IndicatorHeader;

    void paintCell(QPainter* painter, const QRect& rect, const QModelIndex& index);
    void paintGridLines(const QRegion& region);
    void followDataset();
    void columnsChanged();
    void fitRowHeight();
    void writeEditor(); // copies an open cell editor's text into its field; may raise
    void refreshCurrentCell();

    BoundLink* link_;
    DatasetModel* model_;
    QStringList columnNames_;
    QPointer<QLineEdit> editor_;
    QPersistentModelIndex editorIndex_;
    bool following_ = false; // the view follows the dataset's cursor
    bool moving_ = false;    // the dataset follows the view's current row
    bool commitFailed_ = false;
    DeferredError* commitFailure_;
    DeferredError* drawFailure_;
    CellTextCache cellText_;
    CoverTest coverTest_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DBGrid::DrawState)

} // namespace corvalen
