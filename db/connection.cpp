#include "db/connection.h"

#include "db/engine.h"

#include <QFileInfo>

namespace corvalen::db {

Connection::Connection(const QString& name, QObject* parent) : QObject(parent), qtName_(name) {
    setObjectName(name);
    QSqlDatabase::addDatabase(engine::driverName(), qtName_);
}

Connection::~Connection() {
    {
        QSqlDatabase db = QSqlDatabase::database(qtName_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(qtName_);
}

QString Connection::sharedName() {
    return QStringLiteral("ADOConnection1");
}

void Connection::setConnectionString(const QString& text) {
    connectionString_ = text;
}

QString Connection::filePath() const {
    for (const QString& part : connectionString_.split(';')) {
        const int eq = part.indexOf('=');
        if (eq > 0 && part.left(eq).trimmed().compare("Data Source", Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1);
    }
    return {};
}

void Connection::open() {
    // A data folder with servidor.cfg works on the server it names instead of med.mdb.
    const auto server = engine::serverSettings(QFileInfo(filePath()).absolutePath());
    const QString driver = server ? engine::serverDriverName() : engine::driverName();
    if (QSqlDatabase::database(qtName_, false).driverName() != driver) {
        QSqlDatabase::removeDatabase(qtName_);
        QSqlDatabase::addDatabase(driver, qtName_);
    }
    QSqlDatabase db = QSqlDatabase::database(qtName_, false);
    if (server)
        engine::openServer(db, server->connection);
    else
        engine::open(db, filePath());
}

void Connection::close() {
    QSqlDatabase::database(qtName_, false).close();
}

bool Connection::connected() const {
    return QSqlDatabase::database(qtName_, false).isOpen();
}

QSqlDatabase Connection::database() const {
    return QSqlDatabase::database(qtName_, false);
}

} // namespace corvalen::db
