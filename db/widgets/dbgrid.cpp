#include "db/widgets/dbgrid.h"

#include "db/widgets/boundlink.h"
#include "db/widgets/datasetmodel.h"
#include "db/widgets/deferred_error.h"
#include "platform/error.h"
#include "platform/messages.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>

namespace corvalen {

namespace {

constexpr int indicatorWidth = 12;

// Characters a column shows by default, by the kind of its field.
int displayChars(const db::ColumnInfo& column) {
    switch (column.type) {
    case db::FieldType::String:
        return std::clamp(column.width, 4, 40);
    case db::FieldType::Memo:
        return 30;
    case db::FieldType::Integer:
    case db::FieldType::AutoInc:
        return 8;
    case db::FieldType::Float:
        return 10;
    case db::FieldType::Date:
    case db::FieldType::Time:
        return 10;
    case db::FieldType::DateTime:
        return 18;
    case db::FieldType::Unknown:
        break;
    }
    return 10;
}

} // namespace

// A header whose sections are the style's drawing kept as pictures, by what they look like:
// every visible section is repainted when the rows change (each keystroke of a search), and
// most look alike or as before.
class PicturedHeader : public QHeaderView {
public:
    using QHeaderView::QHeaderView;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        QStyleOptionHeader option;
        initStyleOptionForIndex(&option, logicalIndex);
        const Look look{rect.size(),          int(option.position), int(option.state),
                        palette().cacheKey(), devicePixelRatioF(),  option.text,
                        viewport()->font()};
        auto kept = std::find_if(pictures_.begin(), pictures_.end(),
                                 [&](const Kept& k) { return k.look == look; });
        if (kept == pictures_.end()) {
            if (pictures_.size() >= 32)
                pictures_.clear();
            QPixmap picture((QSizeF(rect.size()) * look.ratio).toSize());
            picture.setDevicePixelRatio(look.ratio);
            picture.fill(Qt::transparent);
            // Begun as a painter on the viewport would be.
            QPainter onPicture(&picture);
            onPicture.setFont(viewport()->font());
            onPicture.setPen(viewport()->palette().color(viewport()->foregroundRole()));
            onPicture.setLayoutDirection(viewport()->layoutDirection());
            QHeaderView::paintSection(&onPicture, QRect(QPoint(0, 0), rect.size()), logicalIndex);
            onPicture.end();
            kept = pictures_.insert(pictures_.end(), {look, picture});
        }
        painter->drawPixmap(rect.topLeft(), kept->picture);
    }

private:
    // What a section's picture depends on.
    struct Look {
        QSize size;
        int position;
        int state;
        qint64 palette;
        qreal ratio;
        QString text;
        QFont font;
        bool operator==(const Look&) const = default;
    };
    struct Kept {
        Look look;
        QPixmap picture;
    };
    mutable std::vector<Kept> pictures_;
};

// The indicator column: marks the current row, and differently a row being edited (a text
// cursor) or inserted (a star).
class IndicatorHeader : public PicturedHeader {
public:
    explicit IndicatorHeader(DBGrid* grid) : PicturedHeader(Qt::Vertical, grid), grid_(grid) {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(false);
        setHighlightSections(false);
        setMinimumSectionSize(1);
    }

    // Only the width counts for a vertical header. The base class would measure the first and
    // last hundred sections after every change of the rows, which a keystroke in a search
    // box causes.
    QSize sizeHint() const override { return {indicatorWidth, defaultSectionSize()}; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        PicturedHeader::paintSection(painter, rect, logicalIndex);
        db::Dataset* d = grid_->dataset();
        if (!d || !d->isOpen() || grid_->datasetModel()->currentRow() != logicalIndex)
            return;
        painter->save();
        painter->setClipRect(rect);
        painter->setRenderHint(QPainter::Antialiasing, false);
        const QPoint c = rect.center();
        painter->setPen(palette().color(QPalette::ButtonText));
        switch (d->state()) {
        case db::Dataset::State::Insert: {
            QFont f = painter->font();
            f.setBold(true);
            painter->setFont(f);
            painter->drawText(rect, Qt::AlignCenter, QStringLiteral("*"));
            break;
        }
        case db::Dataset::State::Edit: {
            const int h = std::min(rect.height() - 4, 9) / 2;
            painter->drawLine(c.x(), c.y() - h, c.x(), c.y() + h);
            painter->drawLine(c.x() - 2, c.y() - h, c.x() + 2, c.y() - h);
            painter->drawLine(c.x() - 2, c.y() + h, c.x() + 2, c.y() + h);
            break;
        }
        default: {
            QPainterPath arrow;
            arrow.moveTo(c.x() - 2, c.y() - 4);
            arrow.lineTo(c.x() + 2, c.y());
            arrow.lineTo(c.x() - 2, c.y() + 4);
            arrow.closeSubpath();
            painter->fillPath(arrow, palette().color(QPalette::ButtonText));
            break;
        }
        }
        painter->restore();
    }

private:
    DBGrid* grid_;
};

// The titles row. Its height hint is measured from the titles' text, and the view asks for it
// after every change of the rows (each keystroke of a search); it is kept until the titles,
// the font or the style change.
class TitleHeader : public PicturedHeader {
public:
    explicit TitleHeader(QWidget* parent) : PicturedHeader(Qt::Horizontal, parent) {}

    QSize sizeHint() const override {
        if (!hint_.isValid())
            hint_ = PicturedHeader::sizeHint();
        return hint_;
    }

    void titlesChanged() {
        hint_ = QSize();
        updateGeometry();
    }

protected:
    // A font reaches the viewport first, and the view measures again from there.
    bool viewportEvent(QEvent* event) override {
        forgetOn(event);
        return PicturedHeader::viewportEvent(event);
    }
    bool event(QEvent* event) override {
        forgetOn(event);
        return PicturedHeader::event(event);
    }

private:
    void forgetOn(QEvent* event) {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            hint_ = QSize();
    }

    mutable QSize hint_;
};

// Draws the cells through the grid and gives them a plain line editor limited to the
// column's width.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(DBGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        grid_->paintCell(painter, option.rect, index);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setFont(grid_->font());
        db::Dataset* d = grid_->dataset();
        if (d && index.column() < d->fieldCount()) {
            const db::ColumnInfo& c = d->column(index.column());
            if (c.type == db::FieldType::String && c.width > 0)
                editor->setMaxLength(c.width);
        }
        QObject::connect(editor, &QLineEdit::textEdited, grid_->dataLink(),
                         [link = grid_->dataLink()] { link->setModified(); });
        grid_->editor_ = editor;
        grid_->editorIndex_ = index;
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        // A stored text longer than the column is edited whole, never cut to the width.
        line->setMaxLength(std::max(line->maxLength(), int(text.size())));
        line->setText(text);
        line->setModified(false);
    }

    // The grid writes the field itself (commitData), where a failure can keep the editor open.
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        editor->setGeometry(option.rect);
    }

private:
    DBGrid* grid_;
};

DBGrid::DBGrid(db::DataSource* source, QWidget* parent)
    : QTableView(parent), link_(new BoundLink(this, nullptr)), model_(new DatasetModel(this)),
      commitFailure_(new DeferredError(this)), drawFailure_(new DeferredError(this)) {
    setVerticalHeader(new IndicatorHeader(this));
    setHorizontalHeader(new TitleHeader(this));
    setModel(model_);
    setItemDelegate(new GridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(true);
    setShowGrid(true);
    // The view would draw the grid lines through its pen, a pixel at a time; paintGridLines()
    // fills the same pixels as rectangles instead.
    setGridStyle(Qt::NoPen);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    fitRowHeight();

    link_->onDataChange = [this] { followDataset(); };
    link_->onUpdateData = [this] { writeEditor(); };
    link_->onSelectAll = [this] {
        if (editor_) {
            editor_->setFocus();
            editor_->selectAll();
        }
    };
    link_->onStateChange = [this] { verticalHeader()->viewport()->update(); };
    connect(link_, &BoundLink::datasetChanged, this, [this] { model_->setDataset(dataset()); });
    connect(model_, &QAbstractItemModel::modelReset, this, &DBGrid::columnsChanged);
    connect(model_, &DatasetModel::indicatorChanged, this, [this](int row) {
        verticalHeader()->viewport()->update();
        (void)row;
    });
    link_->setDataSource(source);
}

db::DataSource* DBGrid::dataSource() const {
    return link_->dataSource();
}

void DBGrid::setDataSource(db::DataSource* source) {
    link_->setDataSource(source);
}

db::Dataset* DBGrid::dataset() const {
    return link_->dataset();
}

void DBGrid::setTitleFont(const QFont& font) {
    horizontalHeader()->setFont(font);
}

QFont DBGrid::titleFont() const {
    return horizontalHeader()->font();
}

db::Field DBGrid::columnField(int column) const {
    db::Dataset* d = dataset();
    if (!d)
        throw listIndexError(column);
    return d->field(column);
}

void DBGrid::fitRowHeight() {
    // One fixed height for every row: the header never measures rows one by one.
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
}

void DBGrid::columnsChanged() {
    QStringList names;
    for (int i = 0; i < model_->columnCount(); ++i)
        names << model_->headerData(i, Qt::Horizontal).toString();
    if (names == columnNames_)
        return; // a re-query of the same columns keeps the widths the user dragged
    columnNames_ = names;
    static_cast<TitleHeader*>(horizontalHeader())->titlesChanged();
    const QFontMetrics rows(font());
    const QFontMetrics titles(titleFont());
    db::Dataset* d = dataset();
    for (int i = 0; i < names.size(); ++i) {
        const int cells = displayChars(d->column(i)) * rows.horizontalAdvance('0') + 4;
        const int title = titles.horizontalAdvance(names.at(i)) + 8;
        setColumnWidth(i, std::max(cells, title));
    }
}

void DBGrid::followDataset() {
    if (!model_->isActive() || moving_)
        return;
    db::Dataset* d = dataset();
    // The model reads the rows (and reports a failure to); the cursor is known once they are.
    const int row = model_->rowCount() > 0 && d && d->isOpen() ? d->recNo() : -1;
    following_ = true;
    if (row < 0 || row >= model_->rowCount()) {
        selectionModel()->clear();
    } else {
        int column = currentIndex().isValid() ? currentIndex().column() : 0;
        if (column >= model_->columnCount())
            column = 0;
        const QModelIndex index = model_->index(row, column);
        if (index != currentIndex())
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        if (isVisible())
            scrollTo(index);
    }
    following_ = false;
    verticalHeader()->viewport()->update();
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    commitFailed_ = false;
    QTableView::currentChanged(current, previous); // commits and closes an open cell editor
    if (following_ || moving_ || model_->isChanging() || !current.isValid())
        return;
    db::Dataset* d = dataset();
    if (!d || !d->isOpen())
        return;
    if (commitFailed_) {
        // The cell's text did not convert: stay on its row, with its editor open.
        following_ = true;
        selectionModel()->setCurrentIndex(previous, QItemSelectionModel::ClearAndSelect);
        following_ = false;
        return;
    }
    if (current.row() == d->recNo())
        return;
    moving_ = true;
    messages::guarded([&] {
        // Finishing the pending row first may drop an untouched new row; the view's current
        // index moves with the rows after it, so read the target afterwards.
        d->checkBrowseMode();
        d->moveTo(currentIndex().row());
    });
    moving_ = false;
    followDataset();
}

bool DBGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool opening =
        index.isValid() && !(editor_ && editorIndex_ == index) &&
        (trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger)) &&
        (trigger == QAbstractItemView::AllEditTriggers ||
         trigger == QAbstractItemView::AnyKeyPressed ||
         trigger == QAbstractItemView::EditKeyPressed ||
         trigger == QAbstractItemView::SelectedClicked ||
         trigger == QAbstractItemView::DoubleClicked);
    if (!opening)
        return QTableView::edit(index, trigger, event);
    db::Dataset* d = dataset();
    if (!d || !d->isOpen() || !(model_->flags(index) & Qt::ItemIsEditable))
        return false;
    bool editing = false;
    messages::guarded([&] {
        if (index.row() != d->recNo())
            d->moveTo(index.row());
        editing = link_->edit();
    });
    if (!editing)
        return false;
    // Auto-edit on an empty dataset has inserted the row to edit.
    const QModelIndex target = model_->index(d->recNo(), index.column());
    if (target != currentIndex()) {
        following_ = true;
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
        following_ = false;
    }
    return QTableView::edit(target, trigger, event);
}

void DBGrid::writeEditor() {
    if (!editor_ || !editorIndex_.isValid() || !editor_->isModified())
        return;
    db::Dataset* d = dataset();
    if (!d || !d->isOpen() || editorIndex_.row() != d->recNo())
        return;
    if (!d->isEditing() && !link_->edit())
        return;
    d->field(editorIndex_.column()).setAsString(editor_->text());
    if (editor_)
        editor_->setModified(false);
}

void DBGrid::commitData(QWidget* editor) {
    if (editor != editor_) {
        QTableView::commitData(editor);
        return;
    }
    commitFailed_ = false;
    try {
        writeEditor();
    } catch (const std::exception& e) {
        // The editor stays open on the text; the error box comes once the current event
        // (a click, a focus change) is over.
        commitFailed_ = true;
        commitFailure_->report(e, [this] {
            if (editor_) {
                editor_->setFocus();
                editor_->selectAll();
            }
        });
    }
}

void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == editor_ && commitFailed_ && hint != QAbstractItemDelegate::RevertModelCache) {
        editor_->setFocus();
        editor_->selectAll();
        return;
    }
    commitFailed_ = false;
    // Esc in an editor whose text was changed restores the cell; in an untouched one it drops
    // the row's pending change as Esc on the grid does.
    const bool dropRow = hint == QAbstractItemDelegate::RevertModelCache && editor == editor_ &&
                         editor_ && !editor_->isModified();
    QTableView::closeEditor(editor, hint);
    if (dropRow && dataset() && dataset()->isEditing())
        dataset()->cancel();
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
    db::Dataset* d = dataset();
    if (!d || !d->isOpen()) {
        QTableView::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    // Tab moves between cells; past the last cell (before the first with Shift+Tab), and with
    // Ctrl+Tab anywhere, it leaves the grid, so the keyboard is never trapped in it.
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        const bool forward = event->key() == Qt::Key_Tab && !(mods & Qt::ShiftModifier);
        const QModelIndex at = currentIndex();
        const bool edge = !at.isValid() || (forward ? at.row() == model_->rowCount() - 1 &&
                                                          at.column() == model_->columnCount() - 1
                                                    : at.row() == 0 && at.column() == 0);
        if (mods & Qt::ControlModifier) {
            forward ? focusNextChild() : focusPreviousChild();
            return;
        }
        if (edge) {
            event->ignore();
            return;
        }
    }
    switch (event->key()) {
    case Qt::Key_Insert:
        if (mods == Qt::NoModifier) {
            messages::guarded([&] {
                if (link_->canModify())
                    d->insert();
            });
            return;
        }
        break;
    case Qt::Key_Delete:
        if (mods == Qt::ControlModifier) {
            messages::guarded([&] {
                if (link_->canModify() && !d->isEmpty() && messages::confirmDelete())
                    d->remove();
            });
            return;
        }
        break;
    case Qt::Key_Escape:
        if (mods == Qt::NoModifier && d->isEditing()) {
            d->cancel();
            return;
        }
        break;
    case Qt::Key_Down:
        if (mods == Qt::NoModifier && currentIndex().row() >= model_->rowCount() - 1) {
            // Past the last row a new one is appended, unless it is an untouched new row.
            messages::guarded([&] {
                const bool untouched = d->state() == db::Dataset::State::Insert && !d->modified() &&
                                       !link_->isModified();
                if (link_->canModify() && !untouched)
                    d->append();
            });
            return;
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

void DBGrid::keyboardSearch(const QString&) {
    // Typing edits the cell; it never searches the rows.
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    emit dblClick();
}

void DBGrid::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    model_->activate();
    followDataset();
}

void DBGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitRowHeight();
}

void DBGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    refreshCurrentCell();
}

void DBGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    refreshCurrentCell();
}

void DBGrid::refreshCurrentCell() {
    if (currentIndex().isValid())
        viewport()->update(visualRect(currentIndex()));
}

void DBGrid::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    paintGridLines(event->region());
}

// The view's grid lines, pixel for pixel: below each row and right of each column, across the
// part of the painted region that holds cells.
void DBGrid::paintGridLines(const QRegion& region) {
    const QHeaderView* rows = verticalHeader();
    const QHeaderView* columns = horizontalHeader();
    if (!showGrid() || rows->count() == 0 || columns->count() == 0)
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QColor color =
        QColor::fromRgba(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    const bool rightToLeft = isRightToLeft();
    const int lastX = columns->length() - columns->offset() - (rightToLeft ? 0 : 1);
    const int lastY = rows->length() - rows->offset() - 1;

    QPainter painter(viewport());
    for (QRect area : region) {
        area.setBottom(std::min(area.bottom(), lastY));
        if (rightToLeft)
            area.setLeft(std::max(area.left(), viewport()->width() - lastX));
        else
            area.setRight(std::min(area.right(), lastX));
        if (!area.isValid())
            continue;
        const int top = rows->visualIndexAt(area.top());
        int bottom = rows->visualIndexAt(area.bottom());
        if (bottom == -1)
            bottom = rows->count() - 1;
        if (top == -1 || top > bottom)
            continue;
        int left = columns->visualIndexAt(area.left());
        int right = columns->visualIndexAt(area.right());
        if (rightToLeft)
            std::swap(left, right);
        if (left == -1)
            left = 0;
        if (right == -1)
            right = columns->count() - 1;

        for (int visual = top; visual <= bottom; ++visual) {
            const int row = rows->logicalIndex(visual);
            if (rows->isSectionHidden(row))
                continue;
            const int y = rowViewportPosition(row) + rowHeight(row) - 1;
            painter.fillRect(QRect(area.left(), y, area.width(), 1), color);
        }
        for (int visual = left; visual <= right; ++visual) {
            const int column = columns->logicalIndex(visual);
            if (columns->isSectionHidden(column))
                continue;
            int x = columnViewportPosition(column);
            if (!rightToLeft)
                x += columnWidth(column) - 1;
            painter.fillRect(QRect(x, area.top(), 1, area.height()), color);
        }
    }
}

void DBGrid::paintCell(QPainter* painter, const QRect& rect, const QModelIndex& index) {
    const bool selected = index == currentIndex();
    const bool focused = selected && hasFocus();
    const QPalette& pal = palette();
    const QColor background =
        focused ? pal.color(QPalette::Active, QPalette::Highlight) : pal.color(QPalette::Base);
    const QColor foreground = focused ? pal.color(QPalette::Active, QPalette::HighlightedText)
                                      : pal.color(QPalette::Text);
    painter->save();
    painter->setClipRect(rect);
    painter->fillRect(rect, background);
    painter->setFont(font());
    painter->setPen(foreground);
    painter->setBrush(background);
    // 2 pixels in from the left and top, clipped to the cell.
    const QString text = index.data(Qt::DisplayRole).toString();
    const QPoint textAt = rect.topLeft() + QPoint(2, 2);
    db::Dataset* d = dataset();
    if (!d || !isSignalConnected(QMetaMethod::fromSignal(&DBGrid::drawColumnCell))) {
        cellText_.draw(*painter, textAt, text);
    } else {
        DrawState state;
        if (selected)
            state |= Selected;
        if (focused)
            state |= Focused;
        try {
            const db::Dataset::RowScope scope(*d, index.row());
            const DrawCell cell{
                painter, rect, index.column(), index.row(), d->field(index.column()), state};
            if (!coverTest_ || !coverTest_(cell))
                cellText_.draw(*painter, textAt, text);
            emit drawColumnCell(cell);
        } catch (const std::exception& e) {
            // No message box inside a paint: reported once the painting is over.
            drawFailure_->report(e);
        }
    }
    painter->restore();
    if (focused) {
        painter->save();
        painter->setPen(QPen(foreground, 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
}

} // namespace corvalen
