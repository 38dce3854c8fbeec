// corvalen-migrate DATA_FOLDER "CONEXAO": moves a clinic's med.mdb onto a database server. The
// database is copied into the empty server database that the libpq connection string names, in
// one transaction, its counts checked; then servidor.cfg in the data folder names the server, so
// that every workstation opening this data folder works on it. med.mdb stays where it was, as it
// was, and the exam copies, cont.cfg and logo.cfg stay in the data folder.

#include "db/database_file.h"
#include "db/engine.h"
#include "db/schema.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "platform/sharing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTextStream>

using namespace corvalen;

namespace {

// Copies the clinic's database while no copy of the program has it open, and names the server.
std::vector<qint64> migrate(const QString& folder, const QString& connection) {
    const QString database = platform::joinPath(folder, QStringLiteral("med.mdb"));
    if (QFileInfo::exists(db::engine::serverSettingsFile(folder)))
        throw Error("EMigrate", QStringLiteral("%1 já usa um servidor (servidor.cfg); nada foi "
                                               "alterado.")
                                    .arg(folder));
    if (!QFileInfo(database).isFile())
        throw Error("EMigrate", QStringLiteral("%1 não existe.").arg(database));
    // Held until servidor.cfg is written: no workstation can save into med.mdb meanwhile.
    db::DatabaseLock lock(database);
    QTemporaryDir work;
    const QString copy = QDir(work.path()).filePath(QStringLiteral("med.mdb"));
    lock.copyTo(copy);
    std::vector<qint64> counts;
    {
        QSqlDatabase server =
            QSqlDatabase::addDatabase(db::engine::serverDriverName(), QStringLiteral("servidor"));
        db::engine::openServer(server, connection);
        counts = db::engine::copyIntoServer(copy, server);
        server.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("servidor"));
    db::engine::writeServerSettings(folder, {connection, {}});
    return counts;
}

} // namespace

int main(int argc, char** argv) {
    platform::shareNewFilesWithGroup();
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "uso: corvalen-migrate PASTA_DE_DADOS \"CONEXAO\"\n";
        return 2;
    }
    const QString folder = QDir(args.at(1)).absolutePath();
    try {
        const std::vector<qint64> counts = migrate(folder, args.at(2));
        out << "Banco de dados copiado para o servidor: " << args.at(2) << "\n";
        const QStringList tables = db::schemaTables();
        for (size_t i = 0; i < counts.size(); ++i)
            out << "  " << tables.at(qsizetype(i)) << ": " << counts[i] << "\n";
        out << "A pasta de dados agora usa o servidor (servidor.cfg). O arquivo med.mdb ficou "
               "como estava.\n";
    } catch (const db::DatabaseInUse&) {
        err << "corvalen-migrate: o Corvalen está aberto em algum computador; feche-o em todos "
               "e tente novamente. Nada foi alterado.\n";
        return 1;
    } catch (const Error& e) {
        err << "corvalen-migrate: " << e.message() << "\n";
        return 1;
    }
    return 0;
}
