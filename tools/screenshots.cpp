// corvalen-screenshots OUT_FOLDER: renders every window of the program to a PNG named after its
// class (TForm1.png, TForm3.png, ...), offscreen, on the data folder that
// CORVALEN_COMMON_APPDATA names (a demo folder). For reviewing how the windows look.

#include "app/application.h"
#include "app/login.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "db/dm2.h"
#include "platform/messages.h"
#include "platform/sharing.h"
#include "tools/screenshot_windows.h"

#include <QDir>
#include <QTextStream>
#include <QTimer>

using namespace corvalen;

int main(int argc, char** argv) {
    platform::shareNewFilesWithGroup();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    QTextStream err(stderr);
    if (app.arguments().size() != 2) {
        err << "uso: corvalen-screenshots PASTA_DE_SAIDA\n";
        return 2;
    }
    const QDir out(app.arguments().at(1));
    QDir().mkpath(out.absolutePath());

    // Message boxes would block an unattended run: record them on standard error instead.
    messages::setHook([&err](const messages::Shown& shown) {
        err << "[" << shown.caption << "] " << shown.text << "\n";
        err.flush();
        return shown.buttons == messages::Buttons::YesNo ? messages::Answer::No
                                                         : messages::Answer::Cancel;
    });

    createWindows();
    // Every window reads the demo clinic: without its database there is nothing to render.
    if (!Dm2->ADOConnection1->connected()) {
        err << "sem banco de dados em " << Dm2->ADOConnection1->filePath()
            << " (defina CORVALEN_COMMON_APPDATA com a pasta de uma clínica de demonstração)\n";
        destroyWindows();
        return 1;
    }
    int written = 0;
    for (const auto& window : screenshotWindows()) {
        QWidget* w = window.create();
        if (!w)
            continue;
        w->show();
        for (int i = 0; i < 5; ++i)
            app.processEvents();
        if (window.prepare)
            window.prepare(w);
        for (int i = 0; i < 5; ++i)
            app.processEvents();
        const QString file = out.filePath(window.className + ".png");
        if (w->grab().save(file))
            ++written;
        else
            err << "não foi possível gravar " << file << "\n";
        w->hide();
        if (window.destroy)
            delete w;
    }
    destroyWindows();
    QTextStream(stdout) << written << " janelas gravadas em " << out.absolutePath() << "\n";
    return 0;
}
