#pragma once
// The incremental search shared by the patient list and the patient selection window. A search
// box narrows a list dataset at each keystroke to the rows that have a field beginning with the
// typed text, and the grid draws the matching beginning of each such cell in red bold.
//
// Matching upper-cases only the letters a to z, so accented letters must match exactly: "jo"
// finds "João", "JOÃ" does not. A field shorter than the typed text never matches.
//
// The accept rule keeps an upper-cased copy of the first characters of every field, built once
// per open of the dataset and kept in step with the rows edited, inserted or dropped through
// it, and remembers which rows a shorter text already rejected; what the grid shows is exactly
// what reading and upper-casing every field afresh would give.

#include "db/widgets/dbgrid.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QLineEdit;
class QPainter;

namespace corvalen {

// Upper-cases the letters a to z and nothing else.
QString upperAtoZ(const QString& text);

// Whether `text` begins with `search`, both upper-cased as above. An empty search matches.
bool beginsWithSearch(const QString& text, const QString& search);

class IncrementalSearch : public QObject {
    Q_OBJECT
public:
    // Filters `dataset` by the text of `edit` and highlights the cells of `grid`. Installs the
    // accept rule on the dataset and connects the box's changes and the grid's cell drawing.
    IncrementalSearch(QLineEdit* edit, db::Dataset* dataset, DBGrid* grid,
                      QObject* parent = nullptr);

    // The search box changed: filter off, then on again when the box holds text. The cursor
    // lands on the first row that passes (the first row when the box is empty).
    void Edit1Change();

    // The accept rule for one fetched row of the dataset.
    bool ADODataSet1FilterRecord(int fetchedRow);
    // The rule applied to the dataset's fetched rows at once: keeps those the rule accepts.
    void filterRows(std::vector<int>& fetchedRows);

    // Highlights a cell drawn the ordinary way when its text begins with the box's text: the
    // cell is filled with its background, the beginning as long as the text is written in pure
    // red bold (the grid font's face and size) at the cell's top-left corner, and the rest in
    // the grid's font and colour (also on the selected cell) from the width of that beginning
    // on, clipped to the cell.
    void DBGrid1DrawColumnCell(const DBGrid::DrawCell& cell);
    // The cell's text when it begins with the box's text, the box holding some.
    std::optional<QString> highlighted(const DBGrid::DrawCell& cell) const;

    // Builds the upper-cased copy now (fetching the rows), so that the first keystroke after a
    // re-query does not pay for it.
    void prepare();

private:
    void setSearch(const QString& text);
    void invalidate();
    void ensureIndex();
    void resync(int fetchedRow);
    void indexRow(int fetchedRow);
    bool fieldBeginsWith(int fetchedRow, int field);
    bool rowMatches(int fetchedRow);
    bool acceptIndexed(int fetchedRow); // the rule, once the copy is built
    void ensureByFirst();
    void acceptByFirst(std::vector<int>& fetchedRows);

    void paintHighlight(QPainter& painter, const QRect& cell, const QString& text, int length,
                        const QColor& background);

    QPointer<QLineEdit> edit_;
    QPointer<db::Dataset> dataset_;
    QPointer<DBGrid> grid_;

    // The box's text upper-cased, with its first four UTF-16 units packed like the heads below.
    QString search_;
    std::uint64_t searchHead_ = 0;
    std::uint64_t searchMask_ = 0;
    bool searchHasNul_ = false; // a U+0000 in the text defeats the zero padding of heads

    // The grid's font and its bold form, kept while the grid's font stays the same.
    QFont font_;
    QFont bold_;
    std::unique_ptr<QFontMetrics> boldMetrics_;
    QHash<QString, int> prefixWidths_; // bold widths of highlighted beginnings

    // Per fetched row and field: the first four characters upper-cased, zero-padded.
    bool indexed_ = false;
    int fields_ = 0;
    std::vector<std::uint64_t> heads_;

    // Per fetched row: the id of the search text that last rejected it, 0 when none. A row
    // rejected by a text cannot pass any extension of it while its fields stay unchanged.
    std::vector<std::uint32_t> rejectedBy_;
    // Per upper-cased first unit: the fetched rows with a field beginning with it, ascending.
    std::vector<std::vector<int>> byFirst_;
    bool byFirstBuilt_ = false;
    std::vector<QString> history_;  // search texts by id (id 0 unused)
    std::vector<char> extendsText_; // per id: the current text extends that one
    std::uint32_t searchId_ = 0;
};

} // namespace corvalen
