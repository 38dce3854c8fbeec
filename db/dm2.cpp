#include "db/dm2.h"

#include "db/engine.h"
#include "db/session.h"
#include "platform/error.h"
#include "platform/messages.h"

namespace corvalen {

TDm2* Dm2 = nullptr;

namespace {

// The nine fields the two consultation datasets declare, in order.
const QStringList consultaFields = {"Numero",   "Data", "Cod_med",   "Cod_pac", "Prontuario",
                                    "Anamnese", "Hora", "Pagamento", "Valor"};

QStringList profSelect() {
    return {"SELECT Consultas.Numero, Consultas.Data, Consultas.Cod_med, Consultas.Cod_pac, "
            "Consultas.Hora, Usuarios.medico, Pacientes.nome",
            "FROM Usuarios INNER JOIN (Pacientes INNER JOIN Consultas ON "
            "Pacientes.inscricao=Consultas.Cod_pac) ON Usuarios.cod=Consultas.Cod_med"};
}

} // namespace

QString startupErrorText(const QString& kind, const QString& message) {
    return kind + QStringLiteral("erro gerado, com mensagem: ") + message;
}

TDm2::TDm2(QObject* parent) : QObject(parent) {
    setObjectName("Dm2");
    Dm2 = this;
    ADOConnection1 = new db::Connection(db::Connection::sharedName(), this);

    ADOQuery1 = dataset("ADOQuery1", {"Select * from pacientes"});
    ADOQuery2 = dataset("ADOQuery2", {"select cod, nome, nivel", "from Usuarios"});
    ADOEditUsuarios = dataset("ADOEditUsuarios", {"select * from Usuarios"});
    ADOQuery4 = dataset("ADOQuery4", {"select * from Pacientes"});
    ADOEditPacientes = dataset("ADOEditPacientes", {"select * from Pacientes"});
    ADOConsulta = dataset("ADOConsulta", {"Select * from Consultas"});
    ADOConsultaPac = dataset("ADOConsultaPac", {"Select * from pacientes"});
    ADOVerConsultas = dataset("ADOVerConsultas", {"Select * from Consultas"});
    ADOQueryPronts = dataset("ADOQueryPronts", {"select * from consultas"});
    ADOQueryExame = dataset("ADOQueryExame", {"select * from Exames"});
    ADOQueryListPronts =
        dataset("ADOQueryListPronts", {"select cod, nome, cod_pront, cod_paciente from Exames"});
    ADOListadeExames =
        dataset("ADOListadeExames", {"select nome, cod, cod_pront, cod_paciente from Exames"});
    ADOClinica = dataset("ADOClinica", {"select * from clinica"});
    ADORelatConsulta = dataset("ADORelatConsulta", {"SELECT data, hora, prontuario, cod_pac, nome",
                                                    "FROM Consultas, Pacientes",
                                                    "WHERE Cod_pac=inscricao", "ORDER BY data;"});
    ADORelatUsers = dataset("ADORelatUsers", {"select * from usuarios"});
    ADORelatCProf = dataset("ADORelatCProf", profSelect() << "ORDER BY Consultas.Data;");
    // The original's design text held Jet date literals (#1/1/2015# and #6/1/2015#, month first).
    ADORelatData = dataset("ADORelatData",
                           profSelect() << QStringLiteral("WHERE Consultas.Data Between %1 And %2")
                                               .arg(db::engine::dateLiteral(2015, 1, 1),
                                                    db::engine::dateLiteral(2015, 6, 1))
                                        << "ORDER BY Consultas.Data;");

    for (db::Dataset* d : {ADOConsulta, ADOVerConsultas}) {
        d->setRequiredFields(consultaFields);
        d->setDisplayFormat("Hora", "hh:nn");
    }

    DataSource2 = source("DataSource2", ADOQuery2);
    DataSource3 = source("DataSource3", ADOEditUsuarios);
    DataSource6 = source("DataSource6", ADOQuery4);
    DataSource7 = source("DataSource7", ADOEditPacientes);
    DataSource8 = source("DataSource8", ADOConsulta);
    DataSource9 = source("DataSource9", ADOConsultaPac);
    DataSource4 = source("DataSource4", ADOVerConsultas);
    DataSource5 = source("DataSource5", ADOQueryExame);
    DataSource10 = source("DataSource10", ADOQueryListPronts);
    DataSource12 = source("DataSource12", ADOListadeExames);
    DataSource13 = source("DataSource13", ADOClinica);
}

TDm2::~TDm2() {
    for (db::Dataset* d : datasets_)
        d->close();
    if (Dm2 == this)
        Dm2 = nullptr;
}

db::Dataset* TDm2::dataset(const char* name, const QStringList& sql) {
    auto* d = new db::Dataset(QString::fromLatin1(name), this);
    d->setSql(sql);
    datasets_ << d;
    return d;
}

db::DataSource* TDm2::source(const char* name, db::Dataset* dataset) {
    return new db::DataSource(QString::fromLatin1(name), dataset, this);
}

QList<db::Dataset*> TDm2::sharedDatasets() const {
    return datasets_;
}

void TDm2::DataModuleCreate() {
    ADOConnection1->close();
    // The connection text of the original Jet provider; the engine reads only the file path.
    const QString text =
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=") +
        session().dataFile("med.mdb") +
        ";"
        "Mode=Share Deny None;"
        "Jet OLEDB:Database Password=\"\";"
        "Jet OLEDB:Engine Type=5;"
        "Jet OLEDB:Database Locking Mode=1;"
        "Jet OLEDB:Global Partial Bulk Ops=2;"
        "Jet OLEDB:Global Bulk Transactions=1;"
        "Jet OLEDB:New Database Password=\"\";"
        "Jet OLEDB:Create System Database=False;"
        "Jet OLEDB:Encrypt Database=False;"
        "Jet OLEDB:Compact Without Replica Repair=False;"
        "Jet OLEDB:SFP=False;";
    ADOConnection1->setConnectionString(text);
    try {
        ADOConnection1->open();
        for (db::Dataset* d : datasets_)
            d->open();
    } catch (const Error& e) {
        messages::showMessage(startupErrorText(e.kind(), e.message()));
    } catch (const std::exception& e) {
        messages::showMessage(startupErrorText("Exception", QString::fromUtf8(e.what())));
    }
}

} // namespace corvalen
