#include "platform/folders.h"

#include <QDir>

namespace corvalen::platform {

QString commonAppDataFolder() {
    const QString configured = qEnvironmentVariable("CORVALEN_COMMON_APPDATA");
    QString folder = configured.isEmpty() ? QStringLiteral("/var/lib") : configured;
    while (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    return folder;
}

QString joinPath(const QString& folder, const QString& name) {
    if (folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
}

} // namespace corvalen::platform
