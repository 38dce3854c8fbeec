#include "backup/archive.h"

#include "platform/files.h"
#include "platform/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cstring>
#include <deque>
#include <future>
#include <memory>
#include <numeric>
#include <thread>
#include <zip.h>
#include <zlib.h>

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

// Deflate runs on every processor: the input is cut into blocks compressed side by side, each
// primed with the 32 KB of input before it and ended on a byte boundary, so that the blocks
// joined in order are one deflate stream, compressed as well as in one pass.
constexpr qint64 blockSize = 1 << 20;
constexpr qsizetype deflateWindow = 32 * 1024;

struct Block {
    QByteArray compressed;
    quint32 crc = 0;
    qint64 size = 0;
    bool failed = false;
};

Block deflateBlock(const QByteArray& input, const QByteArray& dictionary, bool last) {
    Block block;
    block.size = input.size();
    block.crc =
        quint32(crc32(0, reinterpret_cast<const Bytef*>(input.constData()), uInt(input.size())));
    z_stream stream{};
    // zlib's usual memory level: smaller and quicker output than its largest on databases.
    if (deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        block.failed = true;
        return block;
    }
    if (!dictionary.isEmpty())
        deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(dictionary.constData()),
                             uInt(dictionary.size()));
    block.compressed.resize(qsizetype(deflateBound(&stream, uLong(input.size()))) + 64);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.constData()));
    stream.avail_in = uInt(input.size());
    int rc = Z_OK;
    do {
        if (stream.total_out == uLong(block.compressed.size()))
            block.compressed.resize(block.compressed.size() * 2);
        stream.next_out = reinterpret_cast<Bytef*>(block.compressed.data()) + stream.total_out;
        stream.avail_out = uInt(block.compressed.size() - qsizetype(stream.total_out));
        rc = deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH);
    } while (rc == Z_OK && (last || stream.avail_out == 0));
    block.failed = last ? rc != Z_STREAM_END : (rc != Z_OK && rc != Z_BUF_ERROR);
    block.compressed.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return block;
}

// A file handed to libzip piece by piece: deflated on every processor (libzip copies the
// compressed stream as it is), or stored as it is. It reports the bytes of the file it has
// gone through, and keeps the event loop running while it waits for a block.
class FileSource {
public:
    FileSource(const QString& path, bool compress, std::function<void(qint64)> advanced)
        : file_(path), compress_(compress), advanced_(std::move(advanced)) {
        zip_error_init(&error_);
        const QFileInfo info(path);
        size_ = info.size();
        mtime_ = info.lastModified().toSecsSinceEpoch();
    }
    ~FileSource() { zip_error_fini(&error_); }

    static zip_int64_t callback(void* state, void* data, zip_uint64_t length,
                                zip_source_cmd_t command) {
        return static_cast<FileSource*>(state)->run(data, length, command);
    }

private:
    zip_int64_t fail(int code, int system = 0) {
        zip_error_set(&error_, code, system);
        return -1;
    }

    zip_int64_t run(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        switch (command) {
        case ZIP_SOURCE_OPEN:
            if (!file_.open(QIODevice::ReadOnly))
                return fail(ZIP_ER_OPEN, ENOENT);
            for (int i = 0; i < parallel(); ++i)
                submit();
            return 0;
        case ZIP_SOURCE_READ:
            return read(static_cast<char*>(data), length);
        case ZIP_SOURCE_CLOSE:
            pending_.clear();
            file_.close();
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error_);
            if (!st)
                return -1;
            zip_stat_init(st);
            st->valid =
                ZIP_STAT_SIZE | ZIP_STAT_MTIME | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
            st->size = zip_uint64_t(finished_ ? done_ : size_);
            st->mtime = time_t(mtime_);
            st->comp_method = compress_ ? ZIP_CM_DEFLATE : ZIP_CM_STORE;
            st->encryption_method = ZIP_EM_NONE;
            if (finished_ && compress_) {
                st->valid |= ZIP_STAT_CRC | ZIP_STAT_COMP_SIZE;
                st->crc = crc_;
                st->comp_size = zip_uint64_t(compressedSize_);
            }
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&error_, data, length);
        case ZIP_SOURCE_FREE:
            delete this;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ,
                                                  ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            return fail(ZIP_ER_OPNOTSUPP);
        }
    }

    static int parallel() { return int(std::max(1u, std::thread::hardware_concurrency())) + 1; }

    // Reads the next block of the file and starts compressing it.
    void submit() {
        if (submittedAll_)
            return;
        const QByteArray input = file_.read(blockSize);
        read_ += input.size();
        if (input.size() < blockSize || read_ >= size_)
            submittedAll_ = true;
        if (!compress_) {
            std::promise<Block> stored;
            stored.set_value({input, 0, input.size(), file_.error() != QFileDevice::NoError});
            pending_.push_back(stored.get_future());
            return;
        }
        const QByteArray dictionary = (tail_ + input.right(deflateWindow)).right(deflateWindow);
        pending_.push_back(
            std::async(std::launch::async, deflateBlock, input, tail_, submittedAll_));
        tail_ = dictionary;
        if (file_.error() != QFileDevice::NoError)
            readFailed_ = true;
    }

    zip_int64_t read(char* data, zip_uint64_t length) {
        while (offset_ == current_.size()) {
            if (pending_.empty()) {
                finished_ = true;
                return 0;
            }
            std::future<Block>& next = pending_.front();
            while (next.wait_for(std::chrono::milliseconds(25)) != std::future_status::ready)
                advanced_(done_);
            Block block = next.get();
            pending_.pop_front();
            if (readFailed_ || block.failed)
                return fail(readFailed_ ? ZIP_ER_READ : ZIP_ER_ZLIB, readFailed_ ? EIO : 0);
            crc_ = quint32(crc32_combine(crc_, block.crc, z_off_t(block.size)));
            done_ += block.size;
            compressedSize_ += block.compressed.size();
            current_ = std::move(block.compressed);
            offset_ = 0;
            submit();
            advanced_(done_);
        }
        const qsizetype n = std::min<qsizetype>(qsizetype(length), current_.size() - offset_);
        std::memcpy(data, current_.constData() + offset_, size_t(n));
        offset_ += n;
        return n;
    }

    QFile file_;
    bool compress_;
    std::function<void(qint64)> advanced_;
    zip_error_t error_;
    qint64 size_ = 0;
    qint64 mtime_ = 0;
    qint64 read_ = 0;
    bool submittedAll_ = false;
    bool readFailed_ = false;
    QByteArray tail_;
    std::deque<std::future<Block>> pending_;
    QByteArray current_;
    qsizetype offset_ = 0;
    qint64 done_ = 0;
    qint64 compressedSize_ = 0;
    quint32 crc_ = 0;
    bool finished_ = false;
};

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
    // Closed on every way out, also when the sink or the progress throws.
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> opened(
        zip_fopen_index(archive_, zip_uint64_t(index), 0), zip_fclose);
    zip_file_t* file = opened.get();
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
    // The bytes of each file gone through: writing takes nine tenths of the bar, reading back
    // the rest.
    std::vector<qint64> done(files_.size());
    qint64 total = 0;
    for (const File& f : files_)
        total += QFileInfo(f.path).size();
    const auto advanced = [this, &done, total](size_t file, qint64 bytes) {
        done[file] = bytes;
        if (progress_ && total > 0)
            progress_(0.9 * double(std::accumulate(done.begin(), done.end(), qint64(0))) /
                      double(total));
    };
    for (size_t i = 0; i < files_.size(); ++i) {
        const File& f = files_[i];
        if (!QFileInfo(f.path).isFile()) {
            zip_discard(za);
            throw archiveError(QStringLiteral("o arquivo %1 não existe").arg(f.path));
        }
        auto* state =
            new FileSource(f.path, f.compress, [advanced, i](qint64 bytes) { advanced(i, bytes); });
        zip_source_t* source = zip_source_function(za, FileSource::callback, state);
        if (!source) {
            delete state;
            throw fail(false);
        }
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
