#include "db/session.h"

#include "db/datafolder.h"
#include "platform/folders.h"

namespace corvalen {

QString Session::dataFile(const QString& name) const {
    return platform::joinPath(dataFolder, name);
}

QString Session::sharedFile(const QString& name) const {
    return platform::joinPath(db::sharedFolder(dataFolder), name);
}

QString Session::programFile(const QString& name) const {
    return platform::joinPath(programFolder, name);
}

Session& session() {
    static Session s;
    return s;
}

} // namespace corvalen
