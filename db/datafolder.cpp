#include "db/datafolder.h"

#include "db/engine.h"
#include "db/schema.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "platform/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace corvalen::db {

PreparedAccount initialAdministrator() {
    return {"admin", "admin"};
}

namespace {

void refuseExisting(const QStringList& files) {
    for (const QString& existing : files) {
        if (QFileInfo::exists(existing))
            throw Error("EPrepare",
                        QStringLiteral("%1 já existe; nada foi alterado.").arg(existing));
    }
}

void makeFolder(const QString& folder) {
    if (!QDir().mkpath(platform::joinPath(folder, "ex")))
        throw Error("EPrepare", QStringLiteral("Não foi possível criar a pasta %1.").arg(folder));
}

// The administrator and the clinic's row of a new database.
QStringList firstRows() {
    const PreparedAccount admin = initialAdministrator();
    return {QStringLiteral("INSERT INTO Usuarios (nome, senha, nivel, medico) "
                           "VALUES ('%1', '%2', 1, 'Administrador')")
                .arg(admin.login, admin.password),
            QStringLiteral("INSERT INTO Clinica (nome) VALUES ('Clínica')")};
}

void writeFiles(const QString& folder, const QString& logoPath) {
    platform::writeLine(platform::joinPath(folder, "logo.cfg"), logoPath);
    platform::writeLine(platform::joinPath(folder, "cont.cfg"), "0");
}

} // namespace

QString sharedFolder(const QString& dataFolder) {
    try {
        const auto server = engine::serverSettings(dataFolder);
        if (server && !server->sharedFolder.isEmpty())
            return server->sharedFolder;
    } catch (const Error&) {
        // An unreadable servidor.cfg is reported when the connection opens.
    }
    return dataFolder;
}

std::optional<DatabaseSummary> summarizeDataFolder(const QString& dataFolder) {
    const auto server = engine::serverSettings(dataFolder);
    if (!server) {
        const QString database = platform::joinPath(dataFolder, "med.mdb");
        if (!QFileInfo::exists(database))
            return std::nullopt;
        return summarizeDatabaseFile(database);
    }
    const QString name = QStringLiteral("corvalen-resumo");
    struct Remove {
        QString name;
        ~Remove() { QSqlDatabase::removeDatabase(name); }
    } remove{name};
    QSqlDatabase db = QSqlDatabase::addDatabase(engine::serverDriverName(), name);
    engine::openServer(db, server->connection);
    const std::vector<qint64> counts = engine::tableCounts(db);
    DatabaseSummary summary;
    summary.users = counts[0];
    summary.patients = counts[1];
    summary.consultations = counts[2];
    summary.exams = counts[3];
    QSqlQuery newest(db);
    if (newest.exec(QStringLiteral("SELECT max(Data) FROM Consultas")) && newest.next())
        summary.newestConsultation = newest.value(0).toDate();
    newest.finish();
    db.close();
    return summary;
}

void prepareDataFolder(const QString& dataFolder, const QString& logoPath) {
    const QString database = platform::joinPath(dataFolder, "med.mdb");
    refuseExisting({database, platform::joinPath(dataFolder, "cont.cfg")});
    makeFolder(dataFolder);
    engine::createDatabase(database, schemaStatements() + firstRows());
    writeFiles(dataFolder, logoPath);
}

void prepareServerDataFolder(const QString& dataFolder, const QString& logoPath,
                             const QString& connection, const QString& sharedFolder) {
    const QString files = sharedFolder.isEmpty() ? dataFolder : sharedFolder;
    refuseExisting({engine::serverSettingsFile(dataFolder),
                    platform::joinPath(dataFolder, "med.mdb"),
                    platform::joinPath(files, "cont.cfg")});
    makeFolder(dataFolder);
    makeFolder(files);
    {
        const QString name = QStringLiteral("corvalen-prepare");
        struct Remove {
            QString name;
            ~Remove() { QSqlDatabase::removeDatabase(name); }
        } remove{name};
        QSqlDatabase db = QSqlDatabase::addDatabase(engine::serverDriverName(), name);
        engine::openServer(db, connection);
        engine::createServerDatabase(db, firstRows());
        db.close();
    }
    writeFiles(files, logoPath);
    engine::writeServerSettings(dataFolder, {connection, sharedFolder});
}

} // namespace corvalen::db
