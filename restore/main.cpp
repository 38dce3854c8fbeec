// restaura: the restore program, started by Corvalen's "Iniciar restauração de dados" from the
// program folder (its current directory). It restores the data folder that Corvalen uses.

#include "platform/folders.h"
#include "platform/sharing.h"
#include "restore/restore_window.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    // Before any file is made: what it writes stays writable for the other staff accounts.
    corvalen::platform::shareNewFilesWithGroup();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("restaura"));
    using namespace corvalen;
    const QString dataFolder = platform::joinPath(
        platform::joinPath(platform::commonAppDataFolder(), QStringLiteral("Talvane")),
        QStringLiteral("Corvalen"));
    RestoreWindow window({dataFolder, QDir::currentPath(), {}});
    window.show();
    return app.exec();
}
