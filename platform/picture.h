#pragma once
// Pictures loaded by file extension, compared without regard to case: JPEG ("jpg", "jpeg"),
// bitmap ("bmp"), icon ("ico"), enhanced metafile ("emf") and metafile ("wmf"). The clinic's
// logo and the exam pictures load through here.

#include <QImage>
#include <QString>

namespace corvalen::platform {

// Loads the picture at path. Raises "Unknown picture file extension (.<ext>)" for any other
// extension (".pdf" included), and "Cannot open file "<path>". <reason>" when the file is
// missing or cannot be decoded. Metafiles are drawn at their own size on white.
QImage loadPicture(const QString& path);

// The type list of the open-picture dialog, all kinds first.
QString pictureFilter();

} // namespace corvalen::platform
