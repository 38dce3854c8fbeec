#include "tests/support/fixture.h"

#include "db/connection.h"
#include "db/datafolder.h"
#include "db/dm2.h"
#include "db/engine.h"
#include "db/session.h"
#include "platform/error.h"

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
    db::prepareDataFolder(path(), "/nonexistent/medicina.jpg");
    session().dataFolder = path();
    session().programFolder = path();
}

DataFolder::~DataFolder() {
    dm_.reset();
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
    QSqlDatabase db = QSqlDatabase::addDatabase(db::engine::driverName(), name);
    db::engine::open(db, file);
    auto result = f(db);
    db.close();
    return result;
}
} // namespace

void DataFolder::exec(const QString& sql) {
    withConnection(file("med.mdb"), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            qFatal("fixture SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return 0;
    });
}

void DataFolder::execUnchecked(const QString& sql) {
    withConnection(file("med.mdb"), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec("PRAGMA ignore_check_constraints = ON") || !q.exec(sql))
            qFatal("fixture SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return 0;
    });
}

QVariant DataFolder::scalar(const QString& sql) {
    return withConnection(file("med.mdb"), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            qFatal("fixture SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return q.next() ? q.value(0) : QVariant();
    });
}

TDm2* DataFolder::openDataModule() {
    dm_ = std::make_unique<TDm2>();
    dm_->DataModuleCreate();
    return dm_.get();
}

} // namespace corvalen::test

namespace corvalen::test {

Workstation::Workstation(const QString& databaseFile) : name_(QUuid::createUuid().toString()) {
    QSqlDatabase db = QSqlDatabase::addDatabase(db::engine::driverName(), name_);
    db::engine::open(db, databaseFile);
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
    if (!q.exec("BEGIN IMMEDIATE"))
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

ReadFailure::ReadFailure() {
    sqlite3_progress_handler(sharedHandle(), 1, interrupt, nullptr);
}

ReadFailure::~ReadFailure() {
    sqlite3_progress_handler(sharedHandle(), 0, nullptr, nullptr);
}

} // namespace corvalen::test
