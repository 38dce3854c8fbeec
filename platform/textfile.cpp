#include "platform/textfile.h"

#include "platform/error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace corvalen::platform {

QString readFirstLine(const QString& path) {
    QFile file(path);
    if (!QFileInfo::exists(path))
        throw fileNotFound();
    if (!file.open(QIODevice::ReadOnly))
        throw fileAccessDenied();
    const QByteArray bytes = file.readAll();
    int end = 0;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    QStringDecoder decode(QStringConverter::System);
    return decode(bytes.left(end));
}

void writeLine(const QString& path, const QString& line) {
    const QFileInfo info(path);
    // A file without its owner's write permission is read-only for every account, the
    // superuser included, as a read-only file is on other systems.
    if (info.exists() && (!info.isWritable() || !(info.permissions() & QFile::WriteOwner)))
        throw fileAccessDenied();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw fileAccessDenied();
    QStringEncoder encode(QStringConverter::System);
    const QByteArray bytes = encode(line) + QByteArray("\r\n");
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw fileAccessDenied();
}

} // namespace corvalen::platform
