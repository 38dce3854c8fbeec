// Renders an SVG picture to a JPEG file of the given size on a white background.
// Used at build time to make the default clinic logo, medicina.jpg.
//
// Usage: corvalen-make-logo INPUT.svg OUTPUT.jpg WIDTH HEIGHT

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool widthOk = false;
    bool heightOk = false;
    const int width = args.value(3).toInt(&widthOk);
    const int height = args.value(4).toInt(&heightOk);
    if (args.size() != 5 || !widthOk || !heightOk || width <= 0 || height <= 0) {
        std::fprintf(stderr, "usage: corvalen-make-logo INPUT.svg OUTPUT.jpg WIDTH HEIGHT\n");
        return 2;
    }
    QSvgRenderer renderer(args[1]);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "corvalen-make-logo: not a valid SVG file: %s\n", qPrintable(args[1]));
        return 1;
    }
    // JPEG has no transparency: paint on white so uncovered areas do not turn black.
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(args[2], "JPEG", 90)) {
        std::fprintf(stderr, "corvalen-make-logo: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
