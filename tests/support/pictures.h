#pragma once
// Picture files made by the tests: metafiles record by record, JPEGs whose header claims what
// their few bytes do not hold.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QSize>
#include <QString>

namespace corvalen::test {

// ---- Windows metafiles (WMF) -----------------------------------------------------------------

// One record: its function number and parameter words.
QByteArray wmfRecord(quint16 function, const QList<quint16>& words);
// A placeable metafile, one inch (72 pixels) per 1000 units, `width` × `height` units, holding
// the records (the end-of-file record is added).
QByteArray wmf(int width, int height, const QList<QByteArray>& records);
// Records: a rectangle; an Arial font selected as object 0; a line of text in Windows-1252.
QByteArray wmfRectangle(int left, int top, int right, int bottom);
QByteArray wmfFont(int height);
QByteArray wmfText(int x, int y, const QByteArray& windows1252);

// ---- Enhanced metafiles (EMF) ----------------------------------------------------------------

// An enhanced metafile whose bounds are `size` device pixels, holding the records (header and
// end-of-file added).
QByteArray emf(QSize size, const QList<QByteArray>& records = {});
QByteArray emfEllipse(int left, int top, int right, int bottom);

// ---- Raster pictures -------------------------------------------------------------------------

// A picture of `size` filled with `colour`, in the format given ("JPEG", "PNG", "BMP", "ICO").
QByteArray encoded(QSize size, QColor colour, const char* format);

// A small JPEG whose frame header claims `size`: a few kilobytes that decode to `size`.
QByteArray jpegClaiming(QSize size);
// A JPEG whose frame header claims 12-bit samples, which the decoder does not support.
QByteArray jpeg12Bit();
// A 64 × 48 JPEG whose Exif orientation tag says it is to be turned a quarter clockwise.
QByteArray jpegTurnedQuarter();

// ---- Bitmaps ---------------------------------------------------------------------------------

// A run-length encoded 8-bit bitmap of `size` held in a few bytes: one white row.
QByteArray bmpRle8(QSize size);

// Writes bytes to a file; false when it cannot.
bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace corvalen::test
