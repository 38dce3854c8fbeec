#include "platform/sharing.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvalen::platform {

QString staffGroup() {
    return QStringLiteral("corvalen");
}

void shareNewFilesWithGroup() {
    umask(0007);
}

QString accountName() {
    if (const passwd* entry = getpwuid(geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(geteuid());
}

} // namespace corvalen::platform
