#include "db/database_file.h"

#include "db/schema.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QUrl>
#include <map>
#include <sqlite3.h>

namespace corvalen::db {

namespace {

// Pages copied per step: 4 MB at SQLite's usual page size, a few milliseconds of work.
constexpr int pagesPerStep = 1024;
// A step that finds the source busy is retried for this long (0.1 s apart) before giving up.
constexpr int busyRetries = 100;

Error fileError(const QString& reason) {
    return Error(QStringLiteral("EDatabaseFile"), reason);
}

// A short Portuguese reason for an SQLite result code, with SQLite's own text for the rest.
QString reasonFor(int code, sqlite3* handle) {
    switch (code & 0xff) {
    case SQLITE_FULL:
        return QStringLiteral("o disco está cheio");
    case SQLITE_CANTOPEN:
        return QStringLiteral("o arquivo não pôde ser aberto");
    case SQLITE_NOTADB:
        return QStringLiteral("o arquivo não é um banco de dados");
    case SQLITE_CORRUPT:
        return QStringLiteral("o banco de dados está danificado");
    case SQLITE_IOERR:
        return QStringLiteral("erro de leitura ou gravação no disco");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("o banco de dados está ocupado");
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("sem permissão de acesso ao arquivo");
    default:
        break;
    }
    const char* text = handle ? sqlite3_errmsg(handle) : sqlite3_errstr(code);
    return QStringLiteral("erro do SQLite: %1").arg(QString::fromUtf8(text));
}

// An open connection, closed when it goes out of scope.
class Connection {
public:
    Connection(const QString& path, int flags) {
        const int rc =
            sqlite3_open_v2(QFile::encodeName(path).constData(), &handle_, flags, nullptr);
        if (rc != SQLITE_OK) {
            const QString reason = reasonFor(rc, nullptr);
            sqlite3_close_v2(handle_);
            handle_ = nullptr;
            throw fileError(reason);
        }
        sqlite3_extended_result_codes(handle_, 1);
    }
    ~Connection() { sqlite3_close_v2(handle_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* get() const { return handle_; }
    sqlite3* release() { return std::exchange(handle_, nullptr); }

    void exec(const char* sql) const {
        const int rc = sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw fileError(reasonFor(rc, handle_));
    }

    // Runs a statement and returns its first row's first column as text (empty without rows).
    // Raises the statement's result code through `failed`.
    QString text(const char* sql, int* failed = nullptr) const {
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(handle_, sql, -1, &statement, nullptr);
        QString value;
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(statement);
            if (rc == SQLITE_ROW)
                value = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE && rc != SQLITE_OK) {
            if (failed) {
                *failed = rc;
                return {};
            }
            throw fileError(reasonFor(rc, handle_));
        }
        return value;
    }

private:
    sqlite3* handle_ = nullptr;
};

// Creates `path` as a new empty file (an empty file is an empty database to SQLite); refuses
// an existing one.
void createNewFile(const QString& path) {
    QFile file(path);
    if (file.exists())
        throw fileError(QStringLiteral("o arquivo %1 já existe").arg(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw fileError(
            QStringLiteral("o arquivo %1 não pôde ser criado (%2)").arg(path, file.errorString()));
}

void removeWithCompanions(const QString& path) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

// Copies the database open on `source` into `destination`, an empty file. When the source
// connection holds a read transaction, the copy is of that transaction's snapshot.
void copyInto(sqlite3* source, const QString& destination, const CopyProgress& progress) {
    {
        Connection copy(destination, SQLITE_OPEN_READWRITE);
        // A private file that is thrown away on failure: no journal, no flushing per step.
        copy.exec("PRAGMA journal_mode=OFF");
        copy.exec("PRAGMA synchronous=OFF");
        sqlite3_backup* backup = sqlite3_backup_init(copy.get(), "main", source, "main");
        if (!backup)
            throw fileError(reasonFor(sqlite3_errcode(copy.get()), copy.get()));
        int rc = SQLITE_OK;
        int busy = 0;
        do {
            rc = sqlite3_backup_step(backup, pagesPerStep);
            if (rc == SQLITE_OK || rc == SQLITE_DONE) {
                busy = 0;
                if (progress) {
                    const int total = sqlite3_backup_pagecount(backup);
                    progress(total - sqlite3_backup_remaining(backup), total);
                }
            } else if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) {
                if (++busy > busyRetries)
                    break;
                sqlite3_sleep(100);
            }
        } while (rc == SQLITE_OK || (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED);
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE)
            throw fileError(reasonFor(rc, nullptr));
    }
    // The copied header still names the source's journal mode; opened afresh, the copy is
    // switched to an ordinary rollback journal, so it opens later without a log.
    Connection copy(destination, SQLITE_OPEN_READWRITE);
    if (copy.text("PRAGMA journal_mode=DELETE").toLower() != QLatin1String("delete"))
        throw fileError(QStringLiteral("a cópia do banco de dados não pôde ser concluída"));
}

void copyToNewFile(sqlite3* source, const QString& destination, const CopyProgress& progress) {
    createNewFile(destination);
    try {
        copyInto(source, destination, progress);
    } catch (...) {
        removeWithCompanions(destination);
        throw;
    }
}

// Every table of the program's schema with its columns, in lower case.
const std::map<QString, QSet<QString>>& requiredColumns() {
    static const std::map<QString, QSet<QString>> columns = [] {
        std::map<QString, QSet<QString>> result;
        Connection schema(QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE);
        for (const QString& statement : schemaStatements())
            schema.exec(statement.toUtf8().constData());
        sqlite3_stmt* list = nullptr;
        sqlite3_prepare_v2(
            schema.get(),
            "SELECT m.name, p.name FROM sqlite_master m, pragma_table_info(m.name) p "
            "WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite_%'",
            -1, &list, nullptr);
        while (sqlite3_step(list) == SQLITE_ROW) {
            const auto column = [list](int i) {
                return QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(list, i)));
            };
            result[column(0)].insert(column(1).toLower());
        }
        sqlite3_finalize(list);
        return result;
    }();
    return columns;
}

void checkTables(const Connection& db) {
    for (const auto& [table, columns] : requiredColumns()) {
        sqlite3_stmt* info = nullptr;
        const QByteArray sql = "SELECT name FROM pragma_table_info(?)";
        sqlite3_prepare_v2(db.get(), sql.constData(), -1, &info, nullptr);
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(info, 1, name.constData(), -1, SQLITE_TRANSIENT);
        QSet<QString> present;
        int rc;
        while ((rc = sqlite3_step(info)) == SQLITE_ROW)
            present.insert(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 0)))
                    .toLower());
        sqlite3_finalize(info);
        if (rc != SQLITE_DONE)
            throw fileError(reasonFor(rc, db.get()));
        if (present.isEmpty())
            throw fileError(QStringLiteral("falta a tabela %1").arg(table));
        for (const QString& column : columns) {
            if (!present.contains(column))
                throw fileError(
                    QStringLiteral("falta a coluna %1 da tabela %2").arg(column, table));
        }
    }
}

DatabaseSummary summaryOf(const Connection& db) {
    sqlite3_stmt* counts = nullptr;
    int rc =
        sqlite3_prepare_v2(db.get(),
                           "SELECT (SELECT count(*) FROM Pacientes), "
                           "(SELECT count(*) FROM Consultas), (SELECT count(*) FROM Exames), "
                           "(SELECT count(*) FROM Usuarios), (SELECT max(Data) FROM Consultas)",
                           -1, &counts, nullptr);
    DatabaseSummary summary;
    if (rc == SQLITE_OK && (rc = sqlite3_step(counts)) == SQLITE_ROW) {
        summary.patients = sqlite3_column_int64(counts, 0);
        summary.consultations = sqlite3_column_int64(counts, 1);
        summary.exams = sqlite3_column_int64(counts, 2);
        summary.users = sqlite3_column_int64(counts, 3);
        const auto* newest = reinterpret_cast<const char*>(sqlite3_column_text(counts, 4));
        if (newest)
            summary.newestConsultation =
                QDate::fromString(QString::fromUtf8(newest).left(10), Qt::ISODate);
    }
    sqlite3_finalize(counts);
    if (rc != SQLITE_ROW)
        throw fileError(reasonFor(rc, db.get()));
    return summary;
}

int callTick(void* tick) {
    (*static_cast<const std::function<void()>*>(tick))();
    return 0;
}

} // namespace

void copyDatabaseFile(const QString& source, const QString& destination,
                      const CopyProgress& progress) {
    if (!QFileInfo(source).isFile())
        throw fileError(QStringLiteral("o arquivo %1 não existe").arg(source));
    Connection reader(source, SQLITE_OPEN_READONLY);
    sqlite3_busy_timeout(reader.get(), 5000);
    // One read transaction for the whole copy: its snapshot is what gets copied, and other
    // connections' writes meanwhile go to the log without restarting the copy.
    reader.exec("BEGIN");
    reader.exec("SELECT count(*) FROM sqlite_master");
    copyToNewFile(reader.get(), destination, progress);
    reader.exec("COMMIT");
}

DatabaseSummary checkDatabaseFile(const QString& path, const std::function<void()>& tick) {
    if (!QFileInfo(path).isFile())
        throw fileError(QStringLiteral("o arquivo %1 não existe").arg(path));
    Connection db(path, SQLITE_OPEN_READONLY);
    if (tick)
        sqlite3_progress_handler(db.get(), 200000, callTick,
                                 const_cast<std::function<void()>*>(&tick));
    int failed = SQLITE_OK;
    const QString verdict = db.text("PRAGMA integrity_check(1)", &failed);
    if (failed != SQLITE_OK || verdict != QLatin1String("ok"))
        throw fileError(QStringLiteral("o banco de dados não passou na verificação de "
                                       "integridade (%1)")
                            .arg(failed != SQLITE_OK ? reasonFor(failed, db.get()) : verdict));
    sqlite3_progress_handler(db.get(), 0, nullptr, nullptr);
    checkTables(db);
    return summaryOf(db);
}

DatabaseSummary summarizeDatabaseFile(const QString& path) {
    if (!QFileInfo(path).isFile())
        throw fileError(QStringLiteral("o arquivo %1 não existe").arg(path));
    // Without a log beside it the whole database is in the file and nobody has it open in
    // log mode: it is read as an unchanging file, so that no log or index file is created.
    // With one, the log is read too, and closing must not fold it in.
    const bool logged = QFileInfo::exists(path + QStringLiteral("-wal"));
    const QString name =
        logged ? path : QUrl::fromLocalFile(path).toString() + QStringLiteral("?immutable=1");
    Connection db(name, SQLITE_OPEN_READONLY | (logged ? 0 : SQLITE_OPEN_URI));
    sqlite3_busy_timeout(db.get(), 2000);
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    return summaryOf(db);
}

DatabaseInUse::DatabaseInUse()
    : Error(QStringLiteral("EDatabaseInUse"),
            QStringLiteral("o banco de dados está aberto por outro programa (o Corvalen está "
                           "em uso)")) {}

DatabaseDamaged::DatabaseDamaged(const QString& reason)
    : Error(QStringLiteral("EDatabaseDamaged"), reason) {}

DatabaseLock::DatabaseLock(const QString& path) {
    if (!QFileInfo(path).isFile())
        throw fileError(QStringLiteral("o arquivo %1 não existe").arg(path));
    Connection db(path, SQLITE_OPEN_READWRITE);
    sqlite3_busy_timeout(db.get(), 1000);
    const auto busy = [](int rc) {
        return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
    };
    // Leaving write-ahead-log mode needs every other connection closed; it folds the log in.
    int failed = SQLITE_OK;
    const QString mode = db.text("PRAGMA journal_mode=DELETE", &failed);
    if (busy(failed) || (failed == SQLITE_OK && mode.toLower() != QLatin1String("delete")))
        throw DatabaseInUse();
    if ((failed & 0xff) == SQLITE_NOTADB || (failed & 0xff) == SQLITE_CORRUPT)
        throw DatabaseDamaged(reasonFor(failed, db.get()));
    if (failed != SQLITE_OK)
        throw fileError(reasonFor(failed, db.get()));
    // An exclusive lock, kept until the connection closes: a file already out of that mode
    // (never opened by the program since) is still refused while another connection reads it.
    db.exec("PRAGMA locking_mode=EXCLUSIVE");
    const int rc = sqlite3_exec(db.get(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    if (busy(rc))
        throw DatabaseInUse();
    if (rc != SQLITE_OK)
        throw fileError(reasonFor(rc, db.get()));
    db.exec("COMMIT");
    handle_ = db.release();
}

DatabaseLock::~DatabaseLock() {
    sqlite3_close_v2(handle_);
}

void DatabaseLock::copyTo(const QString& destination, const CopyProgress& progress) {
    copyToNewFile(handle_, destination, progress);
}

} // namespace corvalen::db
