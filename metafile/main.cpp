// corvalen-metafile: decodes one metafile in a process of its own, so that a file that crashes
// or hangs the parsers costs the program an error message, not its life.

#include "metafile/metafile.h"
#include "metafile/protocol.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

using namespace corvalen::metafile;

namespace {

int fail(const QString& reason) {
    std::fprintf(stderr, "%s\n", reason.toUtf8().constData());
    return 1;
}

void ignoreQtMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

// Texts in Tahoma, the usual face of Windows charts, are drawn with the metric clone the
// program's windows use (Debian's fonts-wine keeps it outside fontconfig's folders). Only for
// documents with texts: the font database costs time to set up. Only the regular face, as in
// the program: the clone's bold face draws strokes of regular weight.
void addTahomaFor(const QByteArray& svg) {
    const QString regular = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    if (svg.contains("<text") && QFile::exists(regular))
        QFontDatabase::addApplicationFont(regular);
}

// Bounds the helper itself: it dies a little after the program has given up on it, even if
// the program is gone, and a crafted file cannot make it take all the machine's memory.
void limitResources() {
    alarm(unsigned(timeLimitMs / 1000 + 5));
#if !defined(__SANITIZE_ADDRESS__)
    const rlim_t memory = rlim_t(2) << 30;
    rlimit limit{memory, memory};
    setrlimit(RLIMIT_AS, &limit);
#endif
}

} // namespace

int main(int argc, char* argv[]) {
    limitResources();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (arguments.value(0) == QLatin1String("--test-crash"))
        std::abort();
    if (arguments.value(0) == QLatin1String("--test-hang"))
        for (;;)
            pause();
    if (arguments.size() != 2 ||
        (arguments[0] != QLatin1String("emf") && arguments[0] != QLatin1String("wmf"))) {
        std::fprintf(stderr, "usage: %s emf|wmf FILE\n", helperName);
        return 2;
    }

    // Text in metafiles needs fonts, hence a GUI application, on no screen at all.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(ignoreQtMessages);
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);

    QFile file(arguments[1]);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    if (file.size() > maximumInputBytes)
        return fail(QStringLiteral("Metafile is larger than %1 MB").arg(maximumInputBytes >> 20));
    const QByteArray bytes = file.readAll();

    QString error;
    const QByteArray svg =
        toSvg(arguments[0] == QLatin1String("emf") ? Kind::Emf : Kind::Wmf, bytes, &error);
    if (svg.isEmpty())
        return fail(error);
    addTahomaFor(svg);
    const QImage picture = render(svg, &error);
    if (picture.isNull())
        return fail(error);

    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || !picture.save(&out, "PPM"))
        return fail(QStringLiteral("The picture could not be passed back"));
    return 0;
}
