#pragma once
// Looking into archives and database files from the outside, for the backup and restore tests:
// an archive's entries read with libzip itself, and a database's whole content as text.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <sqlite3.h>
#include <zip.h>

namespace corvalen::test {

struct ZipEntry {
    QString name;
    int method = -1;
    bool encrypted = false;
    QByteArray content;
};

// Every entry of the archive with its content; empty when the archive does not open.
inline std::vector<ZipEntry> zipEntries(const QString& path) {
    std::vector<ZipEntry> entries;
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!za)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(za, zip_uint64_t(i), 0, &st);
        ZipEntry e{
            QString::fromUtf8(st.name), st.comp_method, st.encryption_method != ZIP_EM_NONE, {}};
        if (zip_file_t* f = zip_fopen_index(za, zip_uint64_t(i), 0)) {
            e.content.resize(qsizetype(st.size));
            if (zip_fread(f, e.content.data(), st.size) != zip_int64_t(st.size))
                e.content = "(CRC ou leitura falhou)";
            zip_fclose(f);
        }
        entries.push_back(e);
    }
    zip_discard(za);
    return entries;
}

inline QStringList zipNames(const QString& path) {
    QStringList names;
    for (const ZipEntry& e : zipEntries(path))
        names << e.name;
    return names;
}

// Writes an archive with the given entries (name, content), deflated; for arranging archives
// the program would never write.
inline bool writeZip(const QString& path,
                     const std::vector<std::pair<QString, QByteArray>>& entries) {
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!za)
        return false;
    for (const auto& [name, content] : entries) {
        zip_source_t* s =
            zip_source_buffer(za, content.constData(), zip_uint64_t(content.size()), 0);
        if (zip_file_add(za, name.toUtf8().constData(), s, ZIP_FL_ENC_UTF_8) < 0)
            return false;
    }
    return zip_close(za) == 0;
}

// The whole content of the program's tables, row by row, as text ("" when it cannot be read).
inline QString databaseContent(const QString& path) {
    // Without a log beside it the file is read as unchanging, so that reading creates none.
    const bool logged = QFile::exists(path + "-wal");
    const QByteArray name =
        logged ? QFile::encodeName(path) : ("file:" + QFile::encodeName(path) + "?immutable=1");
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return {};
    }
    QString text;
    for (const char* table : {"Usuarios", "Pacientes", "Consultas", "Exames", "Clinica"}) {
        sqlite3_stmt* s = nullptr;
        const QByteArray sql = QByteArray("SELECT * FROM ") + table + " ORDER BY rowid";
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            return {};
        }
        text += QLatin1String(table) + ":\n";
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(s); ++c)
                text +=
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, c))) +
                    '|';
            text += '\n';
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return text;
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace corvalen::test
