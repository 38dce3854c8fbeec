#include "tests/support/fixture.h"

#include "db/connection.h"
#include "db/datafolder.h"
#include "db/dm2.h"
#include "db/engine.h"
#include "db/session.h"
#include "platform/error.h"
#include "tests/support/server.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <sqlite3.h>

namespace corvalen::test {

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return {};
}

MessageRecorder::MessageRecorder() {
    messages::setHook([this](const messages::Shown& s) {
        shown_.push_back(s);
        if (!answers_.empty()) {
            const messages::Answer a = answers_.front();
            answers_.pop_front();
            return a;
        }
        switch (s.buttons) {
        case messages::Buttons::YesNo:
            return messages::Answer::Yes;
        default:
            return messages::Answer::Ok;
        }
    });
}

MessageRecorder::~MessageRecorder() {
    messages::setHook({});
}

QStringList MessageRecorder::texts() const {
    QStringList t;
    for (const auto& s : shown_)
        t << s.text;
    return t;
}

QString MessageRecorder::last() const {
    return shown_.empty() ? QString() : shown_.back().text;
}

DataFolder::DataFolder(const QString& under) : under_(under) {
    if (onServer()) {
        server_ = newServerDatabase();
        db::prepareServerDataFolder(path(), "/nonexistent/medicina.jpg", server_);
    } else {
        db::prepareDataFolder(path(), "/nonexistent/medicina.jpg");
    }
    session().dataFolder = path();
    session().programFolder = path();
}

DataFolder::~DataFolder() {
    dm_.reset();
    if (!server_.isEmpty())
        dropServerDatabase(server_);
}

QString DataFolder::root() const {
    return dir_.path();
}

QString DataFolder::path() const {
    return under_.isEmpty() ? dir_.path() : dir_.filePath(under_);
}

QString DataFolder::file(const QString& name) const {
    return path() + '/' + name;
}

namespace {
template <typename F> auto withConnection(const QString& file, F f) {
    const QString name = QUuid::createUuid().toString();
    struct Remove {
        QString name;
        ~Remove() { QSqlDatabase::removeDatabase(name); }
    } remove{name};
    QSqlDatabase db = openFolderDatabase(name, QFileInfo(file).absolutePath());
    auto result = f(db);
    db.close();
    return result;
}
} // namespace

namespace {

// The fixtures' few SQLite functions, in the server's words.
QString dialect(const QSqlDatabase& db, QString sql) {
    if (!db::engine::isServer(db))
        return sql;
    static const QRegularExpression groupConcat(QStringLiteral("group_concat\\((\\w+)\\)"));
    sql.replace(groupConcat, QStringLiteral("string_agg(\\1, ',')"));
    // LIKE compares exactly on the server's columns only; SQLite's ignores ASCII case.
    static const QRegularExpression like(QStringLiteral("(\\w+) like "),
                                         QRegularExpression::CaseInsensitiveOption);
    sql.replace(like, QStringLiteral("\\1 COLLATE \"C\" ILIKE "));
    static const QRegularExpression memo(QStringLiteral("\\bMEMO\\b"));
    sql.replace(memo, QStringLiteral("TEXT"));
    return sql.replace(QStringLiteral("char(13, 10)"), QStringLiteral("chr(13) || chr(10)"));
}

} // namespace

void DataFolder::exec(const QString& sql) {
    withConnection(file("med.mdb"), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(dialect(db, sql)))
            qFatal("fixture SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        // Rows given their keys here must not make the server hand the same keys out again.
        db::engine::synchronizeKeys(db);
        return 0;
    });
}

void DataFolder::execUnchecked(const QString& sql) {
    withConnection(file("med.mdb"), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        // The server has no such switch: its VARCHAR widths hold whatever the statement says.
        if ((!db::engine::isServer(db) && !q.exec("PRAGMA ignore_check_constraints = ON")) ||
            !q.exec(dialect(db, sql)))
            qFatal("fixture SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return 0;
    });
}

QVariant DataFolder::scalar(const QString& sql) {
    return withConnection(file("med.mdb"), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(dialect(db, sql)))
            qFatal("fixture SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        if (!q.next())
            return QVariant();
        // Dates and times read as the text SQLite holds, so that tests compare one form.
        const QVariant value = q.value(0);
        switch (value.typeId()) {
        case QMetaType::QDate:
            return db::engine::toStorage(db::FieldType::Date, value);
        case QMetaType::QTime:
            return db::engine::toStorage(db::FieldType::Time, value);
        default:
            return value;
        }
    });
}

void DataFolder::removeDatabase() {
    if (server_.isEmpty()) {
        QFile::remove(file("med.mdb"));
        return;
    }
    db::engine::writeServerSettings(path(), {server_ + QStringLiteral("_nao_existe"), {}});
}

TDm2* DataFolder::openDataModule() {
    dm_ = std::make_unique<TDm2>();
    dm_->DataModuleCreate();
    return dm_.get();
}

} // namespace corvalen::test

namespace corvalen::test {

Workstation::Workstation(const QString& databaseFile) : name_(QUuid::createUuid().toString()) {
    openFolderDatabase(name_, QFileInfo(databaseFile).absolutePath());
}

Workstation::~Workstation() {
    release();
    QSqlDatabase::database(name_, false).close();
    QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase Workstation::database() const {
    return QSqlDatabase::database(name_, false);
}

void Workstation::holdWrite() {
    QSqlQuery q(database());
    // On the server, a transaction that locks every table against writes (reads go on).
    const bool taken =
        db::engine::isServer(database())
            ? q.exec("BEGIN") && q.exec("LOCK TABLE Usuarios, Pacientes, Consultas, Exames, "
                                        "Clinica IN EXCLUSIVE MODE")
            : q.exec("BEGIN IMMEDIATE");
    if (!taken)
        qFatal("could not take the write lock: %s", qPrintable(q.lastError().text()));
    holding_ = true;
}

void Workstation::release() {
    if (!holding_)
        return;
    QSqlQuery q(database());
    q.exec("COMMIT");
    holding_ = false;
}

namespace {

sqlite3* sharedHandle() {
    const QVariant handle =
        QSqlDatabase::database(db::Connection::sharedName(), false).driver()->handle();
    return *static_cast<sqlite3* const*>(handle.data());
}

int interrupt(void*) {
    return 1;
}

int countRow(unsigned, void* counter, void*, void*) {
    ++*static_cast<int*>(counter);
    return 0;
}

} // namespace

RowCounter::RowCounter() {
    sqlite3_trace_v2(sharedHandle(), SQLITE_TRACE_ROW, countRow, &rows_);
}

RowCounter::~RowCounter() {
    sqlite3_trace_v2(sharedHandle(), 0, nullptr, nullptr);
}

// On the server, a role without any right on the tables: statements are still prepared and
// described, and fail when they run, as SQLite's interrupted ones do.
static void runShared(const QString& statement) {
    QSqlQuery q(QSqlDatabase::database(db::Connection::sharedName(), false));
    if (!q.exec(statement))
        qFatal("%s failed: %s", qPrintable(statement), qPrintable(q.lastError().text()));
}

ReadFailure::ReadFailure() {
    if (onServer()) {
        runShared("DO $$ BEGIN CREATE ROLE corvalen_sem_acesso NOLOGIN; "
                  "EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL; END $$");
        runShared("SET ROLE corvalen_sem_acesso");
    } else {
        sqlite3_progress_handler(sharedHandle(), 1, interrupt, nullptr);
    }
}

ReadFailure::~ReadFailure() {
    if (onServer())
        runShared("RESET ROLE");
    else
        sqlite3_progress_handler(sharedHandle(), 0, nullptr, nullptr);
}

} // namespace corvalen::test
