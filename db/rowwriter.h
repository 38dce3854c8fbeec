#pragma once
// Writes a dataset's rows back to their base table: a new row, the changed columns of a row,
// or its removal, each as one statement with the values bound.
//
// Updates are optimistically locked: an update finds its row by the key and by the original
// values of the columns it changes (a null matching a null). When another connection has
// changed one of those columns, or removed the row, since it was read, nothing is written and
// "Row cannot be located for updating. Some values may have been changed since it was last
// read" is raised; changes to other columns of the same row do not stand in the way. A
// removal finds its row by the key. Without a key in the result a row is found by all its
// original values.
//
// Values are the dataset's (QDate, QTime, qlonglong, QString); the engine's storage forms and
// comparisons come from db/engine.h.

#include "db/engine.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <vector>

namespace corvalen::db {

class RowWriter {
public:
    // Columns of the result, in order; those of `table` are written.
    RowWriter(QSqlDatabase db, QString table, const std::vector<ColumnInfo>& columns);

    // Adds a row with the non-null values of the table's columns (an auto-number is the
    // database's) and returns the key the database gave it.
    QVariant insert(const std::vector<QVariant>& values);
    // Writes the columns whose value differs from the original; nothing when none does.
    void update(const std::vector<QVariant>& original, const std::vector<QVariant>& changed);
    void remove(const std::vector<QVariant>& original);

    // The row cannot be found as it was read.
    static Error rowNotFound();

private:
    bool written(size_t column) const; // a column of the table that the program may write
    // The WHERE condition and its values: the key, and the original values of `compared`.
    QString findRow(const std::vector<QVariant>& original, const std::vector<size_t>& compared,
                    QVariantList* binds) const;
    void execute(const QString& sql, const QVariantList& binds, bool mustFindRow,
                 QVariant* newKey = nullptr);

    QSqlDatabase db_;
    QString table_;
    const std::vector<ColumnInfo>& columns_;
};

} // namespace corvalen::db
