#include "db/datafolder.h"

#include "db/engine.h"
#include "db/schema.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "platform/textfile.h"

#include <QDir>
#include <QFileInfo>

namespace corvalen::db {

PreparedAccount initialAdministrator() {
    return {"admin", "admin"};
}

void prepareDataFolder(const QString& dataFolder, const QString& logoPath) {
    const QString database = platform::joinPath(dataFolder, "med.mdb");
    const QString counter = platform::joinPath(dataFolder, "cont.cfg");
    for (const QString& existing : {database, counter}) {
        if (QFileInfo::exists(existing))
            throw Error("EPrepare",
                        QStringLiteral("%1 já existe; nada foi alterado.").arg(existing));
    }
    if (!QDir().mkpath(platform::joinPath(dataFolder, "ex")))
        throw Error("EPrepare",
                    QStringLiteral("Não foi possível criar a pasta %1.").arg(dataFolder));

    const PreparedAccount admin = initialAdministrator();
    QStringList statements = schemaStatements();
    statements << QStringLiteral("INSERT INTO Usuarios (nome, senha, nivel, medico) "
                                 "VALUES ('%1', '%2', 1, 'Administrador')")
                      .arg(admin.login, admin.password)
               << QStringLiteral("INSERT INTO Clinica (nome) VALUES ('Clínica')");
    engine::createDatabase(database, statements);
    platform::writeLine(platform::joinPath(dataFolder, "logo.cfg"), logoPath);
    platform::writeLine(counter, "0");
}

} // namespace corvalen::db
