#include "db/dataset.h"

#include "db/connection.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
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

bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a == b;
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
    emit dataset_->rowChanged(dataset_->recNo());
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
        emit dataset_->rowChanged(dataset_->recNo());
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
    std::vector<ColumnInfo> columns = engine::describe(db, statementText());
    for (const QString& required : required_) {
        const bool present = std::any_of(columns.begin(), columns.end(), [&](const ColumnInfo& c) {
            return c.name.compare(required, Qt::CaseInsensitive) == 0;
        });
        if (!present)
            throw databaseError(
                QStringLiteral("%1: Field '%2' not found").arg(objectName(), required));
    }
    columns_ = std::move(columns);
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
    headRead_ = false;
    head_.reset();
    cur_ = -1;
    bof_ = true;
    eof_ = true;
    modified_ = false;
    state_ = State::Browse;
    emit stateChanged();
    emit rowsReset();
    emit currentChanged();
}

QSqlQuery Dataset::runStatement() const {
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(statementText()))
        throw engineError(query.lastError().databaseText());
    for (const QString& name : parameterNames(statementText()))
        query.bindValue(':' + name, engine::parameterToStorage(parameter(name)));
    if (!query.exec())
        throw engineError(query.lastError().databaseText());
    return query;
}

Dataset::Row Dataset::readRow(const QSqlQuery& query) const {
    Row row;
    row.values.resize(columns_.size());
    for (size_t i = 0; i < columns_.size(); ++i)
        row.values[i] = engine::fromStorage(columns_[i].type, query.value(int(i)));
    return row;
}

void Dataset::fetchAll() {
    QSqlQuery query = runStatement();
    while (query.next())
        rows_.push_back(readRow(query));
}

// The first row alone, for reading the current row before the rows are fetched. The statement
// is finished at once: an unfinished one would hold a read snapshot of the file open.
const Dataset::Row* Dataset::head() const {
    if (!headRead_) {
        QSqlQuery query = runStatement();
        if (query.next())
            head_ = readRow(query);
        headRead_ = true;
    }
    return head_ ? &*head_ : nullptr;
}

void Dataset::ensureFetched() {
    if (fetched_ || !isOpen())
        return;
    fetched_ = true; // set first: the accept rule reads fields while the list is built
    try {
        fetchAll();
    } catch (...) {
        rows_.clear();
        deletedRows_ = 0;
        visible_.clear();
        throw;
    }
    buildVisible();
    cur_ = visible_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = visible_.empty();
    if (headRead_) {
        // Bound controls showed the first row read alone; tell them if it has changed since.
        const bool changed =
            head_ ? visible_.empty() || rows_[size_t(visible_[0])].values != head_->values
                  : !visible_.empty();
        headRead_ = false;
        head_.reset();
        if (changed)
            emit currentChanged();
    }
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
    rows_.clear();
    deletedRows_ = 0;
    visible_.clear();
    columns_.clear();
    baseTable_.clear();
    displayFormats_.clear();
    pending_ = Row();
    original_ = Row();
    fetched_ = false;
    headRead_ = false;
    head_.reset();
    modified_ = false;
    cur_ = -1;
    bof_ = eof_ = true;
    state_ = State::Inactive;
    emit stateChanged();
    emit rowsReset();
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
    if (!isOpen())
        return false;
    return !baseTable().isEmpty();
}

QString Dataset::baseTable() const {
    return baseTable_;
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
    if (!fetched_)
        const_cast<Dataset*>(this)->ensureFetched();
    return cur_;
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

QVariant& Dataset::pendingValue(int field) {
    return pending_.values.at(size_t(field));
}

const QVariant& Dataset::currentValue(int field) const {
    static const QVariant null;
    if (field < 0 || field >= fieldCount())
        return null;
    if (probing_ >= 0)
        return rows_[size_t(probing_)].values[size_t(field)];
    if (isEditing())
        return pending_.values[size_t(field)];
    if (!fetched_ && isOpen() && !(filtered_ && (acceptRule_ || indexedRule_))) {
        // Before the rows are fetched the current row is the first one: read it alone.
        const Row* first = head();
        return first ? first->values[size_t(field)] : null;
    }
    const int row = recNo();
    if (row < 0)
        return null;
    return rows_[size_t(visible_[size_t(row)])].values[size_t(field)];
}

void Dataset::insert() {
    if (!isOpen())
        throw databaseError(objectName() + ": Cannot perform this operation on a closed dataset");
    checkBrowseMode();
    ensureFetched();
    const int at = std::max(cur_, 0);
    rows_.push_back(Row{std::vector<QVariant>(size_t(fieldCount())), false});
    visible_.insert(visible_.begin() + at, int(rows_.size()) - 1);
    pending_ = rows_.back();
    original_ = rows_.back();
    modified_ = false;
    cur_ = at;
    bof_ = eof_ = false;
    state_ = State::Insert;
    emit rowInserted(at);
    emit stateChanged();
    emit currentChanged();
}

void Dataset::append() {
    if (!isOpen())
        throw databaseError(objectName() + ": Cannot perform this operation on a closed dataset");
    checkBrowseMode();
    ensureFetched();
    last();
    const int at = visibleCount();
    rows_.push_back(Row{std::vector<QVariant>(size_t(fieldCount())), false});
    visible_.push_back(int(rows_.size()) - 1);
    pending_ = rows_.back();
    original_ = rows_.back();
    modified_ = false;
    cur_ = at;
    bof_ = eof_ = false;
    state_ = State::Insert;
    emit rowInserted(at);
    emit stateChanged();
    emit currentChanged();
}

void Dataset::edit() {
    if (!isOpen())
        throw databaseError(objectName() + ": Cannot perform this operation on a closed dataset");
    if (isEditing())
        return;
    if (isEmpty()) {
        insert();
        return;
    }
    if (!canModify())
        throw databaseError(objectName() + ": Cannot modify a read-only dataset");
    pending_ = rows_[size_t(visible_[size_t(cur_)])];
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
    rows_[size_t(visible_[size_t(cur_)])] = pending_;
    modified_ = false;
    setState(State::Browse);
    emit rowChanged(cur_);
    emit currentChanged();
}

void Dataset::cancel() {
    if (!isEditing())
        return;
    if (state_ == State::Insert) {
        const int at = cur_;
        visible_.erase(visible_.begin() + at);
        rows_.pop_back();
        pending_ = Row();
        modified_ = false;
        state_ = State::Browse;
        if (cur_ >= visibleCount())
            cur_ = visibleCount() - 1;
        emit rowRemoved(at);
        emit stateChanged();
        emit currentChanged();
        return;
    }
    pending_ = Row();
    modified_ = false;
    setState(State::Browse);
    emit rowChanged(cur_);
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
    if (!isOpen())
        throw databaseError(objectName() + ": Cannot perform this operation on a closed dataset");
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
    Row& row = rows_[size_t(visible_[size_t(cur_)])];
    QVariantList binds;
    const QString where = whereForRow(row, &binds);
    execute(QStringLiteral("DELETE FROM %1 WHERE %2").arg(baseTable(), where), binds);
    row.deleted = true;
    ++deletedRows_;
    const int at = cur_;
    visible_.erase(visible_.begin() + at);
    if (cur_ >= visibleCount())
        cur_ = visibleCount() - 1;
    emit rowRemoved(at);
    emit currentChanged();
}

QString Dataset::whereForRow(const Row& original, QVariantList* binds) const {
    QStringList keyTerms;
    QStringList allTerms;
    QVariantList keyBinds;
    QVariantList allBinds;
    for (int i = 0; i < fieldCount(); ++i) {
        const ColumnInfo& c = columns_[size_t(i)];
        if (c.table.isEmpty())
            continue;
        const QVariant v = engine::toStorage(c.type, original.values[size_t(i)]);
        if (c.primaryKey) {
            keyTerms << QStringLiteral("%1 = ?").arg(c.origin);
            keyBinds << v;
        }
        if (c.type == FieldType::Memo)
            continue;
        allTerms << QStringLiteral("%1 IS ?").arg(c.origin);
        allBinds << v;
    }
    // Without the key in the result the row is found by its original values, as an optimistic
    // update does.
    if (!keyTerms.isEmpty()) {
        *binds += keyBinds;
        return keyTerms.join(QStringLiteral(" AND "));
    }
    *binds += allBinds;
    return allTerms.join(QStringLiteral(" AND "));
}

void Dataset::execute(const QString& sql, const QVariantList& binds, qint64* insertId) {
    QSqlQuery query(database());
    if (!query.prepare(sql))
        throw engineError(query.lastError().databaseText());
    for (int i = 0; i < binds.size(); ++i)
        query.bindValue(i, binds.at(i));
    if (!query.exec())
        throw engineError(query.lastError().databaseText());
    if (insertId)
        *insertId = query.lastInsertId().toLongLong();
    else if (query.numRowsAffected() == 0)
        throw databaseError(QStringLiteral("Row cannot be located for updating. Some values may "
                                           "have been changed since it was last read"));
}

void Dataset::writeRow(bool inserting) {
    const QString table = baseTable();
    if (table.isEmpty())
        throw databaseError(objectName() + ": Cannot modify a read-only dataset");
    if (inserting) {
        QStringList names;
        QStringList marks;
        QVariantList binds;
        for (int i = 0; i < fieldCount(); ++i) {
            const ColumnInfo& c = columns_[size_t(i)];
            const QVariant& v = pending_.values[size_t(i)];
            if (c.table.isEmpty() || c.type == FieldType::AutoInc || v.isNull())
                continue;
            names << c.origin;
            marks << QStringLiteral("?");
            binds << engine::toStorage(c.type, v);
        }
        const QString sql = names.isEmpty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(table, names.join(", "), marks.join(", "));
        qint64 id = 0;
        execute(sql, binds, &id);
        for (int i = 0; i < fieldCount(); ++i)
            if (columns_[size_t(i)].type == FieldType::AutoInc)
                pending_.values[size_t(i)] = qlonglong(id);
        return;
    }
    QStringList sets;
    QVariantList binds;
    for (int i = 0; i < fieldCount(); ++i) {
        const ColumnInfo& c = columns_[size_t(i)];
        if (c.table.isEmpty() || c.type == FieldType::AutoInc)
            continue;
        if (sameValue(pending_.values[size_t(i)], original_.values[size_t(i)]))
            continue;
        sets << QStringLiteral("%1 = ?").arg(c.origin);
        binds << engine::toStorage(c.type, pending_.values[size_t(i)]);
    }
    if (sets.isEmpty())
        return;
    const QString where = whereForRow(original_, &binds);
    execute(QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, sets.join(", "), where), binds);
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
    filtered_ = on;
    if (!isOpen() || !fetched_)
        return;
    buildVisible();
    cur_ = visible_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = visible_.empty();
    emit rowsReset();
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
