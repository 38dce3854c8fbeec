#include "db/schema.h"

#include <QHash>

#include <functional>
#include <vector>

namespace corvalen::db {

namespace {

enum class Kind { Key, Text, Memo, Integer, Date, Time };

struct Column {
    const char* name;
    Kind kind;
    int width = 0; // Text only
};

struct Table {
    const char* name;
    std::vector<Column> columns;
};

// Widths are the longest texts the bound text boxes let users type.
const std::vector<Table>& tables() {
    static const std::vector<Table> all = {
        {"Usuarios",
         {{"cod", Kind::Key},
          {"nome", Kind::Text, 30},
          {"senha", Kind::Text, 30},
          {"nivel", Kind::Integer},
          {"medico", Kind::Text, 80},
          {"crm", Kind::Text, 20},
          {"endereco", Kind::Text, 100},
          {"bairro", Kind::Text, 50},
          {"cidade", Kind::Text, 50},
          {"cep", Kind::Text, 10},
          {"telefone", Kind::Text, 20},
          {"email", Kind::Text, 80},
          {"cpf", Kind::Text, 20},
          {"rg", Kind::Text, 20}}},
        {"Pacientes",
         {{"inscricao", Kind::Key},
          {"nome", Kind::Text, 80},
          {"plano", Kind::Text, 50},
          {"rua", Kind::Text, 100},
          {"bairro", Kind::Text, 50},
          {"cidade", Kind::Text, 50},
          {"cep", Kind::Text, 10},
          {"tel", Kind::Text, 20},
          {"cpf", Kind::Text, 20},
          {"identidade", Kind::Text, 20},
          {"mae", Kind::Text, 80},
          {"pai", Kind::Text, 80},
          {"nascimento", Kind::Text, 10}}},
        {"Consultas",
         {{"Numero", Kind::Key},
          {"Data", Kind::Date},
          {"Cod_med", Kind::Integer},
          {"Cod_pac", Kind::Integer},
          {"Prontuario", Kind::Memo},
          {"Anamnese", Kind::Memo},
          {"Hora", Kind::Time},
          {"Pagamento", Kind::Text, 50},
          {"Valor", Kind::Integer}}},
        {"Exames",
         {{"cod", Kind::Key},
          {"nome", Kind::Text, 100},
          {"descricao", Kind::Memo},
          {"arquivo", Kind::Text, 255},
          {"cod_pront", Kind::Integer},
          {"cod_paciente", Kind::Integer}}},
        {"Clinica",
         {{"nome", Kind::Text, 100},
          {"endereco", Kind::Text, 100},
          {"complemento", Kind::Text, 60},
          {"bairro", Kind::Text, 50},
          {"cidade", Kind::Text, 50},
          {"cep", Kind::Text, 10},
          {"telefone", Kind::Text, 30},
          {"documento", Kind::Text, 20}}},
    };
    return all;
}

// The lists and reports filter consultations and exams by these integer and date columns;
// none of them is text, so the indexes need no collation.
const QStringList indexes = {
    "CREATE INDEX Consultas_Cod_pac ON Consultas (Cod_pac)",
    "CREATE INDEX Consultas_Cod_med ON Consultas (Cod_med)",
    "CREATE INDEX Consultas_Data ON Consultas (Data)",
    "CREATE INDEX Exames_cod_pront ON Exames (cod_pront)",
    "CREATE INDEX Exames_cod_paciente ON Exames (cod_paciente)",
};

// Only administrators reach the user and clinic windows, so losing the last one would lock the
// clinic out of them for good. The engine refuses it; the message is the whole text the user
// reads in the error box.
const char* const lastAdministratorRemoved =
    "Não é possível remover o último administrador do sistema. Cadastre outro administrador antes.";
const char* const lastAdministratorDemoted =
    "Não é possível tornar usuário comum o último administrador do sistema. Cadastre outro "
    "administrador antes.";

QStringList createTables(const std::function<QString(const Column&)>& definition) {
    QStringList statements;
    for (const Table& table : tables()) {
        QStringList columns;
        for (const Column& column : table.columns)
            columns << definition(column);
        statements << QStringLiteral("CREATE TABLE %1 (\n  %2\n)")
                          .arg(QLatin1String(table.name), columns.join(QStringLiteral(",\n  ")));
    }
    return statements;
}

} // namespace

// Text columns carry COLLATE NOCASE: the program replaces SQLite's built-in NOCASE on its own
// connection with a Brazilian-Portuguese one (see engine_sqlite.cpp), while other SQLite tools
// still open, query and check the file with the built-in one. No index is built on a text
// column, so the two orders never have to agree inside the file.
// Widths are declared as VARCHAR(n) and enforced by CHECK constraints: the bound text boxes
// limit typing to them, and the engine refuses anything longer that arrives another way.
QStringList schemaStatements() {
    QStringList statements = createTables([](const Column& c) {
        const QString name = QLatin1String(c.name);
        switch (c.kind) {
        case Kind::Key:
            return name + " INTEGER PRIMARY KEY AUTOINCREMENT";
        case Kind::Text:
            return QStringLiteral("%1 VARCHAR(%2) COLLATE NOCASE CHECK (length(%1) <= %2)")
                .arg(name)
                .arg(c.width);
        case Kind::Memo:
            return name + " MEMO COLLATE NOCASE";
        case Kind::Integer:
            return name + " INTEGER";
        case Kind::Date:
            return name + " DATE";
        case Kind::Time:
            return name + " TIME";
        }
        return name;
    });
    statements << indexes;
    auto trigger = [](const char* name, const char* event, const char* when, const char* message) {
        return QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON Usuarios\n"
                              "WHEN %3 AND (SELECT count(*) FROM Usuarios WHERE nivel = 1) <= 1\n"
                              "BEGIN SELECT RAISE(ABORT, '%4'); END")
            .arg(QLatin1String(name), QLatin1String(event), QLatin1String(when),
                 QString::fromUtf8(message));
    };
    statements << trigger("Usuarios_ultimo_administrador_remover", "DELETE", "OLD.nivel = 1",
                          lastAdministratorRemoved)
               << trigger("Usuarios_ultimo_administrador_nivel", "UPDATE OF nivel",
                          "OLD.nivel = 1 AND NEW.nivel IS NOT 1", lastAdministratorDemoted);
    return statements;
}

// Text columns use ptbr, an ICU collation at the second strength: letter case is ignored and
// accents count for "=", and an accented letter sorts beside its base letter, as the SQLite
// engine compares. Widths are VARCHAR(n), which the server enforces itself. The keys are
// identity columns "by default", so a migrated database keeps its numbers.
QStringList serverSchemaStatements() {
    QStringList statements{"CREATE COLLATION IF NOT EXISTS ptbr "
                           "(provider = icu, locale = 'pt-BR-u-ks-level2', deterministic = false)"};
    statements << createTables([](const Column& c) {
        const QString name = QLatin1String(c.name);
        switch (c.kind) {
        case Kind::Key:
            return name + " INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY";
        case Kind::Text:
            return QStringLiteral("%1 VARCHAR(%2) COLLATE ptbr").arg(name).arg(c.width);
        case Kind::Memo:
            return name + " TEXT COLLATE ptbr";
        case Kind::Integer:
            return name + " INTEGER";
        case Kind::Date:
            return name + " DATE";
        case Kind::Time:
            return name + " TIME";
        }
        return name;
    });
    statements << indexes;
    // The advisory lock makes two workstations demoting the last two administrators at once
    // take turns, so the second one counts what the first one left.
    statements << QStringLiteral(
                      "CREATE FUNCTION usuarios_ultimo_administrador() RETURNS trigger\n"
                      "LANGUAGE plpgsql AS $$\n"
                      "BEGIN\n"
                      "  IF OLD.nivel = 1 AND (TG_OP = 'DELETE' OR NEW.nivel IS DISTINCT FROM 1) "
                      "THEN\n"
                      "    PERFORM pg_advisory_xact_lock(1001);\n"
                      "    IF (SELECT count(*) FROM Usuarios WHERE nivel = 1) <= 1 THEN\n"
                      "      IF TG_OP = 'DELETE' THEN RAISE EXCEPTION '%1'; END IF;\n"
                      "      RAISE EXCEPTION '%2';\n"
                      "    END IF;\n"
                      "  END IF;\n"
                      "  IF TG_OP = 'DELETE' THEN RETURN OLD; END IF;\n"
                      "  RETURN NEW;\n"
                      "END $$")
                      .arg(QString::fromUtf8(lastAdministratorRemoved),
                           QString::fromUtf8(lastAdministratorDemoted))
               << "CREATE TRIGGER usuarios_ultimo_administrador BEFORE DELETE OR UPDATE OF nivel "
                  "ON Usuarios FOR EACH ROW EXECUTE FUNCTION usuarios_ultimo_administrador()";
    return statements;
}

QStringList schemaTables() {
    QStringList names;
    for (const Table& table : tables())
        names << QLatin1String(table.name);
    return names;
}

QString schemaSpelling(const QString& name) {
    static const QHash<QString, QString> spelling = [] {
        QHash<QString, QString> all;
        for (const Table& table : tables()) {
            all.insert(QString::fromLatin1(table.name).toLower(), QLatin1String(table.name));
            for (const Column& column : table.columns)
                all.insert(QString::fromLatin1(column.name).toLower(), QLatin1String(column.name));
        }
        return all;
    }();
    return spelling.value(name.toLower(), name);
}

} // namespace corvalen::db
