#pragma once
// Metafile decoding for the corvalen-metafile helper: an enhanced metafile (EMF, through
// emf2svg) or a Windows metafile (WMF, through libwmf) becomes a well-formed SVG document,
// which is drawn at the metafile's own size (bounded, proportions kept) on white.
//
// The parsers are old C libraries that a damaged or crafted file can crash or hang; only the
// helper process calls these functions, never the program itself.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace corvalen::metafile {

enum class Kind { Emf, Wmf };

// The largest side of a drawn metafile, in pixels; larger frames are scaled down to fit.
inline constexpr int maximumSide = 4096;

// Converts the metafile to SVG. On failure returns an empty array and sets *error to the
// reason.
QByteArray toSvg(Kind kind, const QByteArray& bytes, QString* error);

// Draws an SVG document at its own size (bounded by maximumSide, proportions kept; 256 × 256
// when it declares none) on white. A document that Qt SVG refuses, or that draws nothing,
// gives a null image and the reason in *error.
QImage render(const QByteArray& svg, QString* error);

} // namespace corvalen::metafile
