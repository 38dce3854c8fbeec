// corvalen-prepare [--grupo NOME] [--permissoes] [--servidor CONEXAO [--compartilhada PASTA]]
// DATA_FOLDER: prepares a data folder for the program's first start. With --servidor the
// clinic's database is created on the empty server database that the libpq connection string
// names, and servidor.cfg in the data folder names it (and the shared folder for the exam
// copies, cont.cfg and logo.cfg). Run as root, it also hands the folder to the staff group (created
// when missing), so that every account of the group can work in it and no other account can
// read it. --permissoes hands over an existing folder and changes nothing else.

#include "db/datafolder.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "platform/sharing.h"
#include "tools/staff_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <unistd.h>

using namespace corvalen;

namespace {

struct Options {
    QString folder;
    QString group = platform::staffGroup();
    bool permissionsOnly = false;
    QString server;       // the server's connection string, empty for med.mdb
    QString sharedFolder; // with a server: where the exam copies and the .cfg files live
};

std::optional<Options> parse(QStringList args) {
    Options options;
    args.removeFirst();
    while (!args.isEmpty() && args.first().startsWith("--")) {
        const QString option = args.takeFirst();
        if (option == "--permissoes")
            options.permissionsOnly = true;
        else if (option == "--grupo" && !args.isEmpty())
            options.group = args.takeFirst();
        else if (option == "--servidor" && !args.isEmpty())
            options.server = args.takeFirst();
        else if (option == "--compartilhada" && !args.isEmpty())
            options.sharedFolder = QDir(args.takeFirst()).absolutePath();
        else
            return std::nullopt;
    }
    if (args.size() != 1 || options.group.isEmpty() ||
        (!options.sharedFolder.isEmpty() && options.server.isEmpty()))
        return std::nullopt;
    options.folder = QDir(args.first()).absolutePath();
    return options;
}

// The folders above dataFolder that do not exist yet, outermost first.
QStringList missingParents(const QString& dataFolder) {
    QStringList missing;
    for (QString parent = QFileInfo(dataFolder).absolutePath(); !QFileInfo::exists(parent);
         parent = QFileInfo(parent).absolutePath())
        missing.prepend(parent);
    return missing;
}

} // namespace

int main(int argc, char** argv) {
    platform::shareNewFilesWithGroup();
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QTextStream out(stdout);
    const auto options = parse(app.arguments());
    if (!options) {
        err << "uso: corvalen-prepare [--grupo NOME] [--permissoes] "
               "[--servidor \"CONEXAO\" [--compartilhada PASTA]] PASTA_DE_DADOS\n";
        return 2;
    }
    const bool superuser = geteuid() == 0;
    try {
        if (options->permissionsOnly) {
            if (!superuser)
                throw Error("EPrepare", "--permissoes precisa ser executado como root.");
            if (!QFileInfo(options->folder).isDir())
                throw Error("EPrepare", options->folder + " não existe.");
        } else {
            const QStringList parents = missingParents(options->folder);
            // The program folder is where the tools are built, beside the program and its logo.
            const QString logo =
                platform::joinPath(app.applicationDirPath(), QStringLiteral("medicina.jpg"));
            if (options->server.isEmpty())
                db::prepareDataFolder(options->folder, QDir::toNativeSeparators(logo));
            else
                db::prepareServerDataFolder(options->folder, QDir::toNativeSeparators(logo),
                                            options->server, options->sharedFolder);
            // Folders made above the data folder only lead to it: every account may pass.
            for (const QString& parent : parents)
                QFile::setPermissions(parent, QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner | QFile::ReadGroup |
                                                  QFile::ExeGroup | QFile::ReadOther |
                                                  QFile::ExeOther);
            const auto admin = db::initialAdministrator();
            out << "Pasta de dados preparada: " << options->folder << "\n";
            if (!options->server.isEmpty())
                out << "Banco de dados no servidor: " << options->server << "\n";
            out << "Administrador: login \"" << admin.login << "\", senha \"" << admin.password
                << "\" (troque a senha no primeiro acesso).\n";
        }
        if (superuser) {
            bool created = false;
            const gid_t group = tools::ensureGroup(options->group, &created);
            tools::giveToGroup(options->folder, group);
            if (!options->sharedFolder.isEmpty())
                tools::giveToGroup(options->sharedFolder, group);
            if (created)
                out << "Grupo " << options->group << " criado.\n";
            out << "A pasta de dados pertence ao grupo " << options->group
                << ": só as contas desse grupo leem e gravam os dados da clínica.\n"
                << "Para que uma conta do computador use o Corvalen, inclua-a no grupo "
                   "(vale a partir do próximo login dela):\n"
                << "    adduser NOME " << options->group << "\n";
        } else {
            out << "Sem ser root, a pasta fica só com a sua conta; para que outras contas do "
                   "computador a usem, rode como root: corvalen-prepare --permissoes "
                << options->folder << "\n";
        }
    } catch (const Error& e) {
        err << "corvalen-prepare: " << e.message() << "\n";
        return 1;
    }
    return 0;
}
