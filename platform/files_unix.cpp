#include "platform/files.h"

#include "platform/error.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvalen::platform {

namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

Error systemError(int code) {
    return Error(QStringLiteral("EInOutError"), systemErrorText(code));
}

} // namespace

QString systemErrorText(int code) {
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("a pasta não existe");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("sem permissão para gravar");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("o disco está cheio");
    case EFBIG:
        return QStringLiteral("o arquivo ficou maior do que o disco aceita");
    case EIO:
        return QStringLiteral("erro de leitura ou gravação no disco");
    default:
        return QString::fromLocal8Bit(std::strerror(code));
    }
}

bool flushToDisk(const QString& path) {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    return flushed;
}

void replaceFile(const QString& from, const QString& to) {
    if (::rename(native(from).constData(), native(to).constData()) != 0)
        throw systemError(errno);
}

std::optional<Sharing> sharingFor(const QString& folder, const QString& replaced) {
    struct stat info {};
    if (::stat(native(folder).constData(), &info) != 0)
        return std::nullopt;
    Sharing sharing{unsigned(info.st_gid), unsigned(info.st_mode) & 0666u};
    struct stat old {};
    if (!replaced.isEmpty() && ::stat(native(replaced).constData(), &old) == 0)
        sharing.mode |= unsigned(old.st_mode) & 0666u;
    return sharing;
}

bool applySharing(const QString& path, const Sharing& sharing) {
    const QByteArray name = native(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return false;
    if (info.st_gid != gid_t(sharing.group) &&
        ::chown(name.constData(), uid_t(-1), gid_t(sharing.group)) != 0)
        return false;
    return ::chmod(name.constData(), mode_t(sharing.mode)) == 0;
}

NewFile::NewFile(const QString& folder) {
    QByteArray name = native(folder) + "/.corvalen-XXXXXX";
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0)
        throw systemError(errno);
    path_ = QFile::decodeName(name);
}

NewFile::~NewFile() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!placed_)
        ::unlink(native(path_).constData());
}

void NewFile::write(const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw systemError(errno);
        }
        data += written;
        size -= written;
    }
}

bool NewFile::finish(const std::optional<Sharing>& sharing) {
    if (::fsync(fd_) != 0)
        throw systemError(errno);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0)
        throw systemError(errno);
    return !sharing || applySharing(path_, *sharing);
}

void NewFile::replace(const QString& path) {
    replaceFile(path_, path);
    placed_ = true;
}

void NewFile::placeNew(const QString& path) {
    // A second name for the file, refused when taken, then the temporary name dropped.
    if (::link(native(path_).constData(), native(path).constData()) != 0)
        throw systemError(errno);
    placed_ = true;
    ::unlink(native(path_).constData());
}

} // namespace corvalen::platform
