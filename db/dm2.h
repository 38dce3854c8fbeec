#pragma once
// The data module Dm2: the one connection and the seventeen shared datasets with their data
// sources, created once at start-up. Every window reaches them through Dm2.

#include "db/connection.h"
#include "db/datasource.h"

#include <QObject>

namespace corvalen {

class TDm2 : public QObject {
    Q_OBJECT
public:
    explicit TDm2(QObject* parent = nullptr);
    ~TDm2() override;

    // Builds the connection text, connects and opens the shared datasets in catalogue order.
    // A failure shows one message and stops there; start-up goes on.
    void DataModuleCreate();

    // The shared datasets in the order DataModuleCreate opens them.
    QList<db::Dataset*> sharedDatasets() const;

    db::Connection* ADOConnection1;

    db::Dataset* ADOQuery1;
    db::Dataset* ADOQuery2;
    db::Dataset* ADOEditUsuarios;
    db::Dataset* ADOQuery4;
    db::Dataset* ADOEditPacientes;
    db::Dataset* ADOConsulta;
    db::Dataset* ADOConsultaPac;
    db::Dataset* ADOVerConsultas;
    db::Dataset* ADOQueryPronts;
    db::Dataset* ADOQueryExame;
    db::Dataset* ADOQueryListPronts;
    db::Dataset* ADOListadeExames;
    db::Dataset* ADOClinica;
    db::Dataset* ADORelatConsulta;
    db::Dataset* ADORelatUsers;
    db::Dataset* ADORelatCProf;
    db::Dataset* ADORelatData;

    db::DataSource* DataSource2;
    db::DataSource* DataSource3;
    db::DataSource* DataSource6;
    db::DataSource* DataSource7;
    db::DataSource* DataSource8;
    db::DataSource* DataSource9;
    db::DataSource* DataSource4;
    db::DataSource* DataSource5;
    db::DataSource* DataSource10;
    db::DataSource* DataSource12;
    db::DataSource* DataSource13;

private:
    db::Dataset* dataset(const char* name, const QStringList& sql);
    db::DataSource* source(const char* name, db::Dataset* dataset);
    QList<db::Dataset*> datasets_;
};

// The program's single data module (nullptr before start-up creates it).
extern TDm2* Dm2;

// The text of the start-up message for a failed connection or dataset.
QString startupErrorText(const QString& kind, const QString& message);

} // namespace corvalen
