#pragma once
// A small clinic for the report tests, on a prepared data folder: 23 patients (accented names,
// a very long one, names outside Latin-1), 25 users besides the administrator, five
// consultations around 05/03/2024 (one of them of a patient since removed), the clinic's
// letterhead and a logo named by logo.cfg. The clock stands at 05/03/2024 14:35.

#include "db/dm2.h"
#include "platform/clock.h"
#include "platform/textfile.h"
#include "tests/support/fixture.h"

#include <QImage>
#include <QPainter>

namespace corvalen::test {

struct ReportClinic {
    MessageRecorder recorder;
    DataFolder folder;

    ReportClinic() {
        platform::setClockForTests([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 35)); });
        folder.exec(QStringLiteral(
            "insert into Pacientes (inscricao, nome, rua, bairro, cidade, cep, tel) values "
            "(1, 'Ana Souza', 'Rua das Flores, 10', 'Centro', 'Campinas - SP', '13010-000', "
            "'(19) 3232-0001'), "
            "(2, 'Álvaro Mendes', 'Av. Brasil, 200', 'Jardim Chapadão', 'Campinas - SP', "
            "'13070-000', '(19) 3232-0002'), "
            "(3, 'Bruno Lima', 'Rua Sete, 7', 'Cambuí', 'Campinas - SP', '13024-000', "
            "'(19) 99999-0003'), "
            "(4, 'Carla Dias', 'Rua Um, 1', 'Taquaral', 'Campinas - SP', '13087-000', null), "
            "(5, 'Maria da Conceição Aparecida dos Santos Albuquerque de Vasconcelos Cavalcanti', "
            "'Rua Dois, 2', 'Botafogo', 'Campinas - SP', '13020-000', '(19) 3232-0005'), "
            "(6, 'Nguyễn Thị Hương', 'Rua Três, 3', 'Centro', 'Valinhos - SP', '13270-000', "
            "'(19) 3871-0006'), "
            "(7, 'Дмитрий Соколов', 'Rua Quatro, 4', 'Centro', 'Vinhedo - SP', '13280-000', "
            "'(19) 3876-0007')"));
        QStringList patients;
        for (int i = 8; i <= 23; ++i)
            patients << QStringLiteral("(%1, 'Paciente %2', 'Rua %2, %1', 'Bairro %2', "
                                       "'Cidade %2', '13%3-000', '(19) 3000-%3')")
                            .arg(i)
                            .arg(QChar('A' + i - 8))
                            .arg(i, 3, 10, QLatin1Char('0'));
        folder.exec(QStringLiteral("insert into Pacientes (inscricao, nome, rua, bairro, cidade, "
                                   "cep, tel) values ") +
                    patients.join(QStringLiteral(", ")));
        QStringList users;
        for (int i = 2; i <= 26; ++i)
            users << QStringLiteral("(%1, 'login%1', 'x', 0, 'Dra. Profissional %1', "
                                    "'(19) 3232-1%1', 'prof%1@clinica.com.br')")
                         .arg(i, 2, 10, QLatin1Char('0'));
        folder.exec(QStringLiteral("insert into Usuarios (cod, nome, senha, nivel, medico, "
                                   "telefone, email) values ") +
                    users.join(QStringLiteral(", ")));
        folder.exec(QStringLiteral(
            "insert into Consultas (Numero, Data, Hora, Cod_med, Cod_pac, Prontuario) values "
            "(1, '2024-03-01', '08:15', 2, 1, 'Dipirona 500 mg' || char(13, 10) || "
            "'1 comprimido de 6 em 6 horas'), "
            "(2, '2024-03-04', '09:00', 3, 2, 'Repouso'), "
            "(3, '2024-03-05', '10:30', 2, 3, ''), "
            "(4, '2024-03-06', '11:45', 2, 4, 'Retorno em 30 dias'), "
            "(5, '2024-03-05', '14:00', 2, 999, 'Paciente removido')"));
        folder.exec(
            QStringLiteral("update Clinica set nome = 'Clínica Médica São Lucas', "
                           "endereco = 'Rua Barão de Jaguara, 1481', complemento = 'Conjunto 52', "
                           "telefone = '(19) 3232-4455', cidade = 'Campinas - SP'"));
        QImage logo(120, 100, QImage::Format_RGB32);
        logo.fill(Qt::white);
        QPainter(&logo).fillRect(20, 20, 80, 60, Qt::darkGreen);
        logo.save(folder.file(QStringLiteral("logo.bmp")));
        platform::writeLine(folder.file(QStringLiteral("logo.cfg")),
                            folder.file(QStringLiteral("logo.bmp")));
        folder.openDataModule();
    }
    ~ReportClinic() { platform::setClockForTests({}); }

    // Replaces consultation `number`'s prescription.
    void setPrescription(int number, const QString& text) {
        QString quoted = text;
        quoted.replace(QLatin1Char('\''), QLatin1String("''"));
        folder.exec(QStringLiteral("update Consultas set Prontuario = '%1' where Numero = %2")
                        .arg(quoted)
                        .arg(number));
    }
};

} // namespace corvalen::test
