#include "tests/support/pictures.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QtEndian>

namespace corvalen::test {

namespace {

// Little-endian words and double words into a byte array.
class Writer {
public:
    Writer() { stream_.setByteOrder(QDataStream::LittleEndian); }
    template <typename T> Writer& operator<<(T value) {
        stream_ << value;
        return *this;
    }
    QByteArray bytes;

private:
    QDataStream stream_{&bytes, QIODevice::WriteOnly};
};

QByteArray smallJpeg() {
    return encoded(QSize(64, 48), Qt::darkGreen, "JPEG");
}

// The offset of the baseline frame header's precision byte (after FF C0 and the length).
qsizetype frameHeader(const QByteArray& jpeg) {
    const qsizetype marker = jpeg.indexOf("\xFF\xC0");
    return marker < 0 ? -1 : marker + 4;
}

} // namespace

QByteArray wmfRecord(quint16 function, const QList<quint16>& words) {
    Writer s;
    s << quint32(3 + words.size()) << function;
    for (quint16 w : words)
        s << w;
    return s.bytes;
}

QByteArray wmf(int width, int height, const QList<QByteArray>& records) {
    QByteArray body;
    quint32 largest = 3;
    for (const QByteArray& r : records) {
        body += r;
        largest = qMax(largest, quint32(r.size() / 2));
    }
    body += wmfRecord(0, {});

    Writer s;
    const quint16 inch = 1000;
    const quint16 words[] = {0xCDD7, 0x9AC6, 0, 0, 0, quint16(width), quint16(height), inch, 0, 0};
    quint16 checksum = 0;
    for (quint16 w : words)
        checksum ^= w;
    s << quint32(0x9AC6CDD7) << quint16(0) << qint16(0) << qint16(0) << qint16(width)
      << qint16(height) << inch << quint32(0) << checksum;
    // Standard header: type 1, nine words, version 3, size in words, one object, largest record.
    s << quint16(1) << quint16(9) << quint16(0x0300) << quint32(9 + body.size() / 2) << quint16(1)
      << largest << quint16(0);
    return s.bytes + body;
}

QByteArray wmfRectangle(int left, int top, int right, int bottom) {
    return wmfRecord(0x041B, {quint16(bottom), quint16(right), quint16(top), quint16(left)});
}

QByteArray wmfFont(int height) {
    QList<quint16> words{quint16(qint16(-height)), 0, 0, 0, 400, 0, 0, 0, 0};
    QByteArray face("Arial");
    face.resize(32, '\0');
    for (int i = 0; i < face.size(); i += 2)
        words << qFromLittleEndian<quint16>(face.constData() + i);
    // Created as object 0, then selected.
    return wmfRecord(0x02FB, words) + wmfRecord(0x012D, {0});
}

QByteArray wmfText(int x, int y, const QByteArray& windows1252) {
    QByteArray text = windows1252;
    if (text.size() % 2)
        text += '\0';
    QList<quint16> words{quint16(windows1252.size())};
    for (int i = 0; i < text.size(); i += 2)
        words << qFromLittleEndian<quint16>(text.constData() + i);
    words << quint16(y) << quint16(x);
    return wmfRecord(0x0521, words);
}

QByteArray emf(QSize size, const QList<QByteArray>& records) {
    QByteArray body;
    for (const QByteArray& r : records)
        body += r;
    const quint32 headerSize = 88, eofSize = 20;
    const quint32 total = headerSize + quint32(body.size()) + eofSize;

    Writer s;
    s << quint32(1) << headerSize;
    s << qint32(0) << qint32(0) << qint32(size.width() - 1) << qint32(size.height() - 1);
    // The frame in hundredths of a millimetre, at 96 pixels per inch.
    s << qint32(0) << qint32(0) << qint32(size.width() * 2540 / 96)
      << qint32(size.height() * 2540 / 96);
    s << quint32(0x464D4520) << quint32(0x10000) << total << quint32(records.size() + 2);
    s << quint16(1) << quint16(0) << quint32(0) << quint32(0) << quint32(0);
    s << qint32(1024) << qint32(768) << qint32(270) << qint32(203);
    return s.bytes + body +
           QByteArray::fromHex("0e000000140000000000000010000000"
                               "14000000");
}

QByteArray emfEllipse(int left, int top, int right, int bottom) {
    Writer s;
    s << quint32(42) << quint32(24) << qint32(left) << qint32(top) << qint32(right)
      << qint32(bottom);
    return s.bytes;
}

QByteArray encoded(QSize size, QColor colour, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray jpegClaiming(QSize size) {
    QByteArray jpeg = smallJpeg();
    const qsizetype at = frameHeader(jpeg);
    qToBigEndian<quint16>(quint16(size.height()), jpeg.data() + at + 1);
    qToBigEndian<quint16>(quint16(size.width()), jpeg.data() + at + 3);
    return jpeg;
}

QByteArray jpeg12Bit() {
    QByteArray jpeg = smallJpeg();
    jpeg[frameHeader(jpeg)] = 12;
    return jpeg;
}

QByteArray jpegTurnedQuarter() {
    // An APP1 segment right after the start marker: "Exif", a little-endian TIFF header and one
    // directory entry, orientation (0x0112) = 6.
    Writer tiff;
    tiff << quint8('I') << quint8('I') << quint16(42) << quint32(8) << quint16(1) << quint16(0x0112)
         << quint16(3) << quint32(1) << quint16(6) << quint16(0) << quint32(0);
    const QByteArray exif = QByteArray("Exif\0\0", 6) + tiff.bytes;
    QByteArray segment("\xFF\xE1");
    segment += char((exif.size() + 2) >> 8);
    segment += char((exif.size() + 2) & 0xFF);
    return smallJpeg().insert(2, segment + exif);
}

QByteArray bmpRle8(QSize size) {
    QByteArray pixels;
    for (int left = size.width(); left > 0; left -= 255)
        pixels += QByteArray(1, char(qMin(left, 255))) + char(1); // runs of white
    pixels += QByteArray("\0\0\0\1", 4);                          // end of line, of bitmap
    const quint32 offset = 14 + 40 + 2 * 4;
    Writer s;
    s << quint8('B') << quint8('M') << quint32(offset + pixels.size()) << quint32(0) << offset;
    // Rows bottom-up, as run-length bitmaps must be: the white row is the bottom one.
    s << quint32(40) << qint32(size.width()) << qint32(size.height()) << quint16(1) << quint16(8)
      << quint32(1) << quint32(pixels.size()) << qint32(2835) << qint32(2835) << quint32(2)
      << quint32(0);
    s << quint32(0x00000000) << quint32(0x00FFFFFF); // palette: black, white
    return s.bytes + pixels;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace corvalen::test
