// corvalen-prepare DATA_FOLDER: prepares a data folder for the program's first start.

#include "db/datafolder.h"
#include "platform/error.h"
#include "platform/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "uso: corvalen-prepare PASTA_DE_DADOS\n";
        return 2;
    }
    const QString folder = QDir(args.at(1)).absolutePath();
    // The program folder is where the tools are built, beside the program and its logo.
    const QString logo = corvalen::platform::joinPath(app.applicationDirPath(), "medicina.jpg");
    try {
        corvalen::db::prepareDataFolder(folder, QDir::toNativeSeparators(logo));
    } catch (const corvalen::Error& e) {
        err << "corvalen-prepare: " << e.message() << "\n";
        return 1;
    }
    const auto admin = corvalen::db::initialAdministrator();
    out << "Pasta de dados preparada: " << folder << "\n"
        << "Administrador: login \"" << admin.login << "\", senha \"" << admin.password
        << "\" (troque a senha no primeiro acesso).\n";
    return 0;
}
