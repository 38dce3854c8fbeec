#pragma once
// The program's one connection to the clinic's database (ADOConnection1). It keeps the
// connection text the data module builds; the engine reads only the file path out of it
// ("Data Source=...;"), and works on the server that servidor.cfg beside that file names,
// when there is one.

#include <QObject>
#include <QSqlDatabase>

namespace corvalen::db {

class Connection : public QObject {
    Q_OBJECT
public:
    explicit Connection(const QString& name, QObject* parent = nullptr);
    ~Connection() override;

    static QString sharedName(); // name of the program's shared Qt Sql connection

    QString connectionString() const { return connectionString_; }
    void setConnectionString(const QString& text);
    QString filePath() const; // the Data Source part

    void open(); // raises the engine's error when the file cannot be opened
    void close();
    bool connected() const;
    QSqlDatabase database() const;

private:
    QString qtName_;
    QString connectionString_;
};

} // namespace corvalen::db
