#pragma once
// Program-wide state, readable from every window: the two folders (fixed at start-up), the
// logged-in user and the current patient. All zero or empty until first set.

#include <QString>

namespace corvalen {

struct CurrentUser {
    int code = 0;
    QString name;
    bool administrator = false;
};

struct CurrentPatient {
    int code = 0;
    QString name;
};

struct Session {
    QString programFolder; // the current directory when the program started
    QString dataFolder;    // common application data + Talvane/Corvalen
    CurrentUser user;
    CurrentPatient patient;

    QString dataFile(const QString& name) const; // data folder + separator + name
    // A file the workstations share besides the database (ex/, cont.cfg, logo.cfg): in the
    // shared folder that servidor.cfg names for a clinic on a server, else in the data folder.
    QString sharedFile(const QString& name) const;
    QString programFile(const QString& name) const; // program folder + separator + name
};

Session& session();

} // namespace corvalen
