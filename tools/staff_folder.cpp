#include "tools/staff_folder.h"

#include "platform/error.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvalen::tools {

namespace {

Error failure(const QString& text) {
    return Error(QStringLiteral("EPrepare"), text);
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

void share(const QString& path, gid_t group, bool folder) {
    const QByteArray native = QFile::encodeName(path);
    if (lchown(native.constData(), uid_t(-1), group) != 0)
        throw failure(
            QStringLiteral("Não foi possível mudar o grupo de %1: %2").arg(path, systemError()));
    // chown clears the setgid bit, so the mode is set afterwards.
    if (chmod(native.constData(), folder ? 02770 : 0660) != 0)
        throw failure(QStringLiteral("Não foi possível mudar as permissões de %1: %2")
                          .arg(path, systemError()));
}

} // namespace

gid_t ensureGroup(const QString& name, bool* created) {
    *created = false;
    const QByteArray native = name.toLocal8Bit();
    if (const group* existing = getgrnam(native.constData()))
        return existing->gr_gid;
    const QString groupadd =
        QStandardPaths::findExecutable(QStringLiteral("groupadd"), {"/usr/sbin", "/sbin"});
    if (groupadd.isEmpty())
        throw failure(
            QStringLiteral("O programa groupadd não foi encontrado; crie o grupo %1.").arg(name));
    QProcess add;
    add.start(groupadd, {QStringLiteral("--system"), name});
    if (!add.waitForFinished(60000) || add.exitStatus() != QProcess::NormalExit ||
        add.exitCode() != 0)
        throw failure(QStringLiteral("Não foi possível criar o grupo %1: %2")
                          .arg(name, QString::fromLocal8Bit(add.readAllStandardError()).trimmed()));
    const group* made = getgrnam(native.constData());
    if (!made)
        throw failure(QStringLiteral("O grupo %1 não aparece depois de criado.").arg(name));
    *created = true;
    return made->gr_gid;
}

void giveToGroup(const QString& dataFolder, gid_t group) {
    share(dataFolder, group, true);
    QDirIterator it(dataFolder,
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        if (entry.isSymLink())
            continue;
        share(entry.filePath(), group, entry.isDir());
    }
}

} // namespace corvalen::tools
