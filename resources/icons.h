#pragma once
// The program's own pictures (tool-bar and button icons, the login key), drawn as SVG and
// rendered at the size asked for.
//
// Names: stethoscope, people, firstaid, keys (main tool bar); key (login); about; save,
// remove, close, add, refresh, records, print, attach, end, exit, logo, magnifier, pdf,
// image, folder, backup, restore, internal, external (buttons).

#include <QIcon>
#include <QPixmap>

namespace corvalen::resources {

// A picture by name at size × size pixels; an empty pixmap for an unknown name.
QPixmap pixmap(const QString& name, int size);
QIcon icon(const QString& name);

} // namespace corvalen::resources
