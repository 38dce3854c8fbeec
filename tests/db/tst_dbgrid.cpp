// The data grid: columns, the current row shared with the dataset, in-place editing, the
// Insert, Down and Ctrl+Delete keys, double-click and the cell-drawing event.

#include "db/dm2.h"
#include "db/widgets/datasetmodel.h"
#include "db/widgets/dbedit.h"
#include "db/widgets/dbgrid.h"
#include "tests/support/fixture.h"
#include "tests/support/gui.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace corvalen;
using State = db::Dataset::State;

namespace {

struct Drawn {
    int row;
    int column;
    QRect rect;
    DBGrid::DrawState state;
    QString fieldText;
    QColor brush;
};

// A grid whose lines the view draws with its own pen, as a reference for the grid's.
class ViewLinesGrid : public DBGrid {
public:
    using DBGrid::DBGrid;
    void useViewLines() { setGridStyle(Qt::SolidLine); }

protected:
    void paintEvent(QPaintEvent* event) override { QTableView::paintEvent(event); }
};

} // namespace

class TstDbGrid : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<QWidget> window;
    DBGrid* grid = nullptr;
    DBEdit* nome = nullptr;

    db::Dataset* patients() { return Dm2->ADOEditPacientes; }

    void showGrid(db::DataSource* source) {
        window = std::make_unique<QWidget>();
        window->resize(520, 260);
        grid = new DBGrid(source, window.get());
        grid->setGeometry(0, 0, 520, 200);
        nome = new DBEdit(Dm2->DataSource7, "nome", window.get());
        nome->setGeometry(0, 220, 200, 24);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        grid->setFocus();
    }

    QPoint cell(int row, int column) const {
        return grid->visualRect(grid->model()->index(row, column)).center();
    }

    static void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), mods);
    }

private slots:
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
        folder->exec("insert into Pacientes (nome, cep) values ('Ana', '111'), ('Bruno', "
                     "'222'), ('Carla', '333')");
        folder->openDataModule();
        patients()->setSql({"select * from Pacientes", "order by inscricao"});
        patients()->open();
    }
    void cleanup() {
        window.reset();
        folder.reset();
        recorder.reset();
    }

    // The rows cannot be read when the grid first paints. Catches the failure unwinding
    // through the paint, an error box for each repaint, rows shown that were never read, and a
    // grid left empty once the rows can be read again.
    void failedReadWhilePainting() {
        patients()->requery();
        {
            const test::ReadFailure failing;
            showGrid(Dm2->DataSource7);
            for (int i = 0; i < 3; ++i) {
                grid->viewport()->repaint();
                QTest::qWait(10);
            }
            QCOMPARE(recorder->shown().size(), size_t(1));
            QCOMPARE(recorder->shown().front().kind, messages::Kind::Error);
            QCOMPARE(grid->model()->rowCount(), 0);
            QCOMPARE(nome->text(), "");
        }
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
        patients()->requery();
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(grid->model()->index(1, 1).data().toString(), "Bruno");
        QCOMPARE(nome->text(), "Ana");
        QCOMPARE(recorder->shown().size(), size_t(1));
    }

    // Catches columns out of SELECT order, wrong titles, stale rows, or a crash while the
    // dataset is closed.
    void columnsAndRows() {
        showGrid(Dm2->DataSource7);
        QAbstractItemModel* m = grid->model();
        QCOMPARE(m->columnCount(), patients()->fieldCount());
        QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), "inscricao");
        QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), "nome");
        QCOMPARE(m->rowCount(), 3);
        QCOMPARE(m->index(1, 1).data().toString(), "Bruno");
        QVERIFY(grid->showGrid());
        QCOMPARE(grid->horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
        QCOMPARE(grid->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        patients()->close();
        QCOMPARE(m->rowCount(), 0);
        for (int k : {Qt::Key_Insert, Qt::Key_Down, Qt::Key_F2, Qt::Key_A})
            key(k);
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        grid->grab();
        QVERIFY2(recorder->shown().empty(), qPrintable(recorder->last()));
        patients()->open();
        QCOMPARE(m->rowCount(), 3);

        // Rows and titles in the fonts the window chooses; rows keep one height.
        const int before = grid->rowHeight(0);
        QFont rows = grid->font();
        rows.setPointSize(rows.pointSize() + 6);
        grid->setFont(rows);
        QVERIFY(grid->rowHeight(0) > before);
        QCOMPARE(grid->rowHeight(2), grid->rowHeight(0));
        QFont titles = grid->font();
        titles.setPointSize(8);
        titles.setBold(true);
        grid->setTitleFont(titles);
        QCOMPARE(grid->horizontalHeader()->font(), titles);
    }

    // Catches the model reading a field that the closing dataset no longer has: views (a
    // screen reader's accessibility updates among them) still ask about the indexes they hold
    // until the model has reset, and an error there ends the program.
    void heldIndexesWhileTheDatasetCloses() {
        showGrid(Dm2->DataSource7);
        QAbstractItemModel* m = grid->model();
        const QModelIndex held = m->index(0, 1);
        Qt::ItemFlags flags = Qt::ItemIsEditable;
        QVariant title = "?";
        const QObject watching;
        connect(patients(), &db::Dataset::stateChanged, &watching, [&] {
            if (!patients()->isOpen()) {
                flags = m->flags(held);
                title = m->headerData(1, Qt::Horizontal);
            }
        });
        patients()->close();
        // Asked, and answered for a cell the dataset no longer has: nothing to edit.
        QVERIFY(!(flags & Qt::ItemIsEditable));
        QVERIFY(!title.isValid());
    }

    // Catches the grid and the dataset disagreeing on the current row, in either direction,
    // or the source's other controls not following a click.
    void currentRowIsShared() {
        showGrid(Dm2->DataSource7);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(2, 1));
        QCOMPARE(patients()->recNo(), 2);
        QCOMPARE(nome->text(), "Carla");
        patients()->first();
        QCOMPARE(grid->currentIndex().row(), 0);
        key(Qt::Key_Down);
        QCOMPARE(patients()->recNo(), 1);
        QCOMPARE(nome->text(), "Bruno");
    }

    // Catches typing not editing the row, leaving the row not posting it, F2 not editing,
    // or Esc not dropping the change.
    void inPlaceEditing() {
        showGrid(Dm2->DataSource7);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(0, 1));
        test::typeFollowingFocus(grid, "Zeca");
        QCOMPARE(patients()->state(), State::Edit);
        QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        key(Qt::Key_Down); // leaves the row
        QCOMPARE(patients()->state(), State::Browse);
        QCOMPARE(patients()->recNo(), 1);
        QCOMPARE(folder->scalar("select nome from Pacientes where inscricao = 1").toString(),
                 "Zeca");

        key(Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->text(), "Bruno");
        QCOMPARE(patients()->state(), State::Edit);
        QTest::keyClick(editor, Qt::Key_End);
        QTest::keyClicks(editor, "x");
        key(Qt::Key_Tab); // to the next cell, writing this one
        QCOMPARE(patients()->fieldByName("nome").asString(), "Brunox");
        key(Qt::Key_Escape);
        QCOMPARE(patients()->state(), State::Browse);
        QCOMPARE(patients()->fieldByName("nome").asString(), "Bruno");
        QCOMPARE(folder->scalar("select nome from Pacientes where inscricao = 2").toString(),
                 "Bruno");
    }

    // Catches an indicator column that marks no row, the wrong row, or the same way whether
    // the row is browsed, edited or inserted.
    void indicatorMarksCurrentRow() {
        showGrid(Dm2->DataSource7);
        QHeaderView* indicator = grid->verticalHeader();
        auto section = [&](int row) {
            const int top = indicator->sectionViewportPosition(row);
            return indicator->grab().toImage().copy(0, top, indicator->width(),
                                                    indicator->sectionSize(row));
        };
        key(Qt::Key_Down);
        const QImage browsing = section(1);
        QCOMPARE(section(0), section(2)); // unmarked rows look alike
        QVERIFY(browsing != section(0));
        patients()->edit();
        const QImage editing = section(1);
        QVERIFY(editing != browsing && editing != section(0));
        patients()->cancel();
        key(Qt::Key_Insert);
        const QImage inserting = section(1);
        QVERIFY(inserting != browsing && inserting != editing && inserting != section(0));
    }

    // Catches header sections, kept as pictures, that differ from the style's own: the
    // unmarked indicator sections (first and last of the column) and the titles, in a title
    // font of their own.
    void headerSectionsAreTheStyles() {
        showGrid(Dm2->DataSource7);
        QFont titles = grid->font();
        titles.setBold(true);
        titles.setPointSize(titles.pointSize() + 3);
        grid->setTitleFont(titles);
        // A plain header over the same sections, below the grid.
        const auto plainBeside = [&](QHeaderView* mine) {
            auto* plain = new QHeaderView(mine->orientation(), window.get());
            plain->setModel(grid->model());
            plain->setFont(mine->font());
            plain->setMinimumSectionSize(1);
            plain->setDefaultSectionSize(mine->defaultSectionSize());
            plain->setDefaultAlignment(mine->defaultAlignment());
            plain->setSectionsClickable(false);
            plain->setHighlightSections(false);
            for (int i = 0; i < mine->count(); ++i)
                plain->resizeSection(i, mine->sectionSize(i));
            plain->setGeometry(QRect(QPoint(0, 300), mine->size()));
            plain->show();
            return plain;
        };
        QHeaderView* indicator = grid->verticalHeader();
        QHeaderView* title = grid->horizontalHeader();
        QHeaderView* plainIndicator = plainBeside(indicator);
        QHeaderView* plainTitle = plainBeside(title);
        key(Qt::Key_Down);                        // the mark on row 1
        for (int round = 0; round < 2; ++round) { // drawn, then from the pictures
            const QImage mine = indicator->viewport()->grab().toImage();
            const QImage theirs = plainIndicator->viewport()->grab().toImage();
            for (int row : {0, 2}) {
                const QRect r(0, indicator->sectionViewportPosition(row), indicator->width(),
                              indicator->sectionSize(row));
                QCOMPARE(mine.copy(r), theirs.copy(r));
            }
            QCOMPARE(title->viewport()->grab().toImage(), plainTitle->viewport()->grab().toImage());
        }
    }

    // Catches Tab trapped in the grid: it moves between cells, and leaves past the last one.
    void tabMovesThenLeaves() {
        showGrid(Dm2->DataSource7);
        const int last = grid->model()->columnCount() - 1;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(0, 0));
        key(Qt::Key_Tab);
        QCOMPARE(grid->currentIndex().column(), 1);
        QVERIFY(grid->hasFocus());
        grid->setCurrentIndex(grid->model()->index(2, last));
        key(Qt::Key_Tab);
        QVERIFY(nome->hasFocus());
    }

    // Catches the Insert key not inserting at the current row, or Esc not dropping the row.
    void insertKey() {
        showGrid(Dm2->DataSource7);
        key(Qt::Key_Down);
        key(Qt::Key_Insert);
        QCOMPARE(patients()->state(), State::Insert);
        QCOMPARE(grid->model()->rowCount(), 4);
        QCOMPARE(grid->currentIndex().row(), 1);
        QCOMPARE(grid->model()->index(2, 1).data().toString(), "Bruno");
        key(Qt::Key_Escape);
        QCOMPARE(patients()->state(), State::Browse);
        QCOMPARE(grid->model()->rowCount(), 3);
    }

    // Catches Down at the last row not appending, appending a second blank row, or an untouched
    // new row being posted when the user moves away.
    void downFromLastRowAppends() {
        showGrid(Dm2->DataSource7);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(2, 1));
        key(Qt::Key_Down);
        QCOMPARE(patients()->state(), State::Insert);
        QCOMPARE(grid->model()->rowCount(), 4);
        QCOMPARE(grid->currentIndex().row(), 3);
        key(Qt::Key_Down);
        QCOMPARE(grid->model()->rowCount(), 4);
        test::typeFollowingFocus(grid, "Davi");
        key(Qt::Key_Down); // posts Davi and appends again
        QCOMPARE(folder->scalar("select count(*) from Pacientes where nome = 'Davi'").toInt(), 1);
        QCOMPARE(patients()->state(), State::Insert);
        QCOMPARE(grid->model()->rowCount(), 5);
        key(Qt::Key_Up); // leaves the untouched new row: dropped
        QCOMPARE(patients()->state(), State::Browse);
        QCOMPARE(grid->model()->rowCount(), 4);
        QCOMPARE(folder->scalar("select count(*) from Pacientes").toInt(), 4);
    }

    // Catches Ctrl+Delete deleting without the question, or despite "Cancel".
    void ctrlDeleteAsks() {
        showGrid(Dm2->DataSource7);
        key(Qt::Key_Down);
        recorder->answer(messages::Answer::Cancel);
        key(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(recorder->texts(), QStringList({"Delete record?"}));
        QCOMPARE(recorder->shown().back().caption, "Confirm");
        QCOMPARE(grid->model()->rowCount(), 3);
        key(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(recorder->texts().size(), 2);
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(folder->scalar("select group_concat(nome) from Pacientes").toString(),
                 "Ana,Carla");
        QCOMPARE(nome->text(), "Carla");
    }

    // Catches the double-click event not running, or running before the clicked row is current;
    // it also runs on an empty grid (the windows report that case themselves).
    void doubleClick() {
        showGrid(Dm2->DataSource7);
        int rowAtEvent = -1;
        int count = 0;
        connect(grid, &DBGrid::dblClick, this, [&] {
            ++count;
            rowAtEvent = patients()->recNo();
        });
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(1, 0));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell(1, 0));
        QCOMPARE(count, 1);
        QCOMPARE(rowAtEvent, 1);
        patients()->close();
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(count, 2);
    }

    // Catches a cell skipped or drawn twice, a wrong rectangle or state, a field that reads
    // another row than the drawn one, or the event running before the ordinary drawing or
    // after the focus rectangle.
    void drawEventForEveryVisibleCell() {
        showGrid(Dm2->DataSource7);
        key(Qt::Key_Down);
        QList<Drawn> drawn;
        const QColor marker(0, 255, 0);
        connect(grid, &DBGrid::drawColumnCell, this, [&](const DBGrid::DrawCell& c) {
            drawn << Drawn{c.row,   c.dataCol,          c.rect,
                           c.state, c.field.asString(), c.canvas->brush().color()};
            c.canvas->fillRect(c.rect, marker);
        });
        const QImage image = grid->viewport()->grab().toImage();
        QAbstractItemModel* m = grid->model();
        const QRect viewport = grid->viewport()->rect();
        int visible = 0;
        for (int r = 0; r < m->rowCount(); ++r) {
            for (int c = 0; c < m->columnCount(); ++c) {
                const QRect cellRect = grid->visualRect(m->index(r, c));
                if (!cellRect.intersects(viewport))
                    continue;
                ++visible;
                const auto calls = std::count_if(drawn.begin(), drawn.end(), [&](const Drawn& d) {
                    return d.row == r && d.column == c;
                });
                QCOMPARE(int(calls), 1);
                const Drawn& d = *std::find_if(drawn.begin(), drawn.end(), [&](const Drawn& d) {
                    return d.row == r && d.column == c;
                });
                QCOMPARE(d.rect, cellRect); // the cell, less its grid lines
                QCOMPARE(d.fieldText, m->index(r, c).data(Qt::EditRole).toString());
                const bool current = r == 1 && c == 0;
                QCOMPARE(d.state, current ? DBGrid::DrawState(DBGrid::Selected | DBGrid::Focused)
                                          : DBGrid::DrawState());
                QCOMPARE(d.brush, current
                                      ? grid->palette().color(QPalette::Active, QPalette::Highlight)
                                      : grid->palette().color(QPalette::Base));
                if (!d.rect.intersects(viewport) || viewport.contains(d.rect) == false)
                    continue;
                // Over the ordinary drawing: every pixel is the marker, but for the focus
                // rectangle drawn afterwards round the current cell.
                int others = 0;
                for (int x = d.rect.left(); x <= d.rect.right(); ++x)
                    others += image.pixelColor(x, d.rect.top()) != marker;
                QVERIFY(current ? others > 0 : others == 0);
                QCOMPARE(image.pixelColor(d.rect.center()), marker);
            }
        }
        QCOMPARE(drawn.size(), visible);
        QVERIFY(visible < m->rowCount() * m->columnCount()); // some columns lie out of view

        // Unfocused, the current cell is selected but not focused, on the cell colour.
        drawn.clear();
        nome->setFocus();
        grid->viewport()->grab();
        const auto current = std::find_if(
            drawn.begin(), drawn.end(), [](const Drawn& d) { return d.row == 1 && d.column == 0; });
        QVERIFY(current != drawn.end());
        QCOMPARE(current->state, DBGrid::DrawState(DBGrid::Selected));
        QCOMPARE(current->brush, grid->palette().color(QPalette::Base));
    }

    // Catches a cell editor accepting more than the column's width, or a text that does not
    // convert reaching the row, closing the editor unreported, or reaching the database.
    void cellInputIsChecked() {
        showGrid(Dm2->DataSource7);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(0, 6)); // cep, 10 wide
        QCOMPARE(grid->model()->headerData(6, Qt::Horizontal).toString(), "cep");
        test::typeFollowingFocus(grid, "123456789012345");
        QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget())->text(), "1234567890");
        key(Qt::Key_Down);
        QCOMPARE(folder->scalar("select cep from Pacientes where inscricao = 1").toString(),
                 "1234567890");

        window.reset();
        showGrid(Dm2->DataSource8); // consultations: none yet
        key(Qt::Key_Insert);
        QCOMPARE(Dm2->ADOConsulta->state(), State::Insert);
        const int data = Dm2->ADOConsulta->fieldIndex("Data");
        grid->setCurrentIndex(grid->model()->index(0, data));
        test::typeFollowingFocus(grid, "99/99/2015");
        key(Qt::Key_Return);
        QTRY_COMPARE(recorder->texts(), QStringList({"'99/99/2015' is not a valid date."}));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->selectedText(), "99/99/2015");
        QVERIFY(Dm2->ADOConsulta->fieldByName("Data").isNull());
        QVERIFY(!messages::guarded([] { Dm2->ADOConsulta->post(); }));
        QCOMPARE(folder->scalar("select count(*) from Consultas").toInt(), 0);
    }

    // Catches the titles row keeping its measured height after the title font grows.
    void titleRowFollowsItsFont() {
        showGrid(Dm2->DataSource7);
        const int before = grid->horizontalHeader()->height();
        QVERIFY(before > 0);
        QFont big = grid->titleFont();
        big.setPointSize(big.pointSize() * 3);
        grid->setTitleFont(big);
        QTRY_VERIFY(grid->horizontalHeader()->height() > before * 2);
    }

    // Catches grid lines that the grid fills itself a pixel off the view's own, or missing
    // from a repaint of part of the grid or of a grid scrolled sideways.
    void gridLinesAreTheViewsOwn() {
        showGrid(Dm2->DataSource7);
        auto* reference = new ViewLinesGrid(Dm2->DataSource7, window.get());
        reference->useViewLines();
        reference->setGeometry(grid->geometry());
        reference->show();
        nome->setFocus(); // neither grid draws a focused cell
        const auto render = [](DBGrid* g, const QRegion& region) {
            QImage image(g->viewport()->size(), QImage::Format_RGB32);
            image.fill(Qt::black);
            g->viewport()->render(&image, {}, region);
            return image;
        };
        const QRect whole = grid->viewport()->rect();
        const QRegion parts = QRegion(7, 5, 90, 30) + QRegion(120, 22, 200, 41);
        for (int scrolled : {0, 37}) {
            grid->horizontalScrollBar()->setValue(scrolled);
            reference->horizontalScrollBar()->setValue(scrolled);
            for (const QRegion& region : {QRegion(whole), parts})
                QCOMPARE(render(grid, region), render(reference, region));
        }
        // Lines were drawn at all: the right edge of the first column, on a row.
        const QImage image = render(grid, whole);
        const int x = grid->columnViewportPosition(0) + grid->columnWidth(0) - 1;
        QVERIFY(image.pixelColor(x, grid->rowHeight(0) / 2) !=
                grid->palette().color(QPalette::Base));
    }

    // Catches work in proportion to the row count: a model reset (or a full repaint of rows)
    // when the cursor moves, a row is inserted, edited or dropped.
    void movingCostsNoReset() {
        folder->exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < "
                     "5000) insert into Pacientes (nome) select 'P' || i from n");
        patients()->requery();
        showGrid(Dm2->DataSource7);
        QSignalSpy resets(grid->model(), &QAbstractItemModel::modelReset);
        int cells = 0;
        connect(grid, &DBGrid::drawColumnCell, this, [&](const DBGrid::DrawCell&) { ++cells; });
        patients()->last();
        QCOMPARE(grid->currentIndex().row(), 5002);
        key(Qt::Key_PageUp);
        key(Qt::Key_Insert);
        key(Qt::Key_Escape);
        patients()->moveTo(2500);
        patients()->edit();
        patients()->fieldByName("nome").setAsString("Meio");
        patients()->post();
        QCOMPARE(resets.count(), 0);
        grid->viewport()->grab();
        const int rowsInView = grid->viewport()->height() / grid->rowHeight(0) + 2;
        QVERIFY(cells > 0 && cells <= rowsInView * grid->model()->columnCount());
        patients()->requery();
        QVERIFY(resets.count() >= 1);
    }
};

QTEST_MAIN(TstDbGrid)
#include "tst_dbgrid.moc"
