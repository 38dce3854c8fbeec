#include "db/dataset.h"

#include "db/connection.h"
#include "db/rowwriter.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <numeric>

namespace corvalen::db {

namespace {

// Named parameters of a statement, in order of appearance, outside string literals.
QStringList parameterNames(const QString& sql) {
    QStringList names;
    QChar quote;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ':' && i + 1 < sql.size() &&
                   (sql.at(i + 1).isLetter() || sql.at(i + 1) == '_') &&
                   (i == 0 || !(sql.at(i - 1).isLetterOrNumber() || sql.at(i - 1) == ':'))) {
            int j = i + 1;
            while (j < sql.size() && (sql.at(j).isLetterOrNumber() || sql.at(j) == '_'))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1);
            if (!names.contains(name, Qt::CaseInsensitive))
                names << name;
            i = j - 1;
        }
    }
    return names;
}

QString delphiToQtFormat(const QString& format) {
    // Delphi writes minutes as "nn" and months as "mm".
    QString f = format;
    f.replace(QStringLiteral("mm"), QStringLiteral("MM"));
    f.replace(QStringLiteral("nn"), QStringLiteral("mm"));
    return f;
}

QString valueText(FieldType type, const QVariant& v) {
    if (v.isNull() || !v.isValid())
        return {};
    switch (type) {
    case FieldType::Date:
        if (v.typeId() == QMetaType::QDate)
            return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
        break;
    case FieldType::Time:
        if (v.typeId() == QMetaType::QTime)
            return v.toTime().toString(QStringLiteral("hh:mm:ss"));
        break;
    case FieldType::DateTime:
        if (v.typeId() == QMetaType::QDateTime)
            return v.toDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
        break;
    default:
        break;
    }
    return v.toString();
}

} // namespace

// ---------------------------------------------------------------------------------- Field

QString Field::name() const {
    return dataset_->column(index_).name;
}
FieldType Field::type() const {
    return dataset_->column(index_).type;
}
int Field::size() const {
    return dataset_->column(index_).width;
}
bool Field::isNull() const {
    return value().isNull();
}

bool Field::readOnly() const {
    const ColumnInfo& c = dataset_->column(index_);
    return c.type == FieldType::AutoInc || c.table.isEmpty() || !dataset_->canModify();
}

QVariant Field::value() const {
    return dataset_->currentValue(index_);
}
QString Field::asString() const {
    return valueText(type(), value());
}

QString Field::displayText() const {
    const QString format = displayFormat();
    const QVariant v = value();
    if (!format.isEmpty() && !v.isNull()) {
        const QString qt = delphiToQtFormat(format);
        if (v.typeId() == QMetaType::QTime)
            return v.toTime().toString(qt);
        if (v.typeId() == QMetaType::QDate)
            return v.toDate().toString(qt);
        if (v.typeId() == QMetaType::QDateTime)
            return v.toDateTime().toString(qt);
    }
    return asString();
}

int Field::asInteger() const {
    const QVariant v = value();
    if (v.isNull())
        throw nullToInteger();
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
        return v.toInt();
    return toInteger(v.toString());
}

void Field::setValue(const QVariant& v) {
    dataset_->requireEditing();
    QVariant stored;
    if (v.isValid() && !v.isNull()) {
        switch (type()) {
        case FieldType::Integer:
        case FieldType::AutoInc:
            if (v.typeId() == QMetaType::QString) {
                setAsString(v.toString());
                return;
            }
            stored = v.toLongLong();
            break;
        case FieldType::Date:
        case FieldType::Time:
        case FieldType::DateTime:
            if (v.typeId() == QMetaType::QString) {
                setAsString(v.toString());
                return;
            }
            stored = v;
            break;
        case FieldType::String:
        case FieldType::Memo:
            stored = v.toString();
            break;
        default:
            stored = v;
        }
    }
    QVariant& target = dataset_->pendingValue(index_);
    target = stored;
    dataset_->modified_ = true;
    emit dataset_->fieldChanged(index_);
    emit dataset_->rowChanged(dataset_->knownRecNo());
}

void Field::setAsString(const QString& text) {
    QVariant v;
    switch (type()) {
    case FieldType::String:
    case FieldType::Memo:
    case FieldType::Unknown:
        v = text;
        break;
    case FieldType::Integer:
    case FieldType::AutoInc:
        if (!text.isEmpty())
            v = qlonglong(toInteger(text));
        break;
    case FieldType::Float:
        if (!text.isEmpty()) {
            bool ok = false;
            const double d = QString(text).replace(',', '.').toDouble(&ok);
            if (!ok)
                throw convertError(
                    QStringLiteral("'%1' is not a valid floating point value").arg(text));
            v = d;
        }
        break;
    case FieldType::Date:
        if (!text.trimmed().isEmpty()) {
            const QDate d = QDate::fromString(text.trimmed(), QStringLiteral("d/M/yyyy"));
            if (!d.isValid())
                throw convertError(QStringLiteral("'%1' is not a valid date").arg(text));
            v = d;
        }
        break;
    case FieldType::Time:
        if (!text.trimmed().isEmpty()) {
            QTime t = QTime::fromString(text.trimmed(), QStringLiteral("H:mm"));
            if (!t.isValid())
                t = QTime::fromString(text.trimmed(), QStringLiteral("H:mm:ss"));
            if (!t.isValid())
                throw convertError(QStringLiteral("'%1' is not a valid time").arg(text));
            v = t;
        }
        break;
    case FieldType::DateTime:
        if (!text.trimmed().isEmpty()) {
            QDateTime dt =
                QDateTime::fromString(text.trimmed(), QStringLiteral("d/M/yyyy H:mm:ss"));
            if (!dt.isValid())
                dt = QDateTime::fromString(text.trimmed(), QStringLiteral("d/M/yyyy"));
            if (!dt.isValid())
                throw convertError(QStringLiteral("'%1' is not a valid date and time").arg(text));
            v = dt;
        }
        break;
    }
    if (v.isNull() && type() != FieldType::String && type() != FieldType::Memo) {
        dataset_->requireEditing();
        dataset_->pendingValue(index_) = QVariant();
        dataset_->modified_ = true;
        emit dataset_->fieldChanged(index_);
        emit dataset_->rowChanged(dataset_->knownRecNo());
        return;
    }
    setValue(v);
}

void Field::clear() {
    setValue(QVariant());
}

QString Field::displayFormat() const {
    return dataset_->displayFormats_.at(size_t(index_));
}

void Field::setDisplayFormat(const QString& format) {
    dataset_->setDisplayFormat(name(), format);
}

// -------------------------------------------------------------------------------- Dataset

Dataset::Dataset(const QString& name, QObject* parent) : QObject(parent) {
    setObjectName(name);
}

Dataset::~Dataset() = default;

void Dataset::setDatabase(const QSqlDatabase& db) {
    close();
    db_ = db;
    dbSet_ = true;
}

QSqlDatabase Dataset::database() const {
    return dbSet_ ? db_ : QSqlDatabase::database(Connection::sharedName(), false);
}

void Dataset::setSql(const QStringList& lines) {
    close();
    sql_ = lines;
}

void Dataset::clearSql() {
    close();
    sql_.clear();
}

void Dataset::addSql(const QString& line) {
    close();
    sql_ << line;
}

QString Dataset::statementText() const {
    QString text;
    for (const QString& line : sql_)
        text += line + QStringLiteral("\r\n");
    return text;
}

void Dataset::setParameter(const QString& name, const QVariant& value) {
    for (auto& p : params_) {
        if (p.first.compare(name, Qt::CaseInsensitive) == 0) {
            p.second = value;
            return;
        }
    }
    params_.emplace_back(name, value);
}

QVariant Dataset::parameter(const QString& name) const {
    for (const auto& p : params_)
        if (p.first.compare(name, Qt::CaseInsensitive) == 0)
            return p.second;
    return {};
}

void Dataset::setRequiredFields(const QStringList& columns) {
    required_ = columns;
}

void Dataset::setDisplayFormat(const QString& column, const QString& format) {
    bool found = false;
    for (auto& f : formatByColumn_) {
        if (f.first.compare(column, Qt::CaseInsensitive) == 0) {
            f.second = format;
            found = true;
        }
    }
    if (!found)
        formatByColumn_.emplace_back(column, format);
    const int i = fieldIndex(column);
    if (i >= 0)
        displayFormats_[size_t(i)] = format;
}

void Dataset::open() {
    if (isOpen())
        return;
    emit beforeAction();
    QSqlDatabase db = database();
    if (!db.isOpen())
        throw engineError(QStringLiteral("Operation is not allowed when the object is closed."));
    const QString text = statementText();
    std::vector<ColumnInfo> columns = engine::describe(db, text);
    for (const QString& required : required_) {
        const bool present = std::any_of(columns.begin(), columns.end(), [&](const ColumnInfo& c) {
            return c.name.compare(required, Qt::CaseInsensitive) == 0;
        });
        if (!present)
            throw databaseError(
                QStringLiteral("%1: Field '%2' not found").arg(objectName(), required));
    }
    const QStringList names = parameterNames(text);
    const std::vector<FieldType> compared = engine::parameterTypes(db, text, names);
    std::vector<std::pair<QString, QVariant>> binds;
    for (qsizetype i = 0; i < names.size(); ++i)
        binds.emplace_back(names.at(i),
                           engine::parameterToStorage(compared[size_t(i)], parameter(names.at(i))));

    resetRows([&] {
        columns_ = std::move(columns);
        binds_ = std::move(binds);
        baseTable_ = findBaseTable(); // asked for each cell a grid draws
        displayFormats_.assign(columns_.size(), QString());
        for (const auto& f : formatByColumn_) {
            const int i = fieldIndex(f.first);
            if (i >= 0)
                displayFormats_[size_t(i)] = f.second;
        }
        rows_.clear();
        deletedRows_ = 0;
        visible_.clear();
        fetched_ = false;
        holeAt_ = 0;
        headRead_ = false;
        head_.reset();
        readFailed_ = false;
        cur_ = -1;
        onHead_ = true;
        bof_ = true;
        eof_ = true;
        modified_ = false;
        state_ = State::Browse;
    });
    emit stateChanged();
    emit currentChanged();
}

void Dataset::resetRows(const std::function<void()>& change) {
    emit rowsAboutToReset();
    change();
    emit rowsReset();
}

std::unique_ptr<engine::Rows> Dataset::runStatement(int rowsWanted) {
    QSqlDatabase db = database();
    return engine::select(db, statementText(), binds_, rowsWanted);
}

Dataset::Row Dataset::readRow(const engine::Rows& rows) const {
    Row row;
    row.values.resize(columns_.size());
    for (size_t i = 0; i < columns_.size(); ++i)
        row.values[i] = engine::fromStorage(columns_[i].type, rows.value(int(i)));
    return row;
}

std::vector<Dataset::Row> Dataset::fetchAll() {
    const std::unique_ptr<engine::Rows> result = runStatement();
    std::vector<Row> rows;
    while (result->next())
        rows.push_back(readRow(*result));
    return rows;
}

void Dataset::readFailed() {
    readFailed_ = true;
}

// Controls and grids that showed nothing for a failed read show the rows now.
void Dataset::readSucceeded() {
    if (!readFailed_)
        return;
    readFailed_ = false;
    emit rowsAboutToReset();
    emit rowsReset();
    emit currentChanged();
}

bool Dataset::rowsReadAlone() const {
    return !(filtered_ && (acceptRule_ || indexedRule_));
}

bool Dataset::keyed() const {
    return std::any_of(columns_.begin(), columns_.end(),
                       [](const ColumnInfo& c) { return c.primaryKey && !c.table.isEmpty(); });
}

// Both rows hold the same key (never true without a key, or for a row not posted yet).
bool Dataset::sameKey(const Row& a, const Row& b) const {
    bool keyed = false;
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (!columns_[i].primaryKey || columns_[i].table.isEmpty())
            continue;
        if (a.values[i].isNull() || b.values[i].isNull() || a.values[i] != b.values[i])
            return false;
        keyed = true;
    }
    return keyed;
}

// The first row alone, with a peek at the second: a result of one row (a record editor's) or
// none is complete at once. The statement is finished before returning: an unfinished one
// would hold a read snapshot of the file open.
const Dataset::Row* Dataset::head() {
    if (!fetched_ && !headRead_) {
        std::vector<Row> first;
        try {
            const std::unique_ptr<engine::Rows> result = runStatement(2);
            while (first.size() < 2 && result->next())
                first.push_back(readRow(*result));
        } catch (...) {
            readFailed();
            throw;
        }
        if (first.size() < 2) {
            adoptFetched(std::move(first));
        } else {
            head_ = std::move(first.front());
            headRead_ = true;
        }
        readSucceeded();
    }
    return fetched_ || !head_ ? nullptr : &*head_;
}

void Dataset::ensureFetched() {
    if (fetched_ || !isOpen())
        return;
    std::vector<Row> rows;
    try {
        rows = fetchAll();
    } catch (...) {
        readFailed();
        throw;
    }
    adoptFetched(std::move(rows));
    readSucceeded();
}

// Makes the fetched rows the dataset's rows, among the rows added here before the fetch.
void Dataset::adoptFetched(std::vector<Row> fetched) {
    // The first row keeps the values shown before the fetch, even if another connection has
    // changed them since: a snapshot does not change under a control.
    if (head_) {
        if (keyed()) {
            const auto same = std::find_if(fetched.begin(), fetched.end(),
                                           [&](const Row& r) { return sameKey(r, *head_); });
            if (same != fetched.end())
                fetched.erase(same);
            fetched.insert(fetched.begin(), *head_);
        } else if (!fetched.empty()) {
            fetched.front() = *head_;
        } else {
            fetched.push_back(*head_);
        }
    }
    // Rows added here and posted are in the result already.
    const std::vector<int> added = visible_;
    if (!added.empty()) {
        std::erase_if(fetched, [&](const Row& r) {
            return std::any_of(added.begin(), added.end(),
                               [&](int i) { return sameKey(rows_[size_t(i)], r); });
        });
    }
    std::vector<Row> ordered;
    ordered.reserve(added.size() + fetched.size());
    int current = -1;
    const auto take = [&](int k) {
        if (!onHead_ && cur_ == k)
            current = int(ordered.size());
        ordered.push_back(std::move(rows_[size_t(added[size_t(k)])]));
    };
    for (int k = 0; k < holeAt_; ++k)
        take(k);
    const int firstFetched = int(ordered.size());
    for (Row& r : fetched)
        ordered.push_back(std::move(r));
    for (int k = holeAt_; k < int(added.size()); ++k)
        take(k);
    if (onHead_)
        current = ordered.empty() ? -1 : std::min(firstFetched, int(ordered.size()) - 1);

    rows_ = std::move(ordered);
    deletedRows_ = 0;
    holeAt_ = 0;
    headRead_ = false;
    head_.reset();
    onHead_ = false;
    fetched_ = true; // set first: the accept rule reads fields while the list is built
    buildVisible();
    cur_ = rowsReadAlone() ? current : (visible_.empty() ? -1 : 0);
    bof_ = cur_ <= 0;
    eof_ = visible_.empty();
}

bool Dataset::accepts(int fetchedRow) {
    if (!acceptRule_)
        return true;
    const int saved = probing_;
    probing_ = fetchedRow;
    bool ok = false;
    try {
        ok = acceptRule_(*this);
    } catch (...) {
        probing_ = saved;
        throw;
    }
    probing_ = saved;
    return ok;
}

void Dataset::buildVisible() {
    // Every row that is not deleted. This runs on each keystroke of an incremental search:
    // without deleted rows it does not read the rows at all.
    visible_.resize(rows_.size());
    if (deletedRows_ == 0) {
        std::iota(visible_.begin(), visible_.end(), 0);
    } else {
        size_t kept = 0;
        for (size_t i = 0; i < rows_.size(); ++i) {
            visible_[kept] = int(i);
            kept += !rows_[i].deleted;
        }
        visible_.resize(kept);
    }
    if (!filtered_)
        return;
    if (indexedRule_)
        indexedRule_(visible_);
    else if (acceptRule_)
        std::erase_if(visible_, [this](int row) { return !accepts(row); });
}

void Dataset::close() {
    if (!isOpen())
        return;
    emit beforeAction();
    resetRows([&] {
        rows_.clear();
        deletedRows_ = 0;
        visible_.clear();
        columns_.clear();
        binds_.clear();
        baseTable_.clear();
        displayFormats_.clear();
        pending_ = Row();
        original_ = Row();
        fetched_ = false;
        holeAt_ = 0;
        headRead_ = false;
        head_.reset();
        readFailed_ = false;
        modified_ = false;
        cur_ = -1;
        onHead_ = false;
        bof_ = eof_ = true;
        state_ = State::Inactive;
    });
    emit stateChanged();
    emit currentChanged();
}

void Dataset::requery() {
    close();
    open();
}

void Dataset::refresh() {
    if (!isOpen())
        return;
    checkBrowseMode();
    const int row = recNo();
    close();
    open();
    ensureFetched();
    if (row > 0 && !visible_.empty()) {
        cur_ = std::min(row, int(visible_.size()) - 1);
        bof_ = eof_ = false;
        emit currentChanged();
    }
}

bool Dataset::canModify() const {
    return isOpen() && !baseTable_.isEmpty();
}

// The one table the columns come from, or none when they come from several (or none).
QString Dataset::findBaseTable() const {
    QString table;
    for (const ColumnInfo& c : columns_) {
        if (c.table.isEmpty())
            continue;
        if (table.isEmpty())
            table = c.table;
        else if (table.compare(c.table, Qt::CaseInsensitive) != 0)
            return {};
    }
    return table;
}

int Dataset::visibleCount() const {
    return int(visible_.size());
}

int Dataset::fetchedAt(int row) const {
    return visible_.at(size_t(row));
}

int Dataset::recNo() const {
    auto* self = const_cast<Dataset*>(this);
    if (!fetched_ && isOpen()) {
        if (rowsReadAlone() && onHead_) {
            self->head();
            if (!fetched_)
                return holeAt_;
        } else if (rowsReadAlone() && cur_ >= 0 && cur_ < holeAt_) {
            return cur_;
        } else {
            self->ensureFetched();
        }
    }
    return cur_;
}

int Dataset::knownRecNo() const {
    if (fetched_)
        return cur_;
    return !onHead_ && cur_ < holeAt_ ? cur_ : -1;
}

bool Dataset::bof() {
    ensureFetched();
    return bof_;
}

bool Dataset::eof() {
    ensureFetched();
    return eof_;
}

int Dataset::recordCount() {
    ensureFetched();
    return visibleCount();
}

bool Dataset::isEmpty() {
    // A row added here, or a first row read alone, is enough to know.
    if (!fetched_ && isOpen() && rowsReadAlone() && (!visible_.empty() || head()))
        return false;
    return recordCount() == 0;
}

void Dataset::setCurrent(int row) {
    const int before = cur_;
    cur_ = row;
    if (before != cur_)
        emit currentChanged();
}

void Dataset::first() {
    if (!isOpen())
        return;
    checkBrowseMode();
    ensureFetched();
    setCurrent(visible_.empty() ? -1 : 0);
    bof_ = true;
    eof_ = visible_.empty();
}

void Dataset::last() {
    if (!isOpen())
        return;
    checkBrowseMode();
    ensureFetched();
    setCurrent(visibleCount() - 1);
    eof_ = true;
    bof_ = visible_.empty();
}

void Dataset::next() {
    if (!isOpen())
        return;
    checkBrowseMode();
    ensureFetched();
    if (cur_ + 1 < visibleCount()) {
        setCurrent(cur_ + 1);
        bof_ = eof_ = false;
    } else {
        eof_ = true;
    }
}

void Dataset::prior() {
    if (!isOpen())
        return;
    checkBrowseMode();
    ensureFetched();
    if (cur_ > 0) {
        setCurrent(cur_ - 1);
        bof_ = eof_ = false;
    } else {
        bof_ = true;
    }
}

void Dataset::moveTo(int row) {
    if (!isOpen())
        return;
    ensureFetched();
    if (row == cur_)
        return;
    checkBrowseMode();
    if (visible_.empty())
        return;
    row = std::clamp(row, 0, visibleCount() - 1);
    setCurrent(row);
    bof_ = eof_ = false;
}

void Dataset::setState(State s) {
    if (state_ == s)
        return;
    state_ = s;
    emit stateChanged();
}

Error Dataset::notInEditMode() const {
    return databaseError(objectName() + QStringLiteral(": Dataset not in edit or insert mode"));
}

void Dataset::requireEditing() const {
    if (!isEditing())
        throw notInEditMode();
}

void Dataset::requireOpen() const {
    if (!isOpen())
        throw databaseError(objectName() + ": Cannot perform this operation on a closed dataset");
}

QVariant& Dataset::pendingValue(int field) {
    return pending_.values.at(size_t(field));
}

const QVariant& Dataset::currentValue(int field) {
    static const QVariant null;
    if (field < 0 || field >= fieldCount())
        return null;
    if (probing_ >= 0)
        return rows_[size_t(probing_)].values[size_t(field)];
    if (isEditing())
        return pending_.values[size_t(field)];
    if (!isOpen())
        return null;
    if (!fetched_ && rowsReadAlone()) {
        // Before the rows are fetched the current row is the first one, read alone, or a row
        // added here.
        if (!onHead_)
            return rows_[size_t(visible_[size_t(cur_)])].values[size_t(field)];
        if (const Row* first = head())
            return first->values[size_t(field)];
    }
    const int row = recNo();
    if (row < 0)
        return null;
    return rows_[size_t(visible_[size_t(row)])].values[size_t(field)];
}

// The row under the cursor, in memory: the first row read alone, or a row of rows_.
Dataset::Row& Dataset::currentRow() {
    if (!fetched_ && onHead_ && rowsReadAlone() && head())
        return *head_;
    return rows_[size_t(visible_[size_t(cur_)])];
}

void Dataset::insert() {
    addRow(false);
}

void Dataset::append() {
    addRow(true);
}

// A new empty row becomes the current row: before the current row (Insert) or after the last
// (Append). Before the rows are fetched it is added without fetching them, when the result
// holds its table's key (rows posted from here are then told apart from the fetched ones).
void Dataset::addRow(bool append) {
    requireOpen();
    checkBrowseMode();
    if (!fetched_ && (!rowsReadAlone() || !keyed()))
        ensureFetched();
    if (!fetched_)
        head(); // completes the rows when the result has fewer than two
    int at = 0;
    if (fetched_) {
        if (append)
            last();
        at = append ? visibleCount() : std::max(cur_, 0);
    } else if (append) {
        at = int(visible_.size());
    } else if (onHead_) {
        at = holeAt_++;
    } else {
        at = cur_;
        if (cur_ < holeAt_)
            ++holeAt_;
    }
    onHead_ = false;
    rows_.push_back(Row{std::vector<QVariant>(size_t(fieldCount())), false});
    visible_.insert(visible_.begin() + at, int(rows_.size()) - 1);
    pending_ = rows_.back();
    original_ = rows_.back();
    modified_ = false;
    cur_ = at;
    bof_ = eof_ = false;
    state_ = State::Insert;
    emit rowInserted(knownRecNo());
    emit stateChanged();
    emit currentChanged();
}

void Dataset::edit() {
    requireOpen();
    if (isEditing())
        return;
    if (isEmpty()) {
        insert();
        return;
    }
    if (!canModify())
        throw databaseError(objectName() + ": Cannot modify a read-only dataset");
    pending_ = currentRow();
    original_ = pending_;
    modified_ = false;
    setState(State::Edit);
}

void Dataset::updateRecord() {
    const auto links = links_;
    for (DataLink* link : links)
        link->updateRecord();
}

void Dataset::post() {
    requireEditing();
    updateRecord();
    const bool inserting = state_ == State::Insert;
    writeRow(inserting);
    currentRow() = pending_;
    modified_ = false;
    setState(State::Browse);
    emit rowChanged(knownRecNo());
    emit currentChanged();
}

void Dataset::cancel() {
    if (!isEditing())
        return;
    if (state_ == State::Insert) {
        dropInsertedRow();
        return;
    }
    pending_ = Row();
    modified_ = false;
    setState(State::Browse);
    emit rowChanged(knownRecNo());
    emit currentChanged();
}

// Drops the row being inserted; the row that followed it becomes current (the one before it
// when it was the last).
void Dataset::dropInsertedRow() {
    const int at = cur_;
    const int removed = knownRecNo();
    const bool above = !fetched_ && at < holeAt_; // added above the rows still to be fetched
    const size_t index = size_t(visible_[size_t(at)]);
    visible_.erase(visible_.begin() + at);
    if (index + 1 == rows_.size()) {
        rows_.pop_back();
    } else {
        rows_[index].deleted = true;
        ++deletedRows_;
    }
    pending_ = Row();
    modified_ = false;
    state_ = State::Browse;
    if (fetched_) {
        if (cur_ >= visibleCount())
            cur_ = visibleCount() - 1;
    } else if (above) {
        --holeAt_;
        onHead_ = at == holeAt_; // else the next row added here
    } else if (at < int(visible_.size())) {
        cur_ = at;
    } else if (at > holeAt_) {
        cur_ = at - 1;
    } else {
        // It was the only row appended: the last fetched row is current. A failed read shows
        // the first row meanwhile and is reported by the next access.
        onHead_ = true;
        try {
            ensureFetched();
            cur_ = visibleCount() - 1;
        } catch (const std::exception&) {
        }
    }
    if (onHead_ && !fetched_)
        cur_ = -1;
    emit rowRemoved(removed);
    emit stateChanged();
    emit currentChanged();
}

void Dataset::checkBrowseMode() {
    if (!isEditing())
        return;
    updateRecord();
    if (modified_)
        post();
    else
        cancel();
}

void Dataset::remove() {
    requireOpen();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    if (isEmpty())
        throw databaseError(objectName() +
                            QStringLiteral(": Cannot perform this operation on an empty dataset"));
    if (state_ == State::Edit)
        cancel();
    if (!canModify())
        throw databaseError(objectName() + ": Cannot modify a read-only dataset");
    ensureFetched();
    Row& row = rows_[size_t(visible_[size_t(cur_)])];
    RowWriter(database(), baseTable_, columns_).remove(row.values);
    row.deleted = true;
    ++deletedRows_;
    const int at = cur_;
    visible_.erase(visible_.begin() + at);
    if (cur_ >= visibleCount())
        cur_ = visibleCount() - 1;
    emit rowRemoved(at);
    emit currentChanged();
}

void Dataset::writeRow(bool inserting) {
    if (baseTable_.isEmpty())
        throw databaseError(objectName() + ": Cannot modify a read-only dataset");
    RowWriter writer(database(), baseTable_, columns_);
    if (!inserting) {
        writer.update(original_.values, pending_.values);
        return;
    }
    const QVariant key = writer.insert(pending_.values);
    for (int i = 0; i < fieldCount(); ++i)
        if (columns_[size_t(i)].type == FieldType::AutoInc)
            pending_.values[size_t(i)] = key.isNull() ? QVariant() : QVariant(key.toLongLong());
}

Field Dataset::field(int index) {
    if (index < 0 || index >= fieldCount())
        throw listIndexError(index);
    return Field(this, index);
}

int Dataset::fieldIndex(const QString& name) const {
    for (int i = 0; i < fieldCount(); ++i)
        if (columns_[size_t(i)].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Field Dataset::fieldByName(const QString& name) {
    const int i = fieldIndex(name);
    if (i < 0)
        throw databaseError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), name));
    return Field(this, i);
}

QVariant Dataset::valueAt(int row, int field) {
    ensureFetched();
    if (row < 0 || row >= visibleCount() || field < 0 || field >= fieldCount())
        return {};
    if (row == cur_ && isEditing())
        return pending_.values[size_t(field)];
    return rows_[size_t(visible_[size_t(row)])].values[size_t(field)];
}

QString Dataset::textAt(int row, int field) {
    if (field < 0 || field >= fieldCount())
        return {};
    return valueText(columns_[size_t(field)].type, valueAt(row, field));
}

QString Dataset::displayTextAt(int row, int field) {
    if (field < 0 || field >= fieldCount())
        return {};
    const QString format = displayFormats_[size_t(field)];
    const QVariant v = valueAt(row, field);
    if (!format.isEmpty() && v.typeId() == QMetaType::QTime)
        return v.toTime().toString(delphiToQtFormat(format));
    if (!format.isEmpty() && v.typeId() == QMetaType::QDate)
        return v.toDate().toString(delphiToQtFormat(format));
    return valueText(columns_[size_t(field)].type, v);
}

void Dataset::setFiltered(bool on) {
    if (filtered_ == on)
        return;
    if (isOpen())
        checkBrowseMode();
    if (!isOpen() || !fetched_) {
        filtered_ = on;
        return;
    }
    resetRows([&] {
        filtered_ = on;
        buildVisible();
        cur_ = visible_.empty() ? -1 : 0;
        bof_ = true;
        eof_ = visible_.empty();
    });
    emit currentChanged();
}

int Dataset::fetchedCount() {
    ensureFetched();
    return int(rows_.size());
}

QVariant Dataset::fetchedValue(int fetchedRow, int field) {
    ensureFetched();
    return rows_.at(size_t(fetchedRow)).values.at(size_t(field));
}

QString Dataset::fetchedText(int fetchedRow, int field) {
    return valueText(columns_.at(size_t(field)).type, fetchedValue(fetchedRow, field));
}

int Dataset::fetchedIndexOf(int row) const {
    return visible_.at(size_t(row));
}

Dataset::RowScope::RowScope(Dataset& dataset, int row)
    : dataset_(dataset), saved_(dataset.probing_) {
    dataset.ensureFetched();
    if (row >= 0 && row < dataset.visibleCount() && !(row == dataset.cur_ && dataset.isEditing()))
        dataset.probing_ = dataset.fetchedAt(row);
}

Dataset::RowScope::~RowScope() {
    dataset_.probing_ = saved_;
}

void Dataset::addLink(DataLink* link) {
    if (std::find(links_.begin(), links_.end(), link) == links_.end())
        links_.push_back(link);
}

void Dataset::removeLink(DataLink* link) {
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

QString Dataset::stateName(State s) {
    switch (s) {
    case State::Inactive:
        return QStringLiteral("inactive");
    case State::Browse:
        return QStringLiteral("browse");
    case State::Edit:
        return QStringLiteral("edit");
    case State::Insert:
        return QStringLiteral("insert");
    }
    return {};
}

} // namespace corvalen::db
