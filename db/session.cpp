#include "db/session.h"

#include "platform/folders.h"

namespace corvalen {

QString Session::dataFile(const QString& name) const {
    return platform::joinPath(dataFolder, name);
}

QString Session::programFile(const QString& name) const {
    return platform::joinPath(programFolder, name);
}

Session& session() {
    static Session s;
    return s;
}

} // namespace corvalen
