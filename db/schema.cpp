#include "db/schema.h"

namespace corvalen::db {

// Text columns carry COLLATE NOCASE: the program replaces SQLite's built-in NOCASE on its own
// connection with a Brazilian-Portuguese one (see engine.cpp), while other SQLite tools still
// open, query and check the file with the built-in one. No index is built on a text column, so
// the two orders never have to agree inside the file.
// Widths are declared as VARCHAR(n) and enforced by CHECK constraints: the bound text boxes
// limit typing to them, and the engine refuses anything longer that arrives another way.
QStringList schemaStatements() {
    auto text = [](const char* name, int width) {
        return QStringLiteral("%1 VARCHAR(%2) COLLATE NOCASE CHECK (length(%1) <= %2)")
            .arg(QLatin1String(name))
            .arg(width);
    };
    auto memo = [](const char* name) {
        return QStringLiteral("%1 MEMO COLLATE NOCASE").arg(QLatin1String(name));
    };
    auto table = [](const char* name, const QStringList& columns) {
        return QStringLiteral("CREATE TABLE %1 (\n  %2\n)")
            .arg(QLatin1String(name), columns.join(QStringLiteral(",\n  ")));
    };

    auto lastAdministratorTrigger = [](const char* name, const char* event, const char* when,
                                       const char* message) {
        return QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON Usuarios\n"
                              "WHEN %3 AND (SELECT count(*) FROM Usuarios WHERE nivel = 1) <= 1\n"
                              "BEGIN SELECT RAISE(ABORT, '%4'); END")
            .arg(QLatin1String(name), QLatin1String(event), QLatin1String(when),
                 QString::fromUtf8(message));
    };

    return {
        table("Usuarios",
              {"cod INTEGER PRIMARY KEY AUTOINCREMENT", text("nome", 30), text("senha", 30),
               "nivel INTEGER", text("medico", 80), text("crm", 20), text("endereco", 100),
               text("bairro", 50), text("cidade", 50), text("cep", 10), text("telefone", 20),
               text("email", 80), text("cpf", 20), text("rg", 20)}),
        table("Pacientes",
              {"inscricao INTEGER PRIMARY KEY AUTOINCREMENT", text("nome", 80), text("plano", 50),
               text("rua", 100), text("bairro", 50), text("cidade", 50), text("cep", 10),
               text("tel", 20), text("cpf", 20), text("identidade", 20), text("mae", 80),
               text("pai", 80), text("nascimento", 10)}),
        table("Consultas", {"Numero INTEGER PRIMARY KEY AUTOINCREMENT", "Data DATE",
                            "Cod_med INTEGER", "Cod_pac INTEGER", memo("Prontuario"),
                            memo("Anamnese"), "Hora TIME", text("Pagamento", 50), "Valor INTEGER"}),
        table("Exames",
              {"cod INTEGER PRIMARY KEY AUTOINCREMENT", text("nome", 100), memo("descricao"),
               text("arquivo", 255), "cod_pront INTEGER", "cod_paciente INTEGER"}),
        table("Clinica", {text("nome", 100), text("endereco", 100), text("complemento", 60),
                          text("bairro", 50), text("cidade", 50), text("cep", 10),
                          text("telefone", 30), text("documento", 20)}),
        // The lists and reports filter consultations and exams by these integer and date
        // columns; none of them is text, so the indexes need no collation.
        "CREATE INDEX Consultas_Cod_pac ON Consultas (Cod_pac)",
        "CREATE INDEX Consultas_Cod_med ON Consultas (Cod_med)",
        "CREATE INDEX Consultas_Data ON Consultas (Data)",
        "CREATE INDEX Exames_cod_pront ON Exames (cod_pront)",
        "CREATE INDEX Exames_cod_paciente ON Exames (cod_paciente)",
        // Only administrators reach the user and clinic windows, so losing the last one would
        // lock the clinic out of them for good. The engine refuses it; the message is the whole
        // text the user reads in the error box.
        lastAdministratorTrigger("Usuarios_ultimo_administrador_remover", "DELETE", "OLD.nivel = 1",
                                 "Não é possível remover o último administrador do sistema. "
                                 "Cadastre outro administrador antes."),
        lastAdministratorTrigger(
            "Usuarios_ultimo_administrador_nivel", "UPDATE OF nivel",
            "OLD.nivel = 1 AND NEW.nivel IS NOT 1",
            "Não é possível tornar usuário comum o último administrador do sistema. "
            "Cadastre outro administrador antes."),
    };
}

} // namespace corvalen::db
