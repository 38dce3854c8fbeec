#pragma once
// How the clinic's staff share one data folder: every file belongs to one group of the
// machine, and each process creates its files readable and writable by that group and by no
// other account.

#include <QString>

namespace corvalen::platform {

// The group of the machine's accounts that may work with the clinic's data.
QString staffGroup(); // "corvalen"

// Makes every file and folder this process creates from now on readable and writable by its
// owner and its group, and closed to other accounts (umask 0007). Run first thing by the
// program, its tools and the restore program.
void shareNewFilesWithGroup();

// The login name of the account running this process.
QString accountName();

} // namespace corvalen::platform
