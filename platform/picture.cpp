#include "platform/picture.h"

#include "platform/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>

#include <array>
#include <cmath>
#include <cstring>

namespace corvalen::platform {

namespace {

// Pictures above this many pixels are decoded at a reduced size.
constexpr qint64 maximumPixels = qint64(4096) * 4096;
// Qt refuses to decode more than 128 MB by default; a bitmap scan at 600 dpi needs more before
// it can be reduced, so decoding may take up to this much for a moment.
constexpr int decodingLimitMb = 512;

MetafileDecoder& decoder() {
    static MetafileDecoder d;
    return d;
}

Error cannotOpen(const QString& path, const QString& reason) {
    return Error("EFOpenError", QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason));
}

// ---- What a file holds -------------------------------------------------------------------

enum class Content { Emf, Wmf, Raster, Unknown };

Content metafileContent(const QByteArray& head) {
    // The first bytes, zero beyond the file's end.
    std::array<uchar, 44> bytes{};
    memcpy(bytes.data(), head.constData(), size_t(qMin(head.size(), qsizetype(bytes.size()))));
    const auto u16 = [&](size_t at) { return quint16(bytes[at] | bytes[at + 1] << 8); };
    const auto u32 = [&](size_t at) { return quint32(u16(at)) | quint32(u16(at + 2)) << 16; };
    // An enhanced metafile starts with its header record, whose signature is " EMF".
    if (head.size() >= 44 && u32(0) == 1 && u32(40) == 0x464D4520)
        return Content::Emf;
    // A metafile starts with the placeable header's key, or with the standard header: type 1
    // or 2, nine words, version 1 or 3.
    if (head.size() >= 4 && u32(0) == 0x9AC6CDD7)
        return Content::Wmf;
    if (head.size() >= 6 && (u16(0) == 1 || u16(0) == 2) && u16(2) == 9 &&
        (u16(4) == 0x0100 || u16(4) == 0x0300))
        return Content::Wmf;
    return Content::Unknown;
}

// ---- Raster pictures ---------------------------------------------------------------------

// Collects what the image decoders report while one picture is read: their real reason for a
// failure goes there, not into QImageReader::errorString().
class DecoderMessages {
public:
    DecoderMessages() : previous_(qInstallMessageHandler(&DecoderMessages::collect)) {
        current_ = this;
    }
    ~DecoderMessages() {
        qInstallMessageHandler(previous_);
        current_ = nullptr;
    }
    DecoderMessages(const DecoderMessages&) = delete;
    DecoderMessages& operator=(const DecoderMessages&) = delete;

    QString last() const { return messages_.isEmpty() ? QString() : messages_.constLast(); }

private:
    static void collect(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtDebugMsg || type == QtInfoMsg) {
            if (current_->previous_)
                current_->previous_(type, context, text);
            return;
        }
        // Without the reporting class's name ("QImageIOHandler: Rejecting image ...").
        static const QRegularExpression reporter(QStringLiteral("^Q[A-Za-z]+: "));
        current_->messages_ << text.trimmed().remove(reporter);
    }

    static inline DecoderMessages* current_ = nullptr;
    QtMessageHandler previous_;
    QStringList messages_;
};

class DecodingLimit {
public:
    DecodingLimit() : previous_(QImageReader::allocationLimit()) {
        QImageReader::setAllocationLimit(qMax(previous_, decodingLimitMb));
    }
    ~DecodingLimit() { QImageReader::setAllocationLimit(previous_); }
    DecodingLimit(const DecodingLimit&) = delete;
    DecodingLimit& operator=(const DecodingLimit&) = delete;

private:
    int previous_;
};

qint64 pixelsOf(QSize size) {
    return size.isValid() ? qint64(size.width()) * size.height() : 0;
}

// Reduces a picture by a whole factor, a band of rows at a time: each band is averaged on its
// own, so a picture of few bits per pixel (a fax, a scan) never exists whole at 32 bits.
QImage reduce(const QImage& image, int factor) {
    const QSize size(qMax(1, image.width() / factor), qMax(1, image.height() / factor));
    QImage reduced(size, image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                 : QImage::Format_RGB32);
    constexpr int bandRows = 64;
    for (int top = 0; top < size.height(); top += bandRows) {
        const int rows = qMin(bandRows, size.height() - top);
        const QImage band =
            image.copy(0, top * factor, size.width() * factor, rows * factor)
                .scaled(size.width(), rows, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(reduced.format());
        for (int y = 0; y < rows; ++y)
            memcpy(reduced.scanLine(top + y), band.constScanLine(y),
                   size_t(reduced.bytesPerLine()));
    }
    return reduced;
}

QImage loadRaster(const QString& path, const QByteArray& format) {
    // The decoders report their real reason for a failure, from reading the header on.
    DecoderMessages messages;
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(true);
    // A large picture is reduced to about maximumPixels, proportions kept: while decoding
    // where the decoder can (JPEG), else afterwards.
    const QSize size = reader.size();
    const double excess = double(pixelsOf(size)) / double(maximumPixels);
    int factor = 1;
    if (excess > 1 && reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(QSize(qMax(1, int(size.width() / std::sqrt(excess))),
                                   qMax(1, int(size.height() / std::sqrt(excess)))));
    else if (excess > 1)
        factor = int(std::ceil(std::sqrt(excess)));

    QImage image;
    {
        const DecodingLimit limit;
        image = reader.read();
    }
    if (image.isNull()) {
        // QImageReader says only "Unable to read image data" when the decoder failed.
        QString reason = reader.errorString();
        if (reader.error() == QImageReader::InvalidDataError && !messages.last().isEmpty())
            reason = messages.last();
        throw cannotOpen(path, QStringLiteral("Invalid image data (%1)").arg(reason));
    }
    return factor > 1 ? reduce(image, factor) : image;
}

// ---- Metafiles, in the helper process ----------------------------------------------------

QString helperProgram() {
    if (!decoder().program.isEmpty())
        return decoder().program;
    return QDir(QCoreApplication::applicationDirPath()).filePath(metafile::helperName);
}

QString lastLine(const QByteArray& text) {
    const QList<QByteArray> lines = text.trimmed().split('\n');
    return QString::fromUtf8(lines.constLast().trimmed()).left(300);
}

QImage loadMetafile(const QString& path, Content kind) {
    if (QFileInfo(path).size() > metafile::maximumInputBytes)
        throw cannotOpen(
            path,
            QStringLiteral("Metafile is larger than %1 MB").arg(metafile::maximumInputBytes >> 20));
    QProcess helper;
    helper.setProgram(helperProgram());
    QStringList arguments = decoder().arguments;
    arguments << (kind == Content::Emf ? QStringLiteral("emf") : QStringLiteral("wmf"))
              << QFileInfo(path).absoluteFilePath();
    helper.setArguments(arguments);
    helper.start(QIODevice::ReadOnly);
    if (!helper.waitForStarted())
        throw cannotOpen(path, QStringLiteral("The metafile decoder %1 could not be started (%2)")
                                   .arg(helper.program(), helper.errorString()));
    if (!helper.waitForFinished(decoder().timeLimitMs)) {
        helper.kill();
        helper.waitForFinished();
        throw cannotOpen(path, QStringLiteral("Metafile took longer than %1 s to decode")
                                   .arg(decoder().timeLimitMs / 1000.0));
    }
    if (helper.exitStatus() == QProcess::CrashExit)
        throw cannotOpen(path, QStringLiteral("The metafile decoder stopped unexpectedly"));
    const QByteArray errors = helper.readAllStandardError();
    if (helper.exitCode() == 1 && !errors.trimmed().isEmpty())
        throw cannotOpen(path, lastLine(errors));
    QImage picture;
    if (helper.exitCode() != 0 || !picture.loadFromData(helper.readAllStandardOutput(), "PPM"))
        throw cannotOpen(
            path,
            QStringLiteral("The metafile decoder failed (exit code %1)").arg(helper.exitCode()));
    return picture;
}

} // namespace

QImage loadPicture(const QString& path) {
    const QString extension = QFileInfo(path).suffix();
    const QString lower = extension.toLower();
    const bool known = lower == "jpg" || lower == "jpeg" || lower == "bmp" || lower == "ico" ||
                       lower == "emf" || lower == "wmf";
    if (!known)
        throw Error("EInvalidGraphic",
                    QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw cannotOpen(path, file.exists() ? QStringLiteral("Access is denied")
                                             : QStringLiteral("The system cannot find the file "
                                                              "specified"));

    // The content decides; the extension only when the content is not recognised, so that the
    // error comes from the decoder the user expects.
    Content content = metafileContent(file.peek(44));
    QByteArray format;
    if (content == Content::Unknown) {
        // Drawings (SVG) are not taken for pictures: like metafiles, they could keep the
        // program busy without limit.
        format = QImageReader::imageFormat(&file);
        if (!format.isEmpty() && !format.startsWith("svg"))
            content = Content::Raster;
    }
    file.close();
    if (content == Content::Unknown) {
        if (lower == "emf")
            content = Content::Emf;
        else if (lower == "wmf")
            content = Content::Wmf;
        else
            format = lower == "jpg" || lower == "jpeg" ? QByteArray("jpeg") : lower.toLatin1();
    }
    if (content == Content::Emf || content == Content::Wmf)
        return loadMetafile(path, content);
    return loadRaster(path, format);
}

QString pictureFilter() {
    return QStringLiteral("All (*.jpg *.jpeg *.bmp *.ico *.emf *.wmf);;JPEG Image File (*.jpg);;"
                          "JPEG Image File (*.jpeg);;Bitmaps (*.bmp);;Icons (*.ico);;"
                          "Enhanced Metafiles (*.emf);;Metafiles (*.wmf)");
}

void setMetafileDecoder(const MetafileDecoder& d) {
    decoder() = d;
}

} // namespace corvalen::platform
