#include "db/engine_postgres.h"

#include "db/schema.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "platform/textfile.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QTime>
#include <QUuid>

#include <algorithm>
#include <cstring>
#include <libpq-fe.h>
#include <memory>
#include <sqlite3.h>
#include <string_view>

namespace corvalen::db::engine {

namespace {

const QString lostConnection =
    QStringLiteral("A conexão com o servidor do banco de dados foi perdida; a alteração não foi "
                   "gravada. Tente novamente.");
const QString busy =
    QStringLiteral("O banco de dados está em uso por outro computador; tente novamente");

// libpq's connection of a connection that must be the server's.
PGconn* connectionOf(const QSqlDatabase& db) {
    PGconn* conn = postgres::handleOf(db.driver());
    if (!conn)
        throw engineError(QStringLiteral("Conexão com o servidor não está aberta"));
    return conn;
}

// The program's error for a refusal with this SQLSTATE and server text. A connection found
// broken is made again at once (libpq reconnects with the same settings), so the next
// statement reaches the server if it is back; the one that failed is reported, never retried.
Error classify(PGconn* conn, const QString& state, const QString& text) {
    if (PQstatus(conn) == CONNECTION_BAD || state.startsWith(QLatin1String("08")) ||
        state.startsWith(QLatin1String("57P"))) {
        PQreset(conn);
        return engineError(lostConnection);
    }
    // A row another workstation holds for longer than lock_timeout, or two saves that would
    // each wait for the other.
    if (state == QLatin1String("55P03") || state == QLatin1String("40001") ||
        state == QLatin1String("40P01"))
        return engineError(busy);
    // The server's first line, without its "ERROR:" prefix; a trigger's text is the whole
    // message the user reads.
    QString message = text.trimmed().section('\n', 0, 0);
    static const QRegularExpression prefix(QStringLiteral("^[A-Z]+:\\s+"));
    message.remove(prefix);
    return engineError(message);
}

Error resultError(PGconn* conn, const PGresult* result) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    return classify(conn, QString::fromLatin1(state ? state : ""),
                    QString::fromUtf8(primary ? primary : PQerrorMessage(conn)));
}

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// The driver's connection, ready for a statement sent through libpq. A forward-only statement
// of the driver still being read would make libpq refuse: a statement through the driver
// finishes it.
PGconn* idleConnectionOf(QSqlDatabase& db) {
    PGconn* conn = connectionOf(db);
    if (PQtransactionStatus(conn) == PQTRANS_ACTIVE)
        QSqlQuery(db).exec(QStringLiteral("SELECT 1"));
    return conn;
}

// Runs a statement through libpq on the driver's connection.
Result run(QSqlDatabase& db, const QByteArray& sql, ExecStatusType expected) {
    PGconn* conn = idleConnectionOf(db);
    Result result(PQexec(conn, sql.constData()));
    if (PQresultStatus(result.get()) != expected)
        throw resultError(conn, result.get());
    return result;
}

// The statement with its placeholders (":name" and "?") numbered as the server's $1, $2...;
// names receives the name of each number in turn ("" for a "?").
QByteArray numbered(const QString& sql, QStringList* names) {
    QString out;
    out.reserve(sql.size() + 8);
    const auto nameChar = [](QChar c) { return c.isLetterOrNumber() || c == '_'; };
    for (qsizetype i = 0; i < sql.size();) {
        const QChar c = sql.at(i);
        if (c == '\'' || c == '"') {
            qsizetype j = i + 1;
            while (j < sql.size() && sql.at(j) != c)
                ++j;
            out += sql.mid(i, j + 1 - i);
            i = j + 1;
        } else if (c == ':' && i + 1 < sql.size() && sql.at(i + 1) == ':') {
            out += QStringLiteral("::");
            i += 2;
        } else if (c == ':' && i + 1 < sql.size() &&
                   (sql.at(i + 1).isLetter() || sql.at(i + 1) == '_')) {
            qsizetype j = i + 1;
            while (j < sql.size() && nameChar(sql.at(j)))
                ++j;
            *names << sql.mid(i + 1, j - i - 1);
            out += QStringLiteral("$%1").arg(names->size());
            i = j;
        } else if (c == '?') {
            *names << QString();
            out += QStringLiteral("$%1").arg(names->size());
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    return out.toUtf8();
}

// Type numbers of the server's built-in types.
enum : Oid {
    BoolOid = 16,
    Int8 = 20,
    Int2 = 21,
    Int4 = 23,
    Text = 25,
    Float4 = 700,
    Float8 = 701,
    Bpchar = 1042,
    Varchar = 1043,
    DateOid = 1082,
    TimeOid = 1083,
    Timestamp = 1114,
    TimestampTz = 1184,
    Numeric = 1700
};

FieldType typeOf(Oid type, bool key) {
    switch (type) {
    case Int2:
    case Int4:
    case Int8:
        return key ? FieldType::AutoInc : FieldType::Integer;
    case Varchar:
    case Bpchar:
        return FieldType::String;
    case Text:
        return FieldType::Memo;
    case DateOid:
        return FieldType::Date;
    case TimeOid:
        return FieldType::Time;
    case Timestamp:
    case TimestampTz:
        return FieldType::DateTime;
    case Float4:
    case Float8:
    case Numeric:
        return FieldType::Float;
    default:
        return FieldType::Unknown;
    }
}

// The tables of the connection's schema: names and key columns by table and column number.
struct TableInfo {
    QString name;
    QHash<int, QString> columns;
    QString key; // empty when the table has none
    int keyColumn = 0;
};
using Catalog = QHash<Oid, TableInfo>;

// Per server session (libpq's connection and the server process serving it): a session made
// again after a lost connection reads the catalogue again.
QHash<QString, Catalog>& catalogs() {
    static QHash<QString, Catalog> all;
    return all;
}

QString sessionKey(PGconn* conn) {
    return QStringLiteral("%1/%2/%3")
        .arg(quintptr(conn))
        .arg(PQbackendPID(conn))
        .arg(QString::fromUtf8(PQdb(conn)));
}

// What the server says a statement would take and return, without running it; names receives
// the name of each numbered placeholder. Kept per server session and statement text: a dataset
// opened again, or described for its columns and then for its parameters, asks only once.
std::shared_ptr<const PGresult> describeStatement(QSqlDatabase& db, const QString& sql,
                                                  QStringList* names) {
    struct Described {
        std::shared_ptr<const PGresult> result;
        QStringList names;
    };
    static QHash<QString, QHash<QString, Described>> sessions;
    PGconn* conn = connectionOf(db);
    QHash<QString, Described>& known = sessions[sessionKey(conn)];
    if (const auto found = known.constFind(sql); found != known.constEnd()) {
        *names = found->names;
        return found->result;
    }
    idleConnectionOf(db);
    const QByteArray text = numbered(sql, names);
    Result prepared(PQprepare(conn, "", text.constData(), 0, nullptr));
    if (PQresultStatus(prepared.get()) != PGRES_COMMAND_OK)
        throw resultError(conn, prepared.get());
    Result described(PQdescribePrepared(conn, ""));
    if (PQresultStatus(described.get()) != PGRES_COMMAND_OK)
        throw resultError(conn, described.get());
    // Statements that name a patient or a date are many; a session keeps the recent ones.
    if (known.size() >= 256)
        known.clear();
    const std::shared_ptr<const PGresult> shared(described.release(), PQclear);
    known.insert(sql, {shared, *names});
    return shared;
}

const Catalog& catalog(QSqlDatabase& db, bool reload) {
    const QString key = sessionKey(connectionOf(db));
    auto found = catalogs().find(key);
    if (found != catalogs().end() && !reload)
        return *found;
    const Result r = run(db,
                         "SELECT c.oid, c.relname, a.attnum, a.attname, "
                         "coalesce(a.attnum = ANY (i.indkey), false) "
                         "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                         "JOIN pg_attribute a ON a.attrelid = c.oid "
                         "LEFT JOIN pg_index i ON i.indrelid = c.oid AND i.indisprimary "
                         "WHERE c.relkind = 'r' AND n.nspname = current_schema() "
                         "AND a.attnum > 0 AND NOT a.attisdropped",
                         PGRES_TUPLES_OK);
    Catalog tables;
    for (int row = 0; row < PQntuples(r.get()); ++row) {
        TableInfo& t = tables[Oid(QByteArray(PQgetvalue(r.get(), row, 0)).toUInt())];
        t.name = schemaSpelling(QString::fromUtf8(PQgetvalue(r.get(), row, 1)));
        const int number = QByteArray(PQgetvalue(r.get(), row, 2)).toInt();
        const QString column = QString::fromUtf8(PQgetvalue(r.get(), row, 3));
        t.columns.insert(number, column);
        if (*PQgetvalue(r.get(), row, 4) == 't') {
            t.key = column;
            t.keyColumn = number;
        }
    }
    return *catalogs().insert(key, tables);
}

const TableInfo* tableOf(QSqlDatabase& db, Oid table) {
    if (table == InvalidOid)
        return nullptr;
    const Catalog* tables = &catalog(db, false);
    if (!tables->contains(table))
        tables = &catalog(db, true); // a table made since the catalogue was read
    const auto found = tables->find(table);
    return found == tables->end() ? nullptr : &*found;
}

// Undoes COPY's text-format escapes in place (the text only shrinks); returns the new end.
char* unescapeInPlace(char* begin, char* end) {
    auto* p = static_cast<char*>(std::memchr(begin, '\\', size_t(end - begin)));
    if (!p)
        return end;
    char* out = p;
    while (p < end) {
        if (*p != '\\' || p + 1 == end) {
            *out++ = *p++;
            continue;
        }
        switch (*++p) {
        case 'n':
            *out++ = '\n';
            break;
        case 'r':
            *out++ = '\r';
            break;
        case 't':
            *out++ = '\t';
            break;
        case 'b':
            *out++ = '\b';
            break;
        case 'f':
            *out++ = '\f';
            break;
        case 'v':
            *out++ = '\v';
            break;
        default:
            *out++ = *p;
        }
        ++p;
    }
    return out;
}

// Copies the rows of one server table into the same table of an SQLite file, through COPY: the
// server streams them, and the values are written as text, which SQLite's column affinity turns
// into numbers where the column is one. Times keep SQLite's form ("14:35" for 14:35:00).
void copyRows(QSqlDatabase& reader, sqlite3* target, const QString& table, qint64* done,
              qint64 total, const BackupProgress& progress) {
    const std::vector<ColumnInfo> columns =
        postgres::describe(reader, QStringLiteral("SELECT * FROM %1").arg(table));
    QStringList names;
    QStringList marks;
    for (const ColumnInfo& c : columns) {
        names << c.name;
        marks << QStringLiteral("?");
    }
    const QByteArray sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(table, names.join(','), marks.join(','))
                               .toUtf8();
    sqlite3_stmt* insert = nullptr;
    if (sqlite3_prepare_v2(target, sql.constData(), -1, &insert, nullptr) != SQLITE_OK)
        throw engineError(QString::fromUtf8(sqlite3_errmsg(target)));
    std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> guard(insert, sqlite3_finalize);

    PGconn* conn = connectionOf(reader);
    Result started(PQexec(conn, QStringLiteral("COPY %1 TO STDOUT").arg(table).toUtf8()));
    if (PQresultStatus(started.get()) != PGRES_COPY_OUT)
        throw resultError(conn, started.get());
    char* line = nullptr;
    int size = 0;
    QString failure;
    while ((size = PQgetCopyData(conn, &line, 0)) > 0) {
        // The values are bound where they lie in the line, which outlives the step.
        char* p = line;
        char* end = line + size - 1; // without the line's '\n'
        for (int i = 0; i < int(columns.size()); ++i) {
            auto* tab = static_cast<char*>(std::memchr(p, '\t', size_t(end - p)));
            if (!tab)
                tab = end;
            if (tab - p == 2 && p[0] == '\\' && p[1] == 'N') {
                sqlite3_bind_null(insert, i + 1);
            } else {
                const char* valueEnd = unescapeInPlace(p, tab);
                if (columns[size_t(i)].type == FieldType::Time && valueEnd - p == 8 &&
                    std::string_view(p + 5, 3) == ":00")
                    valueEnd -= 3;
                sqlite3_bind_text(insert, i + 1, p, int(valueEnd - p), SQLITE_STATIC);
            }
            p = tab + 1;
        }
        if (failure.isEmpty() && sqlite3_step(insert) != SQLITE_DONE)
            failure = QString::fromUtf8(sqlite3_errmsg(target)); // the rest is read and dropped
        sqlite3_reset(insert);
        PQfreemem(line);
        if (progress && ++*done % 1000 == 0)
            progress(*done, total);
    }
    Result finished(PQgetResult(conn));
    while (PGresult* more = PQgetResult(conn))
        PQclear(more);
    if (size == -2 || PQresultStatus(finished.get()) != PGRES_COMMAND_OK)
        throw resultError(conn, finished.get());
    if (!failure.isEmpty())
        throw engineError(failure);
}

} // namespace

QString serverDriverName() {
    return QStringLiteral("QPSQL");
}

bool isServer(const QSqlDatabase& db) {
    return db.driverName() == serverDriverName();
}

QString serverSettingsFile(const QString& dataFolder) {
    return platform::joinPath(dataFolder, QStringLiteral("servidor.cfg"));
}

std::optional<ServerSettings> serverSettings(const QString& dataFolder) {
    QFile file(serverSettingsFile(dataFolder));
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw engineError(
            QStringLiteral("Não foi possível ler %1: %2").arg(file.fileName(), file.errorString()));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    ServerSettings settings;
    settings.connection = lines.value(0).trimmed();
    settings.sharedFolder = lines.value(1).trimmed();
    return settings;
}

void writeServerSettings(const QString& dataFolder, const ServerSettings& settings) {
    QFile file(serverSettingsFile(dataFolder));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write((settings.connection + "\r\n" + settings.sharedFolder + "\r\n").toUtf8()) < 0 ||
        !file.flush())
        throw fileError(QStringLiteral("EWriteError"),
                        QStringLiteral("Não foi possível gravar %1: %2")
                            .arg(file.fileName(), file.errorString()));
}

void openServer(QSqlDatabase& db, const QString& connection) {
    if (db.isOpen())
        db.close();
    // Dates typed day first, a wait for a row another workstation holds as long as SQLite's busy
    // timeout, and a dead server noticed within seconds. libpq keeps these for a reconnection.
    db.setConnectOptions(connection +
                         QStringLiteral(" connect_timeout=10 client_encoding=UTF8 "
                                        "options='-c DateStyle=ISO,DMY -c lock_timeout=5000'"));
    if (!db.open())
        throw engineError(
            QStringLiteral("Não foi possível conectar ao servidor do banco de dados (%1)")
                .arg(db.lastError().databaseText().trimmed()));
}

namespace {

// Runs work in one transaction on an empty server database, after creating the tables.
void inNewSchema(QSqlDatabase& db, const std::function<void()>& work) {
    const Result tables = run(
        db, "SELECT count(*) FROM pg_tables WHERE schemaname = current_schema()", PGRES_TUPLES_OK);
    if (QByteArray(PQgetvalue(tables.get(), 0, 0)).toInt() > 0)
        throw engineError(
            QStringLiteral("O banco de dados do servidor já tem tabelas; nada foi alterado."));
    run(db, "BEGIN", PGRES_COMMAND_OK);
    try {
        for (const QString& statement : serverSchemaStatements())
            run(db, statement.toUtf8(), PGRES_COMMAND_OK);
        work();
        run(db, "COMMIT", PGRES_COMMAND_OK);
    } catch (...) {
        PQclear(PQexec(connectionOf(db), "ROLLBACK"));
        throw;
    }
}

// A value in COPY's text format.
void appendCopyValue(QByteArray& line, sqlite3_stmt* row, int column) {
    if (sqlite3_column_type(row, column) == SQLITE_NULL) {
        line += "\\N";
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
    const int size = sqlite3_column_bytes(row, column);
    for (int i = 0; i < size; ++i) {
        switch (text[i]) {
        case '\\':
            line += "\\\\";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        case '\t':
            line += "\\t";
            break;
        default:
            line += text[i];
        }
    }
}

struct SqliteCloser {
    void operator()(sqlite3* h) const { sqlite3_close_v2(h); }
};

// One table of the file into the server, through COPY; returns the rows sent.
qint64 copyTable(sqlite3* source, PGconn* conn, const QString& table) {
    sqlite3_stmt* rows = nullptr;
    const QByteArray select = QStringLiteral("SELECT * FROM %1").arg(table).toUtf8();
    if (sqlite3_prepare_v2(source, select.constData(), -1, &rows, nullptr) != SQLITE_OK)
        throw engineError(QString::fromUtf8(sqlite3_errmsg(source)));
    std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> guard(rows, sqlite3_finalize);
    QStringList columns;
    for (int i = 0; i < sqlite3_column_count(rows); ++i)
        columns << QString::fromUtf8(sqlite3_column_name(rows, i));
    const QByteArray copy =
        QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, columns.join(',')).toUtf8();
    Result started(PQexec(conn, copy.constData()));
    if (PQresultStatus(started.get()) != PGRES_COPY_IN)
        throw resultError(conn, started.get());
    qint64 count = 0;
    QByteArray chunk;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(rows)) == SQLITE_ROW) {
        for (int i = 0; i < columns.size(); ++i) {
            if (i > 0)
                chunk += '\t';
            appendCopyValue(chunk, rows, i);
        }
        chunk += '\n';
        ++count;
        if (chunk.size() > (1 << 20)) {
            if (PQputCopyData(conn, chunk.constData(), int(chunk.size())) != 1)
                break;
            chunk.clear();
        }
    }
    const bool read = rc == SQLITE_DONE;
    if (read && !chunk.isEmpty())
        PQputCopyData(conn, chunk.constData(), int(chunk.size()));
    PQputCopyEnd(conn, read ? nullptr : "leitura interrompida");
    Result finished(PQgetResult(conn));
    while (PGresult* more = PQgetResult(conn))
        PQclear(more);
    if (!read)
        throw engineError(QString::fromUtf8(sqlite3_errmsg(source)));
    if (PQresultStatus(finished.get()) != PGRES_COMMAND_OK)
        throw resultError(conn, finished.get());
    return count;
}

// The highest key SQLite ever gave in a table (a removed row's key is never given again).
qint64 highestKey(sqlite3* source, const QString& table, const QString& key) {
    const QByteArray sql =
        QStringLiteral("SELECT max(coalesce((SELECT max(%2) FROM %1), 0), "
                       "coalesce((SELECT seq FROM sqlite_sequence WHERE name = '%1' COLLATE "
                       "NOCASE), 0))")
            .arg(table, key)
            .toUtf8();
    sqlite3_stmt* q = nullptr;
    qint64 highest = 0;
    if (sqlite3_prepare_v2(source, sql.constData(), -1, &q, nullptr) == SQLITE_OK &&
        sqlite3_step(q) == SQLITE_ROW)
        highest = sqlite3_column_int64(q, 0);
    sqlite3_finalize(q);
    return highest;
}

} // namespace

void createServerDatabase(QSqlDatabase& db, const QStringList& statements) {
    inNewSchema(db, [&] {
        for (const QString& statement : statements)
            run(db, statement.toUtf8(), PGRES_COMMAND_OK);
    });
}

std::vector<qint64> tableCounts(QSqlDatabase& db) {
    std::vector<qint64> counts;
    for (const QString& table : schemaTables()) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT count(*) FROM %1").arg(table)) || !q.next())
            throw statementError(q);
        counts.push_back(q.value(0).toLongLong());
    }
    return counts;
}

namespace {

// Copies the file's rows into the server's tables inside the open transaction, keys and counts
// as copyIntoServer() says.
std::vector<qint64> copyRowsFrom(const QString& databaseFile, QSqlDatabase& server) {
    sqlite3* opened = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(databaseFile).constData(), &opened,
                                   SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, SqliteCloser> source(opened);
    if (rc != SQLITE_OK)
        throw engineError(QStringLiteral("não foi possível abrir %1").arg(databaseFile));
    PGconn* conn = connectionOf(server);
    std::vector<qint64> copied;
    // The file is read in one transaction too, so the counts checked are the ones copied.
    sqlite3_exec(source.get(), "BEGIN", nullptr, nullptr, nullptr);
    for (const QString& table : schemaTables())
        copied.push_back(copyTable(source.get(), conn, table));
    for (const TableInfo& t : catalog(server, true)) {
        if (t.key.isEmpty())
            continue;
        run(server,
            QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), %3, false)")
                .arg(t.name, t.key)
                .arg(highestKey(source.get(), t.name, t.key) + 1)
                .toUtf8(),
            PGRES_TUPLES_OK);
    }
    sqlite3_exec(source.get(), "COMMIT", nullptr, nullptr, nullptr);
    if (tableCounts(server) != copied)
        throw engineError(QStringLiteral("as contagens do servidor não conferem com as do "
                                         "arquivo; nada foi gravado."));
    return copied;
}

} // namespace

std::vector<qint64> copyIntoServer(const QString& databaseFile, QSqlDatabase& server) {
    std::vector<qint64> copied;
    inNewSchema(server, [&] { copied = copyRowsFrom(databaseFile, server); });
    return copied;
}

std::vector<qint64> replaceServerRows(const QString& databaseFile, QSqlDatabase& server) {
    run(server, "BEGIN", PGRES_COMMAND_OK);
    try {
        run(server,
            QStringLiteral("TRUNCATE %1 RESTART IDENTITY").arg(schemaTables().join(", ")).toUtf8(),
            PGRES_COMMAND_OK);
        std::vector<qint64> copied = copyRowsFrom(databaseFile, server);
        run(server, "COMMIT", PGRES_COMMAND_OK);
        return copied;
    } catch (...) {
        PQclear(PQexec(connectionOf(server), "ROLLBACK"));
        throw;
    }
}

bool othersConnected(QSqlDatabase& server) {
    const Result r = run(server,
                         "SELECT count(*) FROM pg_stat_activity WHERE datname = "
                         "current_database() AND pid <> pg_backend_pid() AND backend_type = "
                         "'client backend'",
                         PGRES_TUPLES_OK);
    return QByteArray(PQgetvalue(r.get(), 0, 0)).toInt() > 0;
}

namespace postgres {

PGconn* handleOf(const QSqlDriver* driver) {
    if (!driver)
        return nullptr;
    const QVariant v = driver->handle();
    if (!v.isValid() ||
        (qstrcmp(v.typeName(), "PGconn*") != 0 && qstrcmp(v.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(v.data());
}

std::vector<ColumnInfo> describe(QSqlDatabase& db, const QString& sql) {
    QStringList names;
    const std::shared_ptr<const PGresult> r = describeStatement(db, sql, &names);
    std::vector<ColumnInfo> columns;
    for (int i = 0; i < PQnfields(r.get()); ++i) {
        ColumnInfo c;
        c.name = QString::fromUtf8(PQfname(r.get(), i));
        const TableInfo* table = tableOf(db, PQftable(r.get(), i));
        const int number = PQftablecol(r.get(), i);
        if (table && table->columns.contains(number)) {
            c.table = table->name;
            c.origin = table->columns.value(number);
            c.primaryKey = number == table->keyColumn;
            // The server folds unquoted names to small letters; a column read under its own
            // name keeps the schema's spelling, as SQLite gives it.
            if (c.name == c.origin)
                c.name = schemaSpelling(c.name);
            c.type = typeOf(PQftype(r.get(), i), c.primaryKey);
            const int modifier = PQfmod(r.get(), i);
            if (c.type == FieldType::String)
                c.width = modifier >= 4 ? modifier - 4 : 255;
        }
        columns.push_back(c);
    }
    return columns;
}

std::vector<FieldType> parameterTypes(QSqlDatabase& db, const QString& sql,
                                      const QStringList& names) {
    std::vector<FieldType> types(size_t(names.size()), FieldType::Unknown);
    if (names.isEmpty())
        return types;
    QStringList order;
    const std::shared_ptr<const PGresult> r = describeStatement(db, sql, &order);
    for (int i = 0; i < PQnparams(r.get()) && i < order.size(); ++i) {
        qsizetype n = names.size() - 1;
        while (n >= 0 && names.at(n).compare(order.at(i), Qt::CaseInsensitive) != 0)
            --n;
        if (n >= 0 && types[size_t(n)] == FieldType::Unknown)
            types[size_t(n)] = typeOf(PQparamtype(r.get(), i), false);
    }
    return types;
}

QString sameValueCondition(const QString& column, FieldType type) {
    // The text columns compare without letter case; "C" compares exactly, so a change of
    // case is a change.
    if (type == FieldType::String || type == FieldType::Memo)
        return QStringLiteral("%1 COLLATE \"C\" IS NOT DISTINCT FROM ?").arg(column);
    return QStringLiteral("%1 IS NOT DISTINCT FROM ?").arg(column);
}

QString insertSuffix(QSqlDatabase& db, const QString& table) {
    for (const TableInfo& t : catalog(db, false)) {
        if (t.name.compare(table, Qt::CaseInsensitive) == 0)
            return t.key.isEmpty() ? QString() : QStringLiteral(" RETURNING ") + t.key;
    }
    return {};
}

namespace {
QString inKeyOrder(QSqlDatabase& db, const QString& sql);
} // namespace

QString runnableStatement(QSqlDatabase& db, const QString& sql, int rowsWanted) {
    QString text = inKeyOrder(db, sql).trimmed();
    if (rowsWanted <= 0)
        return text;
    if (text.endsWith(';'))
        text.chop(1);
    // The subquery keeps its order for the rows the limit lets through.
    return QStringLiteral("SELECT * FROM (%1) AS linhas LIMIT %2").arg(text).arg(rowsWanted);
}

namespace {

// Whether a bound value is sent as NULL: an empty variant, or a null text, date or time (as
// Qt Sql's drivers take them).
bool isNullValue(const QVariant& value) {
    if (value.isNull())
        return true;
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString().isNull();
    case QMetaType::QByteArray:
        return value.toByteArray().isNull();
    case QMetaType::QDate:
        return value.toDate().isNull();
    case QMetaType::QTime:
        return value.toTime().isNull();
    case QMetaType::QDateTime:
        return value.toDateTime().isNull();
    default:
        return false;
    }
}

// A bound value as the text of an untyped parameter: the server reads it as the type the
// statement compares it with, as it reads a quoted literal.
QByteArray parameterText(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate).toUtf8();
    case QMetaType::QTime:
        return value.toTime().toString(Qt::ISODateWithMs).toUtf8();
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8();
    case QMetaType::Bool:
        return value.toBool() ? "true" : "false";
    case QMetaType::Double:
    case QMetaType::Float:
        return QByteArray::number(value.toDouble(), 'g', 17);
    default:
        return value.toString().toUtf8();
    }
}

// A value of a result as QPSQL gives it: integers, floating point numbers, dates and times as
// such, anything else as text; a null keeps its column's type.
QVariant resultValue(const PGresult* result, int row, int column) {
    const Oid type = PQftype(result, column);
    QMetaType meta;
    switch (type) {
    case BoolOid:
        meta = QMetaType::fromType<bool>();
        break;
    case Int2:
    case Int4:
        meta = QMetaType::fromType<int>();
        break;
    case Int8:
        meta = QMetaType::fromType<qlonglong>();
        break;
    case Float4:
    case Float8:
    case Numeric:
        meta = QMetaType::fromType<double>();
        break;
    case DateOid:
        meta = QMetaType::fromType<QDate>();
        break;
    case TimeOid:
        meta = QMetaType::fromType<QTime>();
        break;
    case Timestamp:
    case TimestampTz:
        meta = QMetaType::fromType<QDateTime>();
        break;
    default:
        meta = QMetaType::fromType<QString>();
    }
    if (PQgetisnull(result, row, column))
        return QVariant(meta);
    const char* text = PQgetvalue(result, row, column);
    const QLatin1StringView latin(text);
    switch (meta.id()) {
    case QMetaType::Bool:
        return text[0] == 't';
    case QMetaType::Int:
        return QByteArray::fromRawData(text, qsizetype(qstrlen(text))).toInt();
    case QMetaType::LongLong:
        return QByteArray::fromRawData(text, qsizetype(qstrlen(text))).toLongLong();
    case QMetaType::Double:
        return QByteArray::fromRawData(text, qsizetype(qstrlen(text))).toDouble();
    case QMetaType::QDate:
        return QDate::fromString(latin, Qt::ISODate);
    case QMetaType::QTime:
        return QTime::fromString(latin, Qt::ISODateWithMs);
    case QMetaType::QDateTime:
        return QDateTime::fromString(latin, Qt::ISODateWithMs);
    default:
        return QString::fromUtf8(text);
    }
}

// A statement's rows as the server sends them, one result per row, so that a large result is
// never held whole beside the dataset's copy of it.
class ServerRows final : public Rows {
public:
    // Takes the first answer at once: a refused statement raises here.
    explicit ServerRows(PGconn* conn) : conn_(conn) {
        PQsetSingleRowMode(conn_);
        take();
        if (!done_)
            pending_ = true;
    }
    ~ServerRows() override {
        while (PGresult* rest = PQgetResult(conn_))
            PQclear(rest);
    }
    bool next() override {
        if (pending_) {
            pending_ = false;
            return true;
        }
        if (done_)
            return false;
        take();
        return !done_;
    }
    QVariant value(int column) const override { return resultValue(row_.get(), 0, column); }

private:
    void take() {
        row_.reset(PQgetResult(conn_));
        if (row_ && PQresultStatus(row_.get()) == PGRES_SINGLE_TUPLE)
            return;
        done_ = true;
        const Result last = std::move(row_);
        while (PGresult* rest = PQgetResult(conn_))
            PQclear(rest);
        if (!last || PQresultStatus(last.get()) != PGRES_TUPLES_OK)
            throw resultError(conn_, last.get());
    }

    PGconn* conn_;
    Result row_;
    bool pending_ = false; // the first row, taken with the first answer, is not yet read
    bool done_ = false;
};

QString inKeyOrder(QSqlDatabase& db, const QString& sql) {
    // One table, no join, order, grouping or second SELECT.
    static const QRegularExpression single(
        QStringLiteral("^\\s*select\\s.*\\sfrom\\s+(\\w+)(\\s+where\\s.*)?\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression other(
        QStringLiteral(
            "\\b(join|order|group|union|limit|having|distinct)\\b|\\bfrom\\b.*\\bfrom\\b"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = single.match(sql);
    if (!match.hasMatch() || other.match(sql).hasMatch())
        return sql;
    QString key;
    for (const TableInfo& t : catalog(db, false)) {
        if (t.name.compare(match.captured(1), Qt::CaseInsensitive) == 0)
            key = t.key;
    }
    if (key.isEmpty())
        return sql;
    QString text = sql.trimmed();
    if (text.endsWith(';'))
        text.chop(1);
    return text + QStringLiteral(" ORDER BY ") + key;
}

} // namespace

void synchronizeKeys(QSqlDatabase& db) {
    for (const TableInfo& t : catalog(db, false)) {
        if (t.key.isEmpty())
            continue;
        run(db,
            QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), "
                           "coalesce(max(%2), 0) + 1, false) FROM %1")
                .arg(t.name, t.key)
                .toUtf8(),
            PGRES_TUPLES_OK);
    }
}

QVariant insertedKey(QSqlQuery& insert) {
    if (!insert.isSelect() || !insert.next())
        return {};
    return insert.value(0).toLongLong();
}

Error statementError(const QSqlQuery& query) {
    const QSqlError error = query.lastError();
    return classify(handleOf(query.driver()), error.nativeErrorCode(), error.databaseText());
}

void backup(QSqlDatabase& db, const QString& destinationFile, const BackupProgress& progress) {
    if (QFileInfo::exists(destinationFile))
        throw engineError(QStringLiteral("%1 já existe").arg(destinationFile));
    // A connection of its own, so that the windows may go on saving on the program's one while
    // the copy reads its snapshot.
    const QString name = QUuid::createUuid().toString();
    const QString partial = destinationFile + QStringLiteral(".parcial");
    QFile::remove(partial);
    sqlite3* target = nullptr;
    try {
        {
            QSqlDatabase reader = QSqlDatabase::cloneDatabase(db, name);
            if (!reader.open())
                throw engineError(lostConnection);
            QSqlQuery q(reader);
            if (!q.exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")))
                throw statementError(q);
            QStringList counts;
            for (const QString& table : schemaTables())
                counts << QStringLiteral("(SELECT count(*) FROM %1)").arg(table);
            if (!q.exec(QStringLiteral("SELECT ") + counts.join(" + ")) || !q.next())
                throw statementError(q);
            const qint64 total = q.value(0).toLongLong();

            createDatabase(partial, schemaStatements());
            if (sqlite3_open_v2(QFile::encodeName(partial).constData(), &target,
                                SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
                // A copy that fails is removed whole, so it needs no journal of its own.
                sqlite3_exec(target,
                             "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; "
                             "PRAGMA cache_size=-65536; BEGIN",
                             nullptr, nullptr, nullptr) != SQLITE_OK)
                throw engineError(QString::fromUtf8(sqlite3_errmsg(target)));
            qint64 done = 0;
            q.finish();
            for (const QString& table : schemaTables())
                copyRows(reader, target, table, &done, total, progress);
            q.exec(QStringLiteral("COMMIT"));
            // The copy leaves write-ahead-log mode, so that it is one file.
            if (sqlite3_exec(target, "COMMIT; PRAGMA journal_mode=DELETE", nullptr, nullptr,
                             nullptr) != SQLITE_OK)
                throw engineError(QString::fromUtf8(sqlite3_errmsg(target)));
            sqlite3_close(target);
            target = nullptr;
            if (progress)
                progress(total, total);
        }
        QSqlDatabase::removeDatabase(name);
        if (!QFile::rename(partial, destinationFile))
            throw engineError(QStringLiteral("não foi possível gravar %1").arg(destinationFile));
    } catch (...) {
        sqlite3_close(target);
        QSqlDatabase::removeDatabase(name);
        QFile::remove(partial);
        QFile::remove(partial + "-wal");
        QFile::remove(partial + "-shm");
        throw;
    }
}

std::unique_ptr<Rows> select(QSqlDatabase& db, const QString& sql, const Binds& binds,
                             int rowsWanted) {
    PGconn* conn = idleConnectionOf(db);
    QStringList order;
    const QByteArray text = numbered(runnableStatement(db, sql, rowsWanted), &order);
    // Each placeholder takes the value bound to its name; an unbound one is null.
    std::vector<QByteArray> values(size_t(order.size()));
    std::vector<const char*> pointers(size_t(order.size()), nullptr);
    for (qsizetype i = 0; i < order.size(); ++i) {
        const auto bound = std::find_if(binds.begin(), binds.end(), [&](const auto& b) {
            return b.first.compare(order.at(i), Qt::CaseInsensitive) == 0;
        });
        if (bound == binds.end() || isNullValue(bound->second))
            continue;
        values[size_t(i)] = parameterText(bound->second);
        pointers[size_t(i)] = values[size_t(i)].constData();
    }
    if (!PQsendQueryParams(conn, text.constData(), int(order.size()), nullptr, pointers.data(),
                           nullptr, nullptr, 0))
        throw classify(conn, QString(), QString::fromUtf8(PQerrorMessage(conn)));
    return std::make_unique<ServerRows>(conn);
}

} // namespace postgres

} // namespace corvalen::db::engine
