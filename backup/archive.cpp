#include "backup/archive.h"

#include "platform/files.h"
#include "platform/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <zip.h>

namespace corvalen::archive {

namespace {

// Entries are read in pieces of this size.
constexpr qint64 pieceSize = 1 << 20;

Error archiveError(const QString& reason) {
    return Error(QStringLiteral("EZipError"), reason);
}

// The reason of a libzip error. `writing` tells a failure of the archive's own file (its
// folder, the disk) from one in reading what goes into it.
QString reasonOf(zip_error_t* error, bool writing) {
    const int code = zip_error_code_zip(error);
    const int system = zip_error_code_system(error);
    switch (code) {
    case ZIP_ER_TMPOPEN:
    case ZIP_ER_WRITE:
    case ZIP_ER_RENAME:
    case ZIP_ER_CLOSE:
    case ZIP_ER_SEEK:
    case ZIP_ER_REMOVE:
        return platform::systemErrorText(system);
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
        return writing ? platform::systemErrorText(system)
                       : QStringLiteral("um arquivo não pôde ser lido (%1)")
                             .arg(platform::systemErrorText(system));
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
    case ZIP_ER_EOF:
        return QStringLiteral("o arquivo não é um ZIP completo e válido");
    case ZIP_ER_CRC:
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
        return QStringLiteral("o conteúdo compactado está danificado");
    case ZIP_ER_COMPNOTSUPP:
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
        return QStringLiteral("o arquivo usa compressão ou senha não suportada");
    case ZIP_ER_MEMORY:
        return QStringLiteral("memória insuficiente");
    default:
        return QString::fromUtf8(zip_error_strerror(error));
    }
}

QString reasonOf(int code, bool writing) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString reason = reasonOf(&error, writing);
    zip_error_fini(&error);
    return reason;
}

void reportProgress(zip_t*, double fraction, void* state) {
    const auto* progress = static_cast<const Progress*>(state);
    if (*progress)
        (*progress)(fraction);
}

} // namespace

ArchiveReader::ArchiveReader(const QString& path) : path_(path) {
    int code = 0;
    archive_ = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive_)
        throw archiveError(reasonOf(code, false));
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive_, zip_uint64_t(i), 0, &st) != 0)
            throw archiveError(reasonOf(zip_get_error(archive_), false));
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            throw archiveError(QStringLiteral("a entrada %1 está protegida por senha")
                                   .arg(QString::fromUtf8(st.name)));
        entries_.push_back({QString::fromUtf8(st.name), qint64(st.size), st.crc});
    }
}

ArchiveReader::~ArchiveReader() {
    if (archive_)
        zip_discard(archive_);
}

void ArchiveReader::read(int index, const std::function<void(const char*, qint64)>& sink,
                         const Progress& progress) {
    const EntryInfo& entry = entries_.at(size_t(index));
    zip_file_t* file = zip_fopen_index(archive_, zip_uint64_t(index), 0);
    if (!file)
        throw archiveError(reasonOf(zip_get_error(archive_), false));
    QByteArray piece(pieceSize, Qt::Uninitialized);
    qint64 total = 0;
    zip_int64_t n = 0;
    // libzip checks the CRC when the entry is read to its end.
    while ((n = zip_fread(file, piece.data(), zip_uint64_t(piece.size()))) > 0) {
        total += n;
        if (sink)
            sink(piece.constData(), n);
        if (progress && entry.size > 0)
            progress(double(total) / double(entry.size));
    }
    const QString failure = n < 0 ? reasonOf(zip_file_get_error(file), false) : QString();
    zip_fclose(file);
    if (!failure.isEmpty())
        throw archiveError(QStringLiteral("%1: %2").arg(entry.name, failure));
    if (total != entry.size)
        throw archiveError(
            QStringLiteral("%1: o conteúdo compactado está danificado").arg(entry.name));
}

void ArchiveReader::verify(const Progress& progress) {
    qint64 all = 0;
    for (const EntryInfo& e : entries_)
        all += e.size;
    qint64 before = 0;
    for (int i = 0; i < int(entries_.size()); ++i) {
        const qint64 size = entries_[size_t(i)].size;
        read(i, {}, [&](double fraction) {
            if (progress && all > 0)
                progress((double(before) + fraction * double(size)) / double(all));
        });
        before += size;
    }
}

bool ArchiveReader::sameContent(int index, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != entries_.at(size_t(index)).size)
        return false;
    bool same = true;
    read(index, [&](const char* data, qint64 size) {
        if (same)
            same = file.read(size) == QByteArray::fromRawData(data, size);
    });
    return same;
}

void ZipArchiveWriter::setFileName(const QString& fileName) {
    fileName_ = QFileInfo(fileName).absoluteFilePath();
}

void ZipArchiveWriter::addFile(const QString& path, const QString& entryName, bool compress) {
    files_.push_back({path, entryName, compress});
}

void ZipArchiveWriter::write(const QString& temporary) {
    int code = 0;
    zip_t* za = zip_open(QFile::encodeName(temporary).constData(), ZIP_CREATE | ZIP_EXCL, &code);
    if (!za)
        throw archiveError(reasonOf(code, true));
    const auto fail = [za](bool writing) {
        const QString reason = reasonOf(zip_get_error(za), writing);
        zip_discard(za);
        return archiveError(reason);
    };
    for (const File& f : files_) {
        zip_source_t* source = zip_source_file(za, QFile::encodeName(f.path).constData(), 0, -1);
        if (!source)
            throw fail(false);
        const zip_int64_t index =
            zip_file_add(za, f.entryName.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            throw fail(false);
        }
        if (zip_set_file_compression(za, zip_uint64_t(index),
                                     f.compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                     f.compress ? 9 : 0) != 0)
            throw fail(false);
    }
    // Compression takes most of the time: nine tenths of the bar; reading back the rest.
    const Progress writing = [this](double fraction) {
        if (progress_)
            progress_(0.9 * fraction);
    };
    zip_register_progress_callback_with_state(za, 0.002, reportProgress, nullptr,
                                              const_cast<Progress*>(&writing));
    if (zip_close(za) != 0) {
        const zip_error_t* error = zip_get_error(za);
        const bool reading =
            zip_error_code_zip(error) == ZIP_ER_OPEN || zip_error_code_zip(error) == ZIP_ER_READ;
        throw fail(!reading);
    }

    ArchiveReader check(temporary);
    QStringList expected;
    QStringList written;
    for (const File& f : files_)
        expected << f.entryName;
    for (const EntryInfo& e : check.entries())
        written << e.name;
    if (written != expected)
        throw archiveError(QStringLiteral("o arquivo gravado não tem as entradas esperadas"));
    check.verify([this](double fraction) {
        if (progress_)
            progress_(0.9 + 0.1 * fraction);
    });
    if (!platform::flushToDisk(temporary))
        throw archiveError(QStringLiteral("o arquivo gravado não pôde ser descarregado no disco"));
}

bool ZipArchiveWriter::add() {
    lastError_.clear();
    const QFileInfo target(fileName_);
    if (!target.dir().exists()) {
        showFailure(QStringLiteral("a pasta de destino não existe"));
        return false;
    }
    // A name of its own in the archive's folder, so that the rename below is one step.
    const QString temporary =
        fileName_ +
        QStringLiteral(".%1.parcial").arg(QUuid::createUuid().toString(QUuid::Id128).left(8));
    try {
        write(temporary);
        platform::replaceFile(temporary, fileName_);
    } catch (const Error& e) {
        QFile::remove(temporary);
        showFailure(e.message());
        return false;
    }
    return true;
}

void ZipArchiveWriter::showFailure(const QString& reason) {
    lastError_ = reason;
    messages::showError(
        QStringLiteral("Não foi possível gravar o backup %1: %2").arg(fileName_, reason));
}

} // namespace corvalen::archive
