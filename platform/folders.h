#pragma once
// Where the machine keeps data shared by every account.

#include <QString>

namespace corvalen::platform {

// The machine's common application-data folder, without a trailing separator. On Linux this
// is /var/lib; CORVALEN_COMMON_APPDATA, when set, names another folder (whole-program runs
// and end-to-end tests use it). This is the only environment variable the program reads.
QString commonAppDataFolder();

// Joins a folder and a relative name with one separator.
QString joinPath(const QString& folder, const QString& name);

} // namespace corvalen::platform
