#pragma once
// File operations that Qt leaves to the system: a new file written beside its final place,
// flushed to the disk and renamed into it; giving a written file the group and permissions of
// the shared data folder, so that every account of the machine can still use it; and a short
// Portuguese reason for the system's errors.

#include <QString>
#include <optional>

namespace corvalen::platform {

// A short Portuguese reason for a system error number (folder missing, no permission, disk
// full...), the system's own text for the rarer ones.
QString systemErrorText(int code);

// Waits until the file's content has reached the disk. False when it could not be flushed.
bool flushToDisk(const QString& path);

// Renames `from` to `to` in one step, replacing a file of that name. Raises an Error with the
// reason when the system refuses.
void replaceFile(const QString& from, const QString& to);

// Who may use a file: its group and its read and write permissions.
struct Sharing {
    unsigned group = 0;
    unsigned mode = 0; // read and write bits only
};

// The sharing a new file written into `folder` gets: the folder's group, and read and write
// for whoever may write into the folder (its execute bits dropped). When the file replaces
// `replaced`, whatever that file allowed is kept as well. Nothing when the folder cannot be
// read.
std::optional<Sharing> sharingFor(const QString& folder, const QString& replaced = {});

// Gives the file that sharing. False when the system refused (the group of another account).
bool applySharing(const QString& path, const Sharing& sharing);

// A new file written under a temporary name in its final folder, then put in place in one
// step, so that a failure midway never leaves a partial file under the final name. The
// temporary file is removed when the object goes away without having been put in place.
// Every failure raises an Error whose message is the reason (systemErrorText).
class NewFile {
public:
    explicit NewFile(const QString& folder);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    QString temporaryPath() const { return path_; }
    void write(const char* data, qint64 size);
    // Flushes the content to the disk and closes the file; gives it `sharing` when set.
    // Returns false when the sharing could not be given (the file is complete all the same).
    bool finish(const std::optional<Sharing>& sharing);
    // Puts the finished file in place: over an existing file of that name (replace), or only
    // when the name is free (placeNew, which raises an Error otherwise).
    void replace(const QString& path);
    void placeNew(const QString& path);

private:
    QString path_;
    int fd_ = -1;
    bool placed_ = false;
};

} // namespace corvalen::platform
