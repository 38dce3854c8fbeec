#pragma once
// ZIP archives (PKWARE's format) on libzip: the backup's archive writer, and reading an
// archive back with every entry's CRC checked.

#include "platform/error.h"

#include <QString>
#include <functional>
#include <vector>

struct zip;

namespace corvalen::archive {

// Called now and then with the fraction of the work done, from 0 to 1.
using Progress = std::function<void(double fraction)>;

struct EntryInfo {
    QString name;
    qint64 size = 0; // uncompressed
    quint32 crc = 0;
};

// Reads an archive. Opening checks that the archive is consistent (a truncated or damaged
// file is refused); reading an entry decompresses it and checks its size and CRC. Failures
// raise an Error with a short Portuguese reason.
class ArchiveReader {
public:
    explicit ArchiveReader(const QString& path);
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    const std::vector<EntryInfo>& entries() const { return entries_; }

    // Reads every entry to its end, checking sizes and CRCs.
    void verify(const Progress& progress = {});
    // Hands the content of entry `index` to `sink` piece by piece; checks size and CRC.
    void read(int index, const std::function<void(const char*, qint64)>& sink,
              const Progress& progress = {});
    // Whether entry `index` holds exactly the content of the file at `path`.
    bool sameContent(int index, const QString& path);

private:
    QString path_;
    zip* archive_ = nullptr;
    std::vector<EntryInfo> entries_;
};

// The backup's ZIP archive writer. The files put on its list are written as entries under
// the names given (no folders unless the name has them), with deflate at level 9 or stored,
// without encryption. The archive is written under a temporary name in its folder, read back
// (entry list and CRCs), flushed to the disk and only then renamed to its name, replacing an
// archive of that name: a failed write leaves nothing behind and earlier archives untouched.
// The writer reports its failures itself, in one message box naming the archive and the
// reason.
class ZipArchiveWriter {
public:
    // The archive's file name, made absolute.
    void setFileName(const QString& fileName);
    QString fileName() const { return fileName_; }

    // Puts a file on the list of files to add. `compress` false stores it as it is (pictures
    // that are compressed already).
    void addFile(const QString& path, const QString& entryName, bool compress = true);
    void setProgress(Progress progress) { progress_ = std::move(progress); }

    // Writes the archive. False after showing the failure's message box.
    bool add();

    // The reason of the last failure, empty after a success.
    QString lastError() const { return lastError_; }

    // Shows the writer's message box for this archive with `reason`: for a failure in
    // preparing what the archive will hold.
    void showFailure(const QString& reason);

private:
    struct File {
        QString path;
        QString entryName;
        bool compress;
    };
    void write(const QString& temporary);

    QString fileName_;
    std::vector<File> files_;
    Progress progress_;
    QString lastError_;
};

} // namespace corvalen::archive
