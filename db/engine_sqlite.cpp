#include "db/engine.h"

#include "db/database_file.h"
#include "db/engine_postgres.h"

#include "platform/error.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>
#include <QUrl>

#include <array>
#include <sqlite3.h>

namespace corvalen::db::engine {

namespace {

sqlite3* handleOf(QSqlDatabase& db) {
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        throw engineError("Conexão com o banco de dados não está aberta");
    return *static_cast<sqlite3* const*>(v.data());
}

// Folding table for the first code points (Latin-1 and Latin Extended-A/B): primary is the
// base letter in small letters (accents dropped), secondary the small letter with its accent.
struct Fold {
    char32_t primary;
    char32_t secondary;
};

std::array<Fold, 0x250> buildFoldTable() {
    std::array<Fold, 0x250> t{};
    for (char32_t cp = 0; cp < t.size(); ++cp) {
        const char32_t lower = QChar::toLower(cp);
        char32_t base = lower;
        const QString decomposed = QChar::decomposition(lower);
        if (!decomposed.isEmpty() && QChar::decompositionTag(lower) == QChar::Canonical)
            base = QChar::toLower(char32_t(decomposed.at(0).unicode()));
        t[cp] = {base, lower};
    }
    return t;
}

// Built once when the program loads: the comparison runs for every pair a sort compares.
const std::array<Fold, 0x250> foldTable = buildFoldTable();

inline Fold fold(char32_t cp) {
    if (cp < foldTable.size())
        return foldTable[cp];
    const char32_t lower = QChar::toLower(cp);
    return {lower, lower};
}

// Decodes one UTF-8 code point; malformed bytes stand for themselves.
char32_t next(const unsigned char*& p, const unsigned char* end) {
    const unsigned char c = *p++;
    if (c < 0x80)
        return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = c & (0x3F >> extra);
    while (extra-- > 0 && p < end && (*p & 0xC0) == 0x80)
        cp = (cp << 6) | (*p++ & 0x3F);
    return cp;
}

int compareLevel(const unsigned char* a, const unsigned char* aEnd, const unsigned char* b,
                 const unsigned char* bEnd, bool primary) {
    while (a < aEnd && b < bEnd) {
        const Fold fa = fold(next(a, aEnd));
        const Fold fb = fold(next(b, bEnd));
        const char32_t ca = primary ? fa.primary : fa.secondary;
        const char32_t cb = primary ? fb.primary : fb.secondary;
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a < aEnd)
        return 1;
    if (b < bEnd)
        return -1;
    return 0;
}

int compareUtf8(const unsigned char* a, int aLen, const unsigned char* b, int bLen) {
    // Fast path while both texts are plain ASCII, where a letter's primary and secondary forms
    // are both its small letter: the first difference decides, and most names differ early.
    const int common = std::min(aLen, bLen);
    int i = 0;
    for (; i < common && a[i] < 0x80 && b[i] < 0x80; ++i) {
        const unsigned char ca = a[i] >= 'A' && a[i] <= 'Z' ? a[i] + 32 : a[i];
        const unsigned char cb = b[i] >= 'A' && b[i] <= 'Z' ? b[i] + 32 : b[i];
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i == common && (i == aLen || a[i] < 0x80) && (i == bLen || b[i] < 0x80))
        return aLen == bLen ? 0 : (aLen < bLen ? -1 : 1);
    const int primary = compareLevel(a, a + aLen, b, b + bLen, true);
    if (primary != 0)
        return primary;
    return compareLevel(a, a + aLen, b, b + bLen, false);
}

int collate(void*, int aLen, const void* a, int bLen, const void* b) {
    return compareUtf8(static_cast<const unsigned char*>(a), aLen,
                       static_cast<const unsigned char*>(b), bLen);
}

FieldType mapDeclaredType(const QString& declared, bool primaryKey, int* width) {
    const QString upper = declared.toUpper();
    *width = 0;
    static const QRegularExpression widthPattern(QStringLiteral("\\((\\d+)\\)"));
    const auto match = widthPattern.match(upper);
    if (upper.startsWith("INT"))
        return primaryKey ? FieldType::AutoInc : FieldType::Integer;
    if (upper.startsWith("VARCHAR") || upper.startsWith("CHAR") || upper.startsWith("NVARCHAR") ||
        (upper.startsWith("TEXT") && match.hasMatch())) {
        *width = match.hasMatch() ? match.captured(1).toInt() : 255;
        return FieldType::String;
    }
    if (upper.startsWith("MEMO") || upper.startsWith("TEXT") || upper.startsWith("CLOB"))
        return FieldType::Memo;
    if (upper == "DATE")
        return FieldType::Date;
    if (upper == "TIME")
        return FieldType::Time;
    if (upper.startsWith("DATETIME") || upper.startsWith("TIMESTAMP"))
        return FieldType::DateTime;
    if (upper.startsWith("REAL") || upper.startsWith("DOUBLE") || upper.startsWith("FLOAT") ||
        upper.startsWith("NUMERIC") || upper.startsWith("DECIMAL"))
        return FieldType::Float;
    return FieldType::Unknown;
}

QString sqliteMessage(sqlite3* h) {
    return QString::fromUtf8(sqlite3_errmsg(h));
}

} // namespace

QString driverName() {
    return QStringLiteral("QSQLITE");
}

int compareText(const QString& a, const QString& b) {
    const QByteArray ua = a.toUtf8();
    const QByteArray ub = b.toUtf8();
    return compareUtf8(reinterpret_cast<const unsigned char*>(ua.constData()), int(ua.size()),
                       reinterpret_cast<const unsigned char*>(ub.constData()), int(ub.size()));
}

void registerCollation(QSqlDatabase& db) {
    // Replaces the built-in NOCASE on this connection only: "=" and ORDER BY on the text
    // columns then ignore letter case for accented letters too and sort accents beside their
    // base letter, while the file stays readable by any SQLite tool.
    sqlite3* h = handleOf(db);
    if (sqlite3_create_collation_v2(h, "NOCASE", SQLITE_UTF8, nullptr, collate, nullptr) !=
        SQLITE_OK)
        throw engineError(sqliteMessage(h));
}

void open(QSqlDatabase& db, const QString& filePath) {
    const QFileInfo info(filePath);
    if (!info.exists() || !info.isFile())
        throw engineError(QStringLiteral("Could not find file '%1'.").arg(filePath));
    if (db.isOpen())
        db.close();
    // mode=rw: SQLite must not create a missing file behind our back.
    db.setDatabaseName(QUrl::fromLocalFile(info.absoluteFilePath()).toString() + "?mode=rw");
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        throw engineError(db.lastError().text());
    try {
        registerCollation(db);
        QSqlQuery check(db);
        // Reading the journal mode reads the file header: a file that is not a database fails
        // here, before anything is written to it.
        if (!check.exec(QStringLiteral("PRAGMA journal_mode")) || !check.next())
            throw engineError(QStringLiteral("O arquivo '%1' não é um banco de dados válido (%2)")
                                  .arg(filePath, check.lastError().databaseText()));
        if (check.value(0).toString().toLower() != "wal") {
            check.finish();
            // Another copy of the program may read while this one writes.
            if (!check.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
                throw engineError(check.lastError().databaseText());
        }
        check.finish();
        check.exec(QStringLiteral("PRAGMA foreign_keys=OFF"));
    } catch (...) {
        db.close();
        throw;
    }
}

bool canRead(const QString& filePath) {
    sqlite3* h = nullptr;
    bool ok = sqlite3_open_v2(filePath.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr) ==
              SQLITE_OK;
    ok = ok && sqlite3_exec(h, "PRAGMA schema_version", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(h);
    return ok;
}

void createDatabase(const QString& filePath, const QStringList& statements) {
    // The engine makes new files readable by the group only; an empty file made here takes the
    // mode every file of this process gets, and the engine keeps it, as it does for the
    // write-ahead log and its index, which copy the database file's mode.
    if (!QFileInfo::exists(filePath)) {
        QFile empty(filePath);
        if (!empty.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw engineError(empty.errorString());
    }
    sqlite3* h = nullptr;
    const QByteArray path = filePath.toUtf8();
    if (sqlite3_open_v2(path.constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        const QString message = h ? sqliteMessage(h) : QStringLiteral("out of memory");
        sqlite3_close(h);
        throw engineError(message);
    }
    QStringList all{QStringLiteral("PRAGMA journal_mode=WAL"), QStringLiteral("BEGIN")};
    all += statements;
    all += QStringLiteral("COMMIT");
    for (const QString& statement : all) {
        char* error = nullptr;
        if (sqlite3_exec(h, statement.toUtf8().constData(), nullptr, nullptr, &error) !=
            SQLITE_OK) {
            const QString message = QString::fromUtf8(error);
            sqlite3_free(error);
            sqlite3_close(h);
            throw engineError(message);
        }
    }
    sqlite3_close(h);
}

std::vector<ColumnInfo> describe(QSqlDatabase& db, const QString& sql) {
    if (isServer(db))
        return postgres::describe(db, sql);
    sqlite3* h = handleOf(db);
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(h, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK)
        throw engineError(sqliteMessage(h));
    std::vector<ColumnInfo> columns;
    const int count = stmt ? sqlite3_column_count(stmt) : 0;
    for (int i = 0; i < count; ++i) {
        ColumnInfo c;
        c.name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        const char* table = sqlite3_column_table_name(stmt, i);
        const char* origin = sqlite3_column_origin_name(stmt, i);
        const char* declared = sqlite3_column_decltype(stmt, i);
        if (table && origin) {
            c.table = QString::fromUtf8(table);
            c.origin = QString::fromUtf8(origin);
            int primaryKey = 0;
            sqlite3_table_column_metadata(h, sqlite3_column_database_name(stmt, i), table, origin,
                                          nullptr, nullptr, nullptr, &primaryKey, nullptr);
            c.primaryKey = primaryKey != 0;
        }
        c.type =
            mapDeclaredType(QString::fromUtf8(declared ? declared : ""), c.primaryKey, &c.width);
        columns.push_back(c);
    }
    sqlite3_finalize(stmt);
    return columns;
}

QVariant fromStorage(FieldType type, const QVariant& stored) {
    if (stored.isNull())
        return {};
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return stored.toString();
    case FieldType::Integer:
    case FieldType::AutoInc:
        return stored.toLongLong();
    case FieldType::Float:
        return stored.toDouble();
    case FieldType::Date: {
        const QDate d = QDate::fromString(stored.toString().left(10), Qt::ISODate);
        return d.isValid() ? QVariant(d) : stored;
    }
    case FieldType::Time: {
        const QString s = stored.toString();
        const QTime t = QTime::fromString(s, s.size() > 5 ? "HH:mm:ss" : "HH:mm");
        return t.isValid() ? QVariant(t) : stored;
    }
    case FieldType::DateTime: {
        const QDateTime dt = QDateTime::fromString(stored.toString(), Qt::ISODate);
        return dt.isValid() ? QVariant(dt) : stored;
    }
    case FieldType::Unknown:
        break;
    }
    return stored;
}

QVariant toStorage(FieldType type, const QVariant& value) {
    if (value.isNull())
        return {};
    switch (type) {
    case FieldType::Date:
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().toString(Qt::ISODate);
        break;
    case FieldType::Time:
        if (value.typeId() == QMetaType::QTime) {
            const QTime t = value.toTime();
            return t.toString(t.second() == 0 ? "HH:mm" : "HH:mm:ss");
        }
        break;
    case FieldType::DateTime:
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().toString("yyyy-MM-ddTHH:mm:ss");
        break;
    default:
        break;
    }
    return value;
}

namespace {

// A statement's words, for finding what a parameter is compared with.
struct Token {
    enum Kind { Name, Parameter, Operator, Literal, Other } kind;
    QString text; // a name as written (dotted names whole), a parameter without its colon
};

std::vector<Token> tokenize(const QString& sql) {
    std::vector<Token> tokens;
    const auto nameChar = [](QChar c) { return c.isLetterOrNumber() || c == '_'; };
    for (qsizetype i = 0; i < sql.size();) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == '\'' || c == '"') {
            qsizetype j = i + 1;
            while (j < sql.size() && sql.at(j) != c)
                ++j;
            tokens.push_back({Token::Literal, sql.mid(i, j + 1 - i)});
            i = j + 1;
        } else if (c.isDigit()) {
            qsizetype j = i;
            while (j < sql.size() && (sql.at(j).isDigit() || sql.at(j) == '.'))
                ++j;
            tokens.push_back({Token::Literal, sql.mid(i, j - i)});
            i = j;
        } else if (c.isLetter() || c == '_') {
            qsizetype j = i;
            while (j < sql.size() &&
                   (nameChar(sql.at(j)) || (sql.at(j) == '.' && j + 1 < sql.size() &&
                                            (sql.at(j + 1).isLetter() || sql.at(j + 1) == '_'))))
                ++j;
            tokens.push_back({Token::Name, sql.mid(i, j - i)});
            i = j;
        } else if (c == ':' && i + 1 < sql.size() &&
                   (sql.at(i + 1).isLetter() || sql.at(i + 1) == '_')) {
            qsizetype j = i + 1;
            while (j < sql.size() && nameChar(sql.at(j)))
                ++j;
            tokens.push_back({Token::Parameter, sql.mid(i + 1, j - i - 1)});
            i = j;
        } else if (QStringLiteral("<>=!").contains(c)) {
            qsizetype j = i;
            while (j < sql.size() && QStringLiteral("<>=!").contains(sql.at(j)))
                ++j;
            tokens.push_back({Token::Operator, sql.mid(i, j - i)});
            i = j;
        } else {
            tokens.push_back({Token::Other, QString(c)});
            ++i;
        }
    }
    return tokens;
}

bool isWord(const std::vector<Token>& t, qsizetype i, const char* word) {
    return i >= 0 && i < qsizetype(t.size()) && t[size_t(i)].kind == Token::Name &&
           t[size_t(i)].text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isColumn(const std::vector<Token>& t, qsizetype i) {
    static const char* const keywords[] = {"and",   "or",     "not", "between", "like", "is",
                                           "where", "select", "on",  "null",    "in"};
    if (i < 0 || i >= qsizetype(t.size()) || t[size_t(i)].kind != Token::Name)
        return false;
    return std::none_of(std::begin(keywords), std::end(keywords),
                        [&](const char* k) { return isWord(t, i, k); });
}

// A comparison operator, LIKE or IS at position i.
bool isComparison(const std::vector<Token>& t, qsizetype i) {
    return (i >= 0 && i < qsizetype(t.size()) && t[size_t(i)].kind == Token::Operator) ||
           isWord(t, i, "like") || isWord(t, i, "is");
}

// The column a parameter at position i is compared with, as written; empty when none.
QString comparedColumn(const std::vector<Token>& t, qsizetype i) {
    qsizetype before = i - 1;
    if (isWord(t, before, "and") && i >= 3 && isWord(t, i - 3, "between"))
        before = i - 3; // the upper bound of "column Between :a And :b"
    if (isWord(t, before, "between") || isComparison(t, before)) {
        qsizetype column = before - 1;
        if (isWord(t, column, "not"))
            --column;
        if (isColumn(t, column))
            return t[size_t(column)].text;
    }
    if (isComparison(t, i + 1) && isColumn(t, i + 2))
        return t[size_t(i + 2)].text;
    return {};
}

// Records the table columns a statement reads while it is prepared.
int recordRead(void* reads, int action, const char* table, const char* column, const char*,
               const char*) {
    if (action == SQLITE_READ && table && column)
        static_cast<std::vector<std::pair<QString, QString>>*>(reads)->emplace_back(
            QString::fromUtf8(table), QString::fromUtf8(column));
    return SQLITE_OK;
}

} // namespace

std::vector<FieldType> parameterTypes(QSqlDatabase& db, const QString& sql,
                                      const QStringList& names) {
    if (isServer(db))
        return postgres::parameterTypes(db, sql, names);
    std::vector<FieldType> types(size_t(names.size()), FieldType::Unknown);
    if (names.isEmpty())
        return types;
    sqlite3* h = handleOf(db);
    std::vector<std::pair<QString, QString>> reads; // (table, column) the statement reads
    sqlite3_set_authorizer(h, recordRead, &reads);
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(h, text.constData(), int(text.size()), &stmt, nullptr);
    sqlite3_finalize(stmt);
    sqlite3_set_authorizer(h, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw engineError(sqliteMessage(h));

    const std::vector<Token> tokens = tokenize(sql);
    for (qsizetype i = 0; i < qsizetype(tokens.size()); ++i) {
        if (tokens[size_t(i)].kind != Token::Parameter)
            continue;
        qsizetype n = names.size() - 1;
        while (n >= 0 && names.at(n).compare(tokens[size_t(i)].text, Qt::CaseInsensitive) != 0)
            --n;
        const QString written = comparedColumn(tokens, i);
        if (n < 0 || written.isEmpty() || types[size_t(n)] != FieldType::Unknown)
            continue;
        const qsizetype dot = written.lastIndexOf('.');
        const QString table = dot < 0 ? QString() : written.left(dot);
        const QString column = written.mid(dot + 1);
        for (const auto& [readTable, readColumn] : reads) {
            if (readColumn.compare(column, Qt::CaseInsensitive) != 0 ||
                (!table.isEmpty() && readTable.compare(table, Qt::CaseInsensitive) != 0))
                continue;
            const char* declared = nullptr;
            int primaryKey = 0;
            if (sqlite3_table_column_metadata(h, nullptr, readTable.toUtf8().constData(),
                                              readColumn.toUtf8().constData(), &declared, nullptr,
                                              nullptr, &primaryKey, nullptr) == SQLITE_OK) {
                int width = 0;
                types[size_t(n)] = mapDeclaredType(QString::fromUtf8(declared ? declared : ""),
                                                   primaryKey != 0, &width);
            }
            break;
        }
    }
    return types;
}

QVariant parameterToStorage(FieldType compared, const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QDate:
        return toStorage(FieldType::Date, value);
    case QMetaType::QTime:
        return toStorage(FieldType::Time, value);
    case QMetaType::QDateTime:
        return toStorage(FieldType::DateTime, value);
    case QMetaType::QString:
        break;
    default:
        return value;
    }
    // Digits stay text: SQLite gives a text parameter numeric affinity when it is compared with
    // an integer column, and a text column keeps "007" apart from "7".
    const QString text = value.toString().trimmed();
    switch (compared) {
    case FieldType::Date: {
        const QDate date = QDate::fromString(text, QStringLiteral("d/M/yyyy"));
        return date.isValid() ? toStorage(compared, date) : value;
    }
    case FieldType::Time: {
        QTime time = QTime::fromString(text, QStringLiteral("H:mm"));
        if (!time.isValid())
            time = QTime::fromString(text, QStringLiteral("H:mm:ss"));
        return time.isValid() ? toStorage(compared, time) : value;
    }
    case FieldType::DateTime: {
        QDateTime at = QDateTime::fromString(text, QStringLiteral("d/M/yyyy H:mm:ss"));
        if (!at.isValid())
            at = QDateTime::fromString(text, QStringLiteral("d/M/yyyy H:mm"));
        if (!at.isValid())
            at = QDate::fromString(text, QStringLiteral("d/M/yyyy")).startOfDay();
        return at.isValid() ? toStorage(compared, at) : value;
    }
    default:
        return value;
    }
}

QString sameValueCondition(const QSqlDatabase& db, const QString& column, FieldType type) {
    if (isServer(db))
        return postgres::sameValueCondition(column, type);
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
    case FieldType::Unknown:
        // The columns compare text without letter case; a change of case is a change.
        return QStringLiteral("%1 IS ? COLLATE BINARY").arg(column);
    // Compared as a day or a time, not as the text that stores it: another tool may have
    // written "14:35:00" where this program writes "14:35".
    case FieldType::Date:
        return QStringLiteral("date(%1) IS date(?)").arg(column);
    case FieldType::Time:
        return QStringLiteral("time(%1) IS time(?)").arg(column);
    case FieldType::DateTime:
        return QStringLiteral("datetime(%1) IS datetime(?)").arg(column);
    default:
        return QStringLiteral("%1 IS ?").arg(column);
    }
}

QString insertSuffix(QSqlDatabase& db, const QString& table) {
    return isServer(db) ? postgres::insertSuffix(db, table) : QString();
}

QString runnableStatement(QSqlDatabase& db, const QString& sql, int rowsWanted) {
    return isServer(db) ? postgres::runnableStatement(db, sql, rowsWanted) : sql;
}

namespace {

// The rows of a forward-only query of the driver.
class DriverRows final : public Rows {
public:
    explicit DriverRows(QSqlQuery query) : query_(std::move(query)) {}
    bool next() override {
        if (query_.next())
            return true;
        // A step that fails ends the rows as the last one does: only the error tells them apart.
        if (query_.lastError().isValid())
            throw statementError(query_);
        return false;
    }
    QVariant value(int column) const override { return query_.value(column); }

private:
    QSqlQuery query_;
};

} // namespace

std::unique_ptr<Rows> select(QSqlDatabase& db, const QString& sql, const Binds& binds,
                             int rowsWanted) {
    if (isServer(db))
        return postgres::select(db, sql, binds, rowsWanted);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(runnableStatement(db, sql, rowsWanted)))
        throw statementError(query);
    for (const auto& [name, value] : binds)
        query.bindValue(':' + name, value);
    if (!query.exec())
        throw statementError(query);
    return std::make_unique<DriverRows>(std::move(query));
}

void synchronizeKeys(QSqlDatabase& db) {
    if (isServer(db))
        postgres::synchronizeKeys(db);
}

QVariant insertedKey(QSqlQuery& insert) {
    if (postgres::handleOf(insert.driver()))
        return postgres::insertedKey(insert);
    return insert.lastInsertId();
}

Error statementError(const QSqlQuery& query) {
    if (postgres::handleOf(query.driver()))
        return postgres::statementError(query);
    const QSqlError error = query.lastError();
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric) & 0xff;
    // Another connection holds the write lock (or, rarely, a read that a write must wait for)
    // for longer than the busy timeout given at open.
    if (numeric && (code == SQLITE_BUSY || code == SQLITE_LOCKED))
        return engineError(
            QStringLiteral("O banco de dados está em uso por outro computador; tente novamente"));
    return engineError(error.databaseText());
}

QString dateLiteral(int year, int month, int day) {
    return QStringLiteral("'%1'").arg(QDate(year, month, day).toString(Qt::ISODate));
}

void backup(QSqlDatabase& db, const QString& destinationFile, const BackupProgress& progress) {
    if (isServer(db))
        return postgres::backup(db, destinationFile, progress);
    // The copy reads the connection's file through a private connection of its own, inside one
    // read transaction: the program's connection is left as it is, and writes by any connection
    // meanwhile neither tear the copy nor restart it.
    const char* file = sqlite3_db_filename(handleOf(db), "main");
    if (!file || !*file)
        throw engineError(QStringLiteral("a conexão não está ligada a um arquivo"));
    copyDatabaseFile(QString::fromUtf8(file), destinationFile, progress);
}

} // namespace corvalen::db::engine
