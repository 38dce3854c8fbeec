// corvalen-generate SCALE DATA_FOLDER: fills a prepared data folder with a synthetic clinic.

#include "platform/error.h"
#include "platform/sharing.h"
#include "tools/generate.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    corvalen::platform::shareNewFilesWithGroup();
    // The exam pictures are drawn off screen; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    const auto scale =
        args.size() == 3 ? corvalen::generator::parseScale(args.at(1)) : std::nullopt;
    if (!scale) {
        err << "uso: corvalen-generate demo|clinic10y|stress PASTA_DE_DADOS\n";
        return 2;
    }
    const QString folder = QDir(args.at(2)).absolutePath();
    QElapsedTimer timer;
    timer.start();
    try {
        const auto summary = corvalen::generator::fillDataFolder(
            *scale, folder, [&](const QString& text) { err << text << Qt::endl; });
        const auto& size = summary.size;
        out << "Clínica sintética \"" << args.at(1) << "\" gerada em " << folder << " ("
            << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s): " << size.patients
            << " pacientes, " << size.consultations << " consultas, " << size.exams << " exames, "
            << size.professionals << " profissionais.\n"
            << "Usuários criados (senha \"" << summary.password
            << "\"): " << summary.logins.join(", ") << "\n";
    } catch (const corvalen::Error& e) {
        err << "corvalen-generate: " << e.message() << "\n";
        return 1;
    }
    return 0;
}
