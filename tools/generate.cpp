#include "tools/generate.h"

#include "platform/error.h"
#include "platform/folders.h"
#include "platform/textfile.h"
#include "tools/generate_clinical.h"
#include "tools/generate_files.h"
#include "tools/generate_people.h"
#include "tools/generate_random.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>
#include <vector>

namespace corvalen::generator {

namespace {

// Every run starts from this seed, so a scale always gives the same clinic. Each kind of row
// draws from its own stream, so that changing one kind leaves the others as they were.
constexpr std::uint64_t seed = 0x436F7276616C656Eull;
enum Stream : std::uint64_t { UsersStream = 1, PatientsStream, VisitsStream, ExamsStream };

const QString userPassword = QStringLiteral("1234");

Error failure(const QString& message) {
    return Error(QStringLiteral("EGenerate"), message);
}

class Database {
public:
    explicit Database(const QString& file) {
        if (sqlite3_open_v2(file.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) !=
            SQLITE_OK) {
            const QString message = db_ ? lastError() : QStringLiteral("sem memória");
            sqlite3_close(db_);
            db_ = nullptr;
            throw failure(QStringLiteral("Não foi possível abrir %1: %2").arg(file, message));
        }
        sqlite3_busy_timeout(db_, 5000);
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* handle() const { return db_; }
    QString lastError() const { return QString::fromUtf8(sqlite3_errmsg(db_)); }

    void exec(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw failure(QString::fromUtf8(sql) + ": " + lastError());
    }

    sqlite3_int64 scalar(const char* sql) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK)
            throw failure(lastError());
        sqlite3_int64 value = 0;
        if (sqlite3_step(stmt) == SQLITE_ROW)
            value = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        return value;
    }

    QString text(const char* sql) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK)
            throw failure(lastError());
        QString value;
        if (sqlite3_step(stmt) == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return value;
    }

private:
    sqlite3* db_ = nullptr;
};

// A prepared INSERT or UPDATE run once per row: bind the columns in order, then run().
class Statement {
public:
    Statement(Database& db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db.handle(), sql, -1, &stmt_, nullptr) != SQLITE_OK)
            throw failure(QString::fromUtf8(sql) + ": " + db.lastError());
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Empty text is stored as NULL, as an empty box of the program leaves it. The text is
    // copied, so temporaries may be bound.
    Statement& text(const std::string& value) {
        if (value.empty())
            sqlite3_bind_null(stmt_, ++column_);
        else
            sqlite3_bind_text(stmt_, ++column_, value.data(), int(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& text(const QString& value) { return text(value.toStdString()); }
    Statement& integer(sqlite3_int64 value) {
        sqlite3_bind_int64(stmt_, ++column_, value);
        return *this;
    }

    // Runs the statement and returns the key of the row it inserted.
    sqlite3_int64 run() {
        const int rc = sqlite3_step(stmt_);
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        column_ = 0;
        if (rc != SQLITE_DONE)
            throw failure(db_.lastError());
        return sqlite3_last_insert_rowid(db_.handle());
    }

private:
    Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
    int column_ = 0;
};

// The working days (Monday to Friday, national holidays off) from 2 January 2015 to the end
// of 2024: ten years of the clinic.
std::vector<QDate> workingDays() {
    static const int holidays[][2] = {{1, 1},   {4, 21}, {5, 1},   {9, 7},
                                      {10, 12}, {11, 2}, {11, 15}, {12, 25}};
    std::vector<QDate> days;
    for (QDate d(2015, 1, 2); d.year() <= 2024; d = d.addDays(1)) {
        if (d.dayOfWeek() > 5)
            continue;
        const bool holiday = std::any_of(std::begin(holidays), std::end(holidays), [&](auto& h) {
            return d.month() == h[0] && d.day() == h[1];
        });
        if (!holiday)
            days.push_back(d);
    }
    return days;
}

// Consultations are numbered in the order they happened: consultation i (from 0) of n falls
// on working day i * days / n.
struct Calendar {
    std::vector<QDate> days = workingDays();
    std::int64_t consultations;

    explicit Calendar(std::int64_t n) : consultations(n) {}
    int dayOf(std::int64_t i) const { return int(i * std::int64_t(days.size()) / consultations); }
    // The first consultation on day d.
    std::int64_t firstOn(int d) const {
        return (std::int64_t(d) * consultations + std::int64_t(days.size()) - 1) /
               std::int64_t(days.size());
    }
};

// Patients register over the years: when the count of patients due by consultation i grows,
// consultation i is the new patient's first; otherwise a registered patient returns.
std::int64_t patientsDue(std::int64_t i, const Size& size) {
    return std::int64_t(size.patients) * (i + 1) / size.consultations;
}

void checkPrepared(const QString& folder) {
    for (const char* name : {"med.mdb", "cont.cfg", "ex"}) {
        if (!QFileInfo::exists(platform::joinPath(folder, name)))
            throw failure(QStringLiteral("A pasta %1 não está preparada (falta %2); prepare-a "
                                         "antes com corvalen-prepare.")
                              .arg(folder, QLatin1String(name)));
    }
}

void checkEmpty(Database& db, const QString& folder) {
    const auto patients = db.scalar("SELECT count(*) FROM Pacientes");
    const auto consultations = db.scalar("SELECT count(*) FROM Consultas");
    const auto exams = db.scalar("SELECT count(*) FROM Exames");
    if (patients + consultations + exams > 0)
        throw failure(QStringLiteral("A pasta %1 já contém pacientes, consultas ou exames "
                                     "(%2, %3, %4); nada foi alterado.")
                          .arg(folder)
                          .arg(patients)
                          .arg(consultations)
                          .arg(exams));
}

void writeClinic(Database& db) {
    const Clinic c = makeClinic();
    const bool hasRow = db.scalar("SELECT count(*) FROM Clinica") > 0;
    Statement s(db, hasRow ? "UPDATE Clinica SET nome = ?, endereco = ?, complemento = ?, "
                             "bairro = ?, cidade = ?, cep = ?, telefone = ?, documento = ? "
                             "WHERE rowid = (SELECT min(rowid) FROM Clinica)"
                           : "INSERT INTO Clinica (nome, endereco, complemento, bairro, cidade, "
                             "cep, telefone, documento) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    s.text(c.nome)
        .text(c.endereco)
        .text(c.complemento)
        .text(c.bairro)
        .text(c.cidade)
        .text(c.cep)
        .text(c.telefone)
        .text(c.documento)
        .run();
}

// Adds the professionals (the first an administrator) and a receptionist; returns the codes
// of the professionals.
std::vector<sqlite3_int64> writeUsers(Database& db, const Size& size, Summary& summary) {
    Rng rng(seed + UsersStream);
    std::set<std::string> logins;
    {
        sqlite3_stmt* existing = nullptr;
        sqlite3_prepare_v2(db.handle(), "SELECT lower(nome) FROM Usuarios", -1, &existing, nullptr);
        while (sqlite3_step(existing) == SQLITE_ROW)
            logins.insert(reinterpret_cast<const char*>(sqlite3_column_text(existing, 0)));
        sqlite3_finalize(existing);
    }
    Statement insert(db, "INSERT INTO Usuarios (nome, senha, nivel, medico, crm, endereco, "
                         "bairro, cidade, cep, telefone, email, cpf, rg) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    std::vector<sqlite3_int64> professionals;
    for (int i = 0; i <= size.professionals; ++i) {
        const bool professional = i < size.professionals;
        const User u = makeUser(rng, professional, logins);
        const sqlite3_int64 code = insert.text(u.login)
                                       .text(userPassword)
                                       .integer(i == 0 ? 1 : 0)
                                       .text(u.medico)
                                       .text(u.crm)
                                       .text(u.address.street)
                                       .text(u.address.district)
                                       .text(u.address.city)
                                       .text(u.address.cep)
                                       .text(u.telefone)
                                       .text(u.email)
                                       .text(u.cpf)
                                       .text(u.rg)
                                       .run();
        if (professional)
            professionals.push_back(code);
        summary.logins << QString::fromStdString(u.login);
    }
    return professionals;
}

struct PatientFacts {
    sqlite3_int64 code;
    int birth; // Julian day
    bool female;
};

std::vector<PatientFacts> writePatients(Database& db, const Size& size, const Calendar& calendar,
                                        std::vector<QString>* names, const Progress& progress) {
    Rng rng(seed + PatientsStream);
    Statement insert(db, "INSERT INTO Pacientes (nome, plano, rua, bairro, cidade, cep, tel, "
                         "cpf, identidade, mae, pai, nascimento) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    std::vector<PatientFacts> facts;
    facts.reserve(size_t(size.patients));
    for (std::int64_t k = 1; k <= size.patients; ++k) {
        // Born before the first consultation, which happens when the patient falls due.
        const std::int64_t first = std::max<std::int64_t>(
            0, (k * size.consultations + size.patients - 1) / size.patients - 1);
        const QDate firstVisit = calendar.days[size_t(
            calendar.dayOf(std::min<std::int64_t>(first, size.consultations - 1)))];
        const Patient p = makePatient(rng, firstVisit);
        const sqlite3_int64 code = insert.text(p.nome)
                                       .text(p.plano)
                                       .text(p.address.street)
                                       .text(p.address.district)
                                       .text(p.address.city)
                                       .text(p.address.cep)
                                       .text(p.tel)
                                       .text(p.cpf)
                                       .text(p.identidade)
                                       .text(p.mae)
                                       .text(p.pai)
                                       .text(p.nascimento)
                                       .run();
        facts.push_back({code, int(p.birth.toJulianDay()), p.female});
        if (names)
            names->push_back(QString::fromStdString(p.nome));
        if (progress && k % 100000 == 0)
            progress(QStringLiteral("Pacientes: %1 de %2").arg(k).arg(size.patients));
    }
    return facts;
}

int ageOn(QDate day, int birthJulian) {
    const QDate birth = QDate::fromJulianDay(birthJulian);
    int age = day.year() - birth.year();
    if (day.month() < birth.month() || (day.month() == birth.month() && day.day() < birth.day()))
        --age;
    return std::max(0, age);
}

// Files written so far, removed again when the run fails.
struct WrittenFiles {
    QStringList paths;
    bool keep = false;
    ~WrittenFiles() {
        if (!keep) {
            for (const QString& p : paths)
                QFile::remove(p);
        }
    }
};

struct ExamWriter {
    Statement insert;
    Rng rng{seed + ExamsStream};
    QString folder; // data folder + "/ex"
    int number;     // the last exam number used
    bool files;
    const std::vector<QString>* names;
    WrittenFiles& written;

    void write(sqlite3_int64 consultation, sqlite3_int64 patientCode, std::size_t patientIndex,
               QDate day) {
        const Exam e = makeExam(rng);
        const QString path =
            platform::joinPath(folder, QString::number(++number) + QLatin1String(e.extension));
        if (files) {
            if (QFileInfo::exists(path))
                throw failure(
                    QStringLiteral("O arquivo %1 já existe; nada foi alterado.").arg(path));
            const QByteArray bytes = drawExam(
                {e.kind, QString::fromUtf8(e.nome), names->at(patientIndex),
                 QString::fromStdString(dayText(day)), QString::fromStdString(e.descricao)});
            QFile file(path);
            if (!file.open(QIODevice::NewOnly) || file.write(bytes) != bytes.size())
                throw failure(
                    QStringLiteral("Não foi possível gravar %1: %2").arg(path, file.errorString()));
            written.paths << path;
        }
        insert.text(std::string(e.nome))
            .text(e.descricao)
            .text(path)
            .integer(consultation)
            .integer(patientCode)
            .run();
    }
};

void writeConsultations(Database& db, const Size& size, const Calendar& calendar,
                        const std::vector<sqlite3_int64>& professionals,
                        const std::vector<PatientFacts>& patients, ExamWriter& exams,
                        const Progress& progress) {
    Rng rng(seed + VisitsStream);
    Statement insert(db, "INSERT INTO Consultas (Data, Hora, Cod_med, Cod_pac, Prontuario, "
                         "Anamnese) VALUES (?, ?, ?, ?, ?, ?)");
    const int professionalCount = int(professionals.size());
    ConsultationText text;
    std::int64_t seen = 0; // patients who have had their first consultation
    std::int64_t examsMade = 0;
    constexpr int examPlaces = 3;
    int day = -1;
    int slotMinutes = 30;
    int firstSlot = 0;
    std::string dayIso;
    for (std::int64_t i = 0; i < size.consultations; ++i) {
        const int d = calendar.dayOf(i);
        const std::int64_t ordinal = i - calendar.firstOn(d);
        if (d != day) {
            // Each professional sees their share of the day's patients in equal slots between
            // 08:00 and 18:00, starting at a random slot on quiet days.
            day = d;
            const std::int64_t count = calendar.firstOn(d + 1) - calendar.firstOn(d);
            const int perProfessional = int((count + professionalCount - 1) / professionalCount);
            slotMinutes = std::clamp(600 / std::max(1, perProfessional) / 5 * 5, 5, 30);
            firstSlot = rng.below(std::max(1, 600 / slotMinutes - perProfessional + 1));
            const QDate date = calendar.days[size_t(d)];
            dayIso = date.toString(Qt::ISODate).toStdString();
        }
        const int professional = int((ordinal + d) % professionalCount);
        const int slot = firstSlot + int(ordinal / professionalCount);
        // The time the professional opened the consultation: a few minutes into the slot.
        const int minutes = std::min(
            8 * 60 + slot * slotMinutes + rng.below(std::min(5, slotMinutes)), 23 * 60 + 59);
        char hora[16];
        std::snprintf(hora, sizeof hora, "%02d:%02d", minutes / 60, minutes % 60);

        std::size_t patient;
        if (seen == 0 || (patientsDue(i, size) > seen && seen < size.patients)) {
            patient = size_t(seen++);
        } else if (rng.percent(50)) {
            patient = size_t(rng.below(std::uint64_t(seen)));
        } else {
            // Recent patients come back for their follow-up.
            const std::int64_t window = std::max<std::int64_t>(10, seen / 20);
            const std::int64_t low = std::max<std::int64_t>(0, seen - window);
            patient = size_t(low + std::int64_t(rng.below(std::uint64_t(seen - low))));
        }
        const PatientFacts& who = patients[patient];
        const QDate date = calendar.days[size_t(d)];
        writeConsultation(rng, {who.female, ageOn(date, who.birth)}, text);
        const sqlite3_int64 numero = insert.text(dayIso)
                                         .text(std::string(hora))
                                         .integer(professionals[size_t(professional)])
                                         .integer(who.code)
                                         .text(text.prontuario)
                                         .text(text.anamnese)
                                         .run();
        // Each consultation has room for up to three exams; exactly size.exams of all the
        // places are taken, each with the same chance (selection sampling).
        for (int place = 0; place < examPlaces; ++place) {
            const std::int64_t placesLeft = (size.consultations - i) * examPlaces - place;
            if (std::int64_t(rng.below(std::uint64_t(placesLeft))) < size.exams - examsMade) {
                exams.write(numero, who.code, patient, date);
                ++examsMade;
            }
        }
        if (progress && (i + 1) % (size.consultations / 10 > 0 ? size.consultations / 10 : 1) == 0)
            progress(QStringLiteral("Consultas: %1 de %2").arg(i + 1).arg(size.consultations));
    }
}

} // namespace

std::optional<Scale> parseScale(const QString& name) {
    for (Scale s : {Scale::Demo, Scale::Clinic10y, Scale::Stress}) {
        if (scaleName(s) == name)
            return s;
    }
    return std::nullopt;
}

QString scaleName(Scale scale) {
    switch (scale) {
    case Scale::Demo:
        return QStringLiteral("demo");
    case Scale::Clinic10y:
        return QStringLiteral("clinic10y");
    case Scale::Stress:
        return QStringLiteral("stress");
    }
    return {};
}

Size sizeOf(Scale scale) {
    switch (scale) {
    case Scale::Demo:
        return {3, 200, 1600, 16, true};
    case Scale::Clinic10y:
        return {5, 30000, 250000, 60000, false};
    case Scale::Stress:
        return {25, 300000, 2500000, 600000, false};
    }
    return {};
}

Summary fillDataFolder(Scale scale, const QString& dataFolder, const Progress& progress) {
    const QString folder = QDir(dataFolder).absolutePath();
    checkPrepared(folder);
    const QString counterFile = platform::joinPath(folder, "cont.cfg");
    const int counter = toInteger(platform::readFirstLine(counterFile));

    Summary summary;
    summary.size = sizeOf(scale);
    summary.password = userPassword;
    const Size& size = summary.size;

    Database db(platform::joinPath(folder, "med.mdb"));
    checkEmpty(db, folder);
    // One transaction with a rollback journal: the pages of a fresh database need no journal,
    // so the rows are written once, not once to the write-ahead log and again to the file.
    const QString mode = db.text("PRAGMA journal_mode");
    db.exec("PRAGMA journal_mode=DELETE");
    db.exec("PRAGMA synchronous=OFF");
    db.exec("PRAGMA cache_size=-131072");
    WrittenFiles written;
    const bool wal = mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    db.exec("BEGIN IMMEDIATE");
    try {
        writeClinic(db);
        const auto professionals = writeUsers(db, size, summary);
        const Calendar calendar(size.consultations);
        std::vector<QString> names;
        const auto patients =
            writePatients(db, size, calendar, size.examFiles ? &names : nullptr, progress);
        ExamWriter exams{Statement(db, "INSERT INTO Exames (nome, descricao, arquivo, cod_pront, "
                                       "cod_paciente) VALUES (?, ?, ?, ?, ?)"),
                         Rng(seed + ExamsStream),
                         platform::joinPath(folder, "ex"),
                         counter,
                         size.examFiles,
                         &names,
                         written};
        writeConsultations(db, size, calendar, professionals, patients, exams, progress);
        summary.lastExam = exams.number;
        db.exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        if (wal)
            sqlite3_exec(db.handle(), "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        throw;
    }
    written.keep = true;
    if (wal)
        db.exec("PRAGMA journal_mode=WAL");
    platform::writeLine(counterFile, QString::number(summary.lastExam));
    return summary;
}

} // namespace corvalen::generator
