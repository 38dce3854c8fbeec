#pragma once
// Pictures: the clinic's logo and the exam pictures load through here.
//
// A file's extension, compared without regard to case, decides whether it is a picture at all:
// JPEG ("jpg", "jpeg"), bitmap ("bmp"), icon ("ico"), enhanced metafile ("emf") or metafile
// ("wmf"); the open-picture dialog lists those. Its content decides how it is decoded, so a
// PNG named .jpg or a JPEG named .bmp opens as what it is (an SVG drawing does not: it is
// refused by the decoder its extension names).
//
// Photos and scans larger than 4096 × 4096 pixels in area are decoded at a reduced size with
// their proportions kept (a 48-megapixel phone photo comes back about 4730 × 3550), so that
// they open quickly and in bounded memory; the picture boxes show them screen-sized anyway.
// Camera photos come back upright (their orientation tag is applied).
//
// Metafiles are decoded by the helper program corvalen-metafile in a process of its own, with
// a time limit of 10 s and a size limit of 50 MB; a crash or hang of the helper is an ordinary
// "Cannot open file" error. They come back drawn at their own size on white, at most 4096
// pixels on the longer side, proportions kept.

#include "metafile/protocol.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace corvalen::platform {

// Loads the picture at path. Raises "Unknown picture file extension (.<ext>)" for any other
// extension (".pdf" included), and "Cannot open file "<path>". <reason>" when the file is
// missing or cannot be decoded; the reason is the decoder's own ("Invalid image data (Not a
// JPEG file: starts with 0x69 0x73)", "Metafile contains no drawing", ...).
QImage loadPicture(const QString& path);

// The type list of the open-picture dialog, all kinds first.
QString pictureFilter();

// The helper that decodes metafiles. By default corvalen-metafile beside the running
// executable (the program folder); tests name the built helper, with its test arguments
// (--test-crash, --test-hang) and a shorter time limit.
struct MetafileDecoder {
    QString program;       // empty: the default
    QStringList arguments; // put before the helper's own
    int timeLimitMs = metafile::timeLimitMs;
};
void setMetafileDecoder(const MetafileDecoder& decoder);

} // namespace corvalen::platform
