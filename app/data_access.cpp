#include "app/data_access.h"

#include "db/engine.h"
#include "platform/folders.h"
#include "platform/sharing.h"

#include <QFileInfo>

namespace corvalen {

namespace {

// Everything the program writes in the data folder besides new exam copies and the renamed
// configuration files, which need the folders themselves to be writable.
const char* const writtenFiles[] = {"med.mdb", "med.mdb-wal", "med.mdb-shm", "cont.cfg",
                                    "logo.cfg"};

} // namespace

DataAccess checkDataAccess(const QString& dataFolder) {
    DataAccess access;
    const QFileInfo folder(dataFolder);
    if (!folder.exists())
        return access;
    const QFileInfo database(platform::joinPath(dataFolder, "med.mdb"));
    if (!folder.isReadable() || !folder.isExecutable() ||
        (database.exists() && !database.isReadable())) {
        access.level = DataAccess::Level::None;
        return access;
    }
    if (!folder.isWritable())
        access.unwritable << QStringLiteral(".");
    const QFileInfo exams(platform::joinPath(dataFolder, "ex"));
    if (exams.exists() && (!exams.isWritable() || !exams.isExecutable()))
        access.unwritable << QStringLiteral("ex");
    for (const char* name : writtenFiles) {
        const QFileInfo file(platform::joinPath(dataFolder, QString::fromLatin1(name)));
        if (file.exists() && !file.isWritable())
            access.unwritable << file.fileName();
    }
    if (access.unwritable.isEmpty())
        return access;
    // Reading a database in write-ahead-log mode needs the log's index beside it; when it is
    // missing and cannot be created here, nothing of the clinic's data can be shown.
    access.level = !database.exists() || db::engine::canRead(database.filePath())
                       ? DataAccess::Level::ReadOnly
                       : DataAccess::Level::None;
    return access;
}

QString dataAccessMessage(const DataAccess& access, const QString& dataFolder,
                          const QString& account) {
    const QString group = platform::staffGroup();
    QString text;
    if (access.level == DataAccess::Level::None) {
        text = QStringLiteral("Sua conta (%1) não tem permissão para ler os dados da clínica na "
                              "pasta %2.\n\nO Corvalen será aberto sem acesso aos dados.")
                   .arg(account, dataFolder);
    } else {
        QStringList names;
        for (const QString& name : access.unwritable)
            names << (name == "." ? QStringLiteral("a própria pasta") : name);
        text = QStringLiteral("Sua conta (%1) não tem permissão para gravar na pasta de dados "
                              "%2 (%3).\n\nO Corvalen será aberto somente para consulta: nada "
                              "do que for alterado poderá ser salvo.")
                   .arg(account, dataFolder, names.join(QStringLiteral(", ")));
    }
    return text + QStringLiteral("\n\nPara trabalhar com o Corvalen, peça ao administrador do "
                                 "computador para incluir sua conta no grupo %1 (adduser %2 %1) "
                                 "e entre de novo no sistema.")
                      .arg(group, account);
}

} // namespace corvalen
