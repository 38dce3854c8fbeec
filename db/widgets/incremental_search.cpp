#include "db/widgets/incremental_search.h"

#include "platform/messages.h"

#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <algorithm>
#include <iterator>

namespace corvalen {

namespace {

// Longer histories are dropped: each entry costs a comparison per keystroke.
constexpr std::size_t maxHistory = 64;

char16_t upperUnit(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

// The first four UTF-16 units of `text`, upper-cased, in the low-to-high 16-bit lanes.
std::uint64_t headOf(const QString& text) {
    std::uint64_t head = 0;
    const int n = std::min<int>(int(text.size()), 4);
    for (int k = 0; k < n; ++k)
        head |= std::uint64_t(upperUnit(text.at(k).unicode())) << (16 * k);
    return head;
}

} // namespace

QString upperAtoZ(const QString& text) {
    QString upper = text;
    for (QChar& c : upper)
        c = QChar(upperUnit(c.unicode()));
    return upper;
}

bool beginsWithSearch(const QString& text, const QString& search) {
    if (text.size() < search.size())
        return false;
    for (qsizetype k = 0; k < search.size(); ++k)
        if (upperUnit(text.at(k).unicode()) != upperUnit(search.at(k).unicode()))
            return false;
    return true;
}

IncrementalSearch::IncrementalSearch(QLineEdit* edit, db::Dataset* dataset, DBGrid* grid,
                                     QObject* parent)
    : QObject(parent), edit_(edit), dataset_(dataset), grid_(grid), history_(1) {
    dataset->setIndexedRule([this](std::vector<int>& rows) { filterRows(rows); });
    setSearch(edit->text());

    // The copy follows the rows: a re-open re-reads them, a posted edit or insert changes one.
    connect(dataset, &db::Dataset::beforeAction, this, &IncrementalSearch::invalidate);
    connect(dataset, &db::Dataset::rowChanged, this, [this](int row) {
        if (indexed_ && row >= 0 && row < dataset_->recordCount())
            resync(dataset_->fetchedIndexOf(row));
    });
    connect(dataset, &db::Dataset::rowInserted, this, [this] { resync(-1); });
    connect(dataset, &db::Dataset::rowRemoved, this, [this] { resync(-1); });

    connect(edit, &QLineEdit::textChanged, this,
            [this] { messages::guarded([this] { Edit1Change(); }); });
    connect(grid, &DBGrid::drawColumnCell, this, &IncrementalSearch::DBGrid1DrawColumnCell);
    // A highlighted cell is painted over entirely.
    grid->setCoverTest(
        [this](const DBGrid::DrawCell& cell) { return highlighted(cell).has_value(); });
}

void IncrementalSearch::Edit1Change() {
    setSearch(edit_->text());
    if (edit_->text().isEmpty()) {
        dataset_->setFiltered(false);
        return;
    }
    // Off, then on. The unfiltered list in between is never shown: once a row being edited is
    // finished, the off step's notifications are held back and the grid rebuilds only once.
    dataset_->checkBrowseMode();
    {
        const QSignalBlocker quiet(dataset_);
        dataset_->setFiltered(false);
    }
    dataset_->setFiltered(true);
}

void IncrementalSearch::setSearch(const QString& text) {
    const QString upper = upperAtoZ(text);
    if (upper == search_ && searchId_ != 0)
        return;
    search_ = upper;
    searchHead_ = headOf(upper);
    const int n = std::min<int>(int(upper.size()), 4);
    searchMask_ = n == 4 ? ~std::uint64_t(0) : (std::uint64_t(1) << (16 * n)) - 1;
    searchHasNul_ = upper.contains(QChar(0));

    if (history_.size() >= maxHistory) {
        history_.assign(1, QString());
        std::fill(rejectedBy_.begin(), rejectedBy_.end(), 0);
    }
    history_.push_back(upper);
    searchId_ = std::uint32_t(history_.size() - 1);
    extendsText_.assign(history_.size(), 0);
    for (std::size_t id = 1; id < history_.size(); ++id)
        extendsText_[id] = upper.startsWith(history_[id]);
}

void IncrementalSearch::invalidate() {
    indexed_ = false;
    heads_.clear();
    rejectedBy_.clear();
    byFirst_.clear();
    byFirstBuilt_ = false;
}

void IncrementalSearch::prepare() {
    if (dataset_ && dataset_->isOpen()) {
        ensureIndex();
        ensureByFirst();
    }
}

void IncrementalSearch::ensureByFirst() {
    if (byFirstBuilt_)
        return;
    for (std::vector<int>& rows : byFirst_)
        rows.clear();
    const std::size_t fields = std::size_t(fields_);
    for (std::size_t r = 0; r < rejectedBy_.size(); ++r) {
        const std::uint64_t* heads = heads_.data() + r * fields;
        for (std::size_t f = 0; f < fields; ++f) {
            const char16_t first = char16_t(heads[f] & 0xffff);
            if (first == 0)
                continue;      // an empty field
            bool seen = false; // the row is listed once under each first letter
            for (std::size_t g = 0; g < f; ++g)
                seen = seen || char16_t(heads[g] & 0xffff) == first;
            if (seen)
                continue;
            if (first >= byFirst_.size())
                byFirst_.resize(std::size_t(first) + 1);
            byFirst_[first].push_back(int(r));
        }
    }
    byFirstBuilt_ = true;
}

void IncrementalSearch::ensureIndex() {
    if (indexed_)
        return;
    fields_ = dataset_->fieldCount();
    const int rows = dataset_->fetchedCount();
    heads_.assign(std::size_t(rows) * std::size_t(fields_), 0);
    rejectedBy_.assign(std::size_t(rows), 0);
    for (int r = 0; r < rows; ++r)
        indexRow(r);
    indexed_ = true;
}

// Brings the copy in step with the fetched rows: appends rows inserted since, drops a cancelled
// insert, and re-reads `fetchedRow` (-1 for none).
void IncrementalSearch::resync(int fetchedRow) {
    if (!indexed_)
        return;
    byFirstBuilt_ = false;
    const std::size_t before = rejectedBy_.size();
    const int rows = dataset_->fetchedCount();
    heads_.resize(std::size_t(rows) * std::size_t(fields_), 0);
    rejectedBy_.resize(std::size_t(rows), 0);
    for (std::size_t r = before; r < rejectedBy_.size(); ++r)
        indexRow(int(r));
    if (fetchedRow >= 0 && fetchedRow < rows) {
        indexRow(fetchedRow);
        rejectedBy_[std::size_t(fetchedRow)] = 0;
    }
}

void IncrementalSearch::indexRow(int fetchedRow) {
    std::uint64_t* heads = heads_.data() + std::size_t(fetchedRow) * std::size_t(fields_);
    for (int f = 0; f < fields_; ++f)
        heads[f] = headOf(dataset_->fetchedText(fetchedRow, f));
}

// Whether a field's text begins with the search text, read in full: for texts longer than the
// copy's four characters, and for a text holding U+0000, which the zero padding cannot tell.
bool IncrementalSearch::fieldBeginsWith(int fetchedRow, int field) {
    return beginsWithSearch(dataset_->fetchedText(fetchedRow, field), search_);
}

// Inline so that the loop over every row in filterRows() pays no call per row.
inline bool IncrementalSearch::rowMatches(int fetchedRow) {
    const std::uint64_t* heads = heads_.data() + std::size_t(fetchedRow) * std::size_t(fields_);
    for (int f = 0; f < fields_; ++f) {
        if (searchHasNul_ ? fieldBeginsWith(fetchedRow, f)
                          : (heads[f] & searchMask_) == searchHead_ &&
                                (search_.size() <= 4 || fieldBeginsWith(fetchedRow, f)))
            return true;
    }
    return false;
}

inline bool IncrementalSearch::acceptIndexed(int fetchedRow) {
    std::uint32_t& rejectedBy = rejectedBy_[std::size_t(fetchedRow)];
    if (rejectedBy != 0 && extendsText_[rejectedBy])
        return false;
    const bool accepted = rowMatches(fetchedRow);
    rejectedBy = accepted ? 0 : searchId_;
    return accepted;
}

bool IncrementalSearch::ADODataSet1FilterRecord(int fetchedRow) {
    ensureIndex();
    return acceptIndexed(fetchedRow);
}

void IncrementalSearch::filterRows(std::vector<int>& fetchedRows) {
    ensureIndex();
    if (search_.size() == 1 && !searchHasNul_)
        acceptByFirst(fetchedRows);
    else
        std::erase_if(fetchedRows, [this](int row) { return !acceptIndexed(row); });
}

// A text of one unit keeps the rows listed under it, without reading any row. Every other row
// is marked as rejected by it, so that the next keystroke passes over them.
void IncrementalSearch::acceptByFirst(std::vector<int>& fetchedRows) {
    ensureByFirst();
    const char16_t first = search_.at(0).unicode();
    static const std::vector<int> none;
    const std::vector<int>& listed = first < byFirst_.size() ? byFirst_[first] : none;
    std::vector<int> accepted;
    accepted.reserve(std::min(listed.size(), fetchedRows.size()));
    std::set_intersection(fetchedRows.begin(), fetchedRows.end(), listed.begin(), listed.end(),
                          std::back_inserter(accepted));
    std::fill(rejectedBy_.begin(), rejectedBy_.end(), searchId_);
    for (const int row : accepted)
        rejectedBy_[std::size_t(row)] = 0;
    fetchedRows.swap(accepted);
}

std::optional<QString> IncrementalSearch::highlighted(const DBGrid::DrawCell& cell) const {
    const QString search = edit_->text();
    if (search.isEmpty())
        return std::nullopt;
    QString text = cell.field.asString();
    if (!beginsWithSearch(text, search))
        return std::nullopt;
    return text;
}

void IncrementalSearch::DBGrid1DrawColumnCell(const DBGrid::DrawCell& cell) {
    if (const std::optional<QString> text = highlighted(cell))
        paintHighlight(*cell.canvas, cell.rect, *text, int(edit_->text().size()),
                       cell.canvas->brush().color());
}

void IncrementalSearch::paintHighlight(QPainter& painter, const QRect& cell, const QString& text,
                                       int length, const QColor& background) {
    if (!boldMetrics_ || grid_->font() != font_) {
        font_ = grid_->font();
        bold_ = font_;
        bold_.setBold(true);
        boldMetrics_ = std::make_unique<QFontMetrics>(bold_);
        prefixWidths_.clear();
    }
    const QString prefix = text.left(length);
    // The beginnings drawn in a repaint are few (the text in its cases), measured once.
    auto known = prefixWidths_.constFind(prefix);
    if (known == prefixWidths_.cend()) {
        if (prefixWidths_.size() >= 256)
            prefixWidths_.clear();
        known = prefixWidths_.insert(prefix, boldMetrics_->horizontalAdvance(prefix));
    }
    const int width = *known;

    // Written at the line's top rather than laid out in a rectangle: the same place for one
    // line, for much less work in a grid repainted at each keystroke.
    CellTextCache& texts = grid_->cellText();
    painter.save();
    painter.setClipRect(cell);
    painter.fillRect(cell, background);
    painter.setFont(bold_);
    painter.setPen(QColor(255, 0, 0));
    texts.draw(painter, cell.topLeft(), prefix);

    const QRect rest(cell.left() + width, cell.top(), cell.width() - width, cell.height());
    if (rest.width() > 0) {
        painter.setFont(font_);
        painter.setPen(grid_->palette().color(QPalette::Text));
        painter.setClipRect(rest);
        texts.draw(painter, rest.topLeft(), text.mid(length));
    }
    painter.restore();
}

} // namespace corvalen
