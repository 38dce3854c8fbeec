#pragma once
// The program's small text files (logo.cfg, cont.cfg): one line, CR LF, in the system's
// 8-bit code page (UTF-8 on Linux).

#include <QString>

namespace corvalen::platform {

// The first line of a text file, up to its first line break. Raises "File not found" when the
// file is missing and another file error when it cannot be read.
QString readFirstLine(const QString& path);

// Replaces the file with one line followed by CR LF. The new content is written beside the
// file and renamed over it, so that a crash midway leaves the old file whole. Raises
// "File access denied" when the file or its folder cannot be written.
void writeLine(const QString& path, const QString& line);

} // namespace corvalen::platform
