#include "db/session.h"

#include "db/engine.h"
#include "platform/error.h"
#include "platform/folders.h"

namespace corvalen {

QString Session::dataFile(const QString& name) const {
    return platform::joinPath(dataFolder, name);
}

QString Session::sharedFile(const QString& name) const {
    QString folder = dataFolder;
    try {
        const auto server = db::engine::serverSettings(dataFolder);
        if (server && !server->sharedFolder.isEmpty())
            folder = server->sharedFolder;
    } catch (const Error&) {
        // An unreadable servidor.cfg is reported when the connection opens.
    }
    return platform::joinPath(folder, name);
}

QString Session::programFile(const QString& name) const {
    return platform::joinPath(programFolder, name);
}

Session& session() {
    static Session s;
    return s;
}

} // namespace corvalen
