#include "db/rowwriter.h"

namespace corvalen::db {

namespace {

bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a == b;
}

} // namespace

RowWriter::RowWriter(QSqlDatabase db, QString table, const std::vector<ColumnInfo>& columns)
    : db_(std::move(db)), table_(std::move(table)), columns_(columns) {}

Error RowWriter::rowNotFound() {
    return databaseError(QStringLiteral("Row cannot be located for updating. Some values may "
                                        "have been changed since it was last read"));
}

bool RowWriter::written(size_t column) const {
    const ColumnInfo& c = columns_[column];
    return !c.table.isEmpty() && c.table.compare(table_, Qt::CaseInsensitive) == 0 &&
           c.type != FieldType::AutoInc;
}

QString RowWriter::findRow(const std::vector<QVariant>& original,
                           const std::vector<size_t>& compared, QVariantList* binds) const {
    QStringList terms;
    for (size_t i = 0; i < columns_.size(); ++i) {
        const ColumnInfo& c = columns_[i];
        if (c.primaryKey && !c.table.isEmpty()) {
            terms << QStringLiteral("%1 = ?").arg(c.origin);
            *binds << engine::toStorage(c.type, original[i]);
        }
    }
    std::vector<size_t> all;
    if (terms.isEmpty()) {
        for (size_t i = 0; i < columns_.size(); ++i)
            if (!columns_[i].table.isEmpty())
                all.push_back(i);
    }
    for (const size_t i : terms.isEmpty() ? all : compared) {
        const ColumnInfo& c = columns_[i];
        terms << engine::sameValueCondition(db_, c.origin, c.type);
        *binds << engine::toStorage(c.type, original[i]);
    }
    return terms.join(QStringLiteral(" AND "));
}

void RowWriter::execute(const QString& sql, const QVariantList& binds, bool mustFindRow,
                        QVariant* newKey) {
    QSqlQuery query(db_);
    if (!query.prepare(sql))
        throw engine::statementError(query);
    for (int i = 0; i < binds.size(); ++i)
        query.bindValue(i, binds.at(i));
    if (!query.exec())
        throw engine::statementError(query);
    if (newKey)
        *newKey = engine::insertedKey(query);
    if (mustFindRow && query.numRowsAffected() == 0)
        throw rowNotFound();
}

QVariant RowWriter::insert(const std::vector<QVariant>& values) {
    QStringList names;
    QStringList marks;
    QVariantList binds;
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (!written(i) || values[i].isNull())
            continue;
        names << columns_[i].origin;
        marks << QStringLiteral("?");
        binds << engine::toStorage(columns_[i].type, values[i]);
    }
    QString sql = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table_)
                                  : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                        .arg(table_, names.join(", "), marks.join(", "));
    sql += engine::insertSuffix(db_, table_);
    QVariant key;
    execute(sql, binds, false, &key);
    return key;
}

void RowWriter::update(const std::vector<QVariant>& original,
                       const std::vector<QVariant>& changed) {
    QStringList sets;
    QVariantList binds;
    std::vector<size_t> compared;
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (!written(i) || sameValue(changed[i], original[i]))
            continue;
        sets << QStringLiteral("%1 = ?").arg(columns_[i].origin);
        binds << engine::toStorage(columns_[i].type, changed[i]);
        compared.push_back(i);
    }
    if (sets.isEmpty())
        return;
    const QString where = findRow(original, compared, &binds);
    execute(QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table_, sets.join(", "), where), binds,
            true);
}

void RowWriter::remove(const std::vector<QVariant>& original) {
    QVariantList binds;
    const QString where = findRow(original, {}, &binds);
    execute(QStringLiteral("DELETE FROM %1 WHERE %2").arg(table_, where), binds, true);
}

} // namespace corvalen::db
