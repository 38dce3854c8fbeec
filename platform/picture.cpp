#include "platform/picture.h"

#include "platform/error.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>

namespace corvalen::platform {

namespace {

Error cannotOpen(const QString& path, const QString& reason) {
    return Error("EFOpenError", QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason));
}

QImage renderSvg(const QByteArray& svg, const QString& path) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        throw cannotOpen(path, QStringLiteral("Metafile is not valid"));
    QSize size = renderer.defaultSize();
    if (size.isEmpty())
        size = QSize(256, 256);
    // Very large metafile frames are scaled down: the picture boxes stretch them anyway.
    size = size.boundedTo(QSize(4096, 4096));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

QImage loadEmf(QByteArray bytes, const QString& path) {
    generatorOptions options{};
    options.nameSpace = const_cast<char*>("");
    options.svgDelimiter = true;
    options.emfplus = true;
    char* out = nullptr;
    size_t length = 0;
    const int ok = emf2svg(bytes.data(), size_t(bytes.size()), &out, &length, &options);
    const QByteArray svg(out ? out : "", out ? qsizetype(length) : 0);
    free(out);
    if (!ok || svg.isEmpty())
        throw cannotOpen(path, QStringLiteral("Metafile is not valid"));
    return renderSvg(svg, path);
}

QImage loadWmf(QByteArray bytes, const QString& path) {
    wmfAPI* api = nullptr;
    wmfAPI_Options options{};
    options.function = wmf_svg_function;
    if (wmf_api_create(&api, WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL, &options) != wmf_E_None) {
        if (api)
            wmf_api_destroy(api);
        throw cannotOpen(path, QStringLiteral("Metafile is not valid"));
    }
    QByteArray svg;
    bool ok = wmf_mem_open(api, reinterpret_cast<unsigned char*>(bytes.data()),
                           long(bytes.size())) == wmf_E_None;
    wmfD_Rect bbox{};
    ok = ok && wmf_scan(api, 0, &bbox) == wmf_E_None;
    unsigned int width = 0;
    unsigned int height = 0;
    ok = ok && wmf_display_size(api, &width, &height, 72, 72) == wmf_E_None;
    if (ok) {
        wmf_svg_t* device = WMF_SVG_GetData(api);
        device->out = wmf_stream_create(api, nullptr);
        device->Description = const_cast<char*>("");
        device->bbox = bbox;
        device->width = width;
        device->height = height;
        ok = wmf_play(api, 0, &bbox) == wmf_E_None;
        char* buffer = nullptr;
        unsigned long length = 0;
        wmf_stream_destroy(api, device->out, &buffer, &length);
        if (buffer) {
            svg = QByteArray(buffer, qsizetype(length));
            wmf_free(api, buffer);
        }
    }
    wmf_api_destroy(api);
    if (!ok || svg.isEmpty())
        throw cannotOpen(path, QStringLiteral("Metafile is not valid"));
    return renderSvg(svg, path);
}

QImage loadRaster(const QString& path, const QByteArray& format) {
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(false);
    QImage image = reader.read();
    if (image.isNull())
        throw cannotOpen(path, QStringLiteral("Invalid image data (%1)").arg(reader.errorString()));
    return image;
}

} // namespace

QImage loadPicture(const QString& path) {
    const QString extension = QFileInfo(path).suffix();
    const QString lower = extension.toLower();
    const bool known = lower == "jpg" || lower == "jpeg" || lower == "bmp" || lower == "ico" ||
                       lower == "emf" || lower == "wmf";
    if (!known)
        throw Error("EInvalidGraphic",
                    QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw cannotOpen(path, file.exists() ? QStringLiteral("Access is denied")
                                             : QStringLiteral("The system cannot find the file "
                                                              "specified"));
    if (lower == "emf")
        return loadEmf(file.readAll(), path);
    if (lower == "wmf")
        return loadWmf(file.readAll(), path);
    file.close();
    return loadRaster(path,
                      lower == "jpg" || lower == "jpeg" ? QByteArray("jpeg") : lower.toLatin1());
}

QString pictureFilter() {
    return QStringLiteral("All (*.jpg *.jpeg *.bmp *.ico *.emf *.wmf);;JPEG Image File (*.jpg);;"
                          "JPEG Image File (*.jpeg);;Bitmaps (*.bmp);;Icons (*.ico);;"
                          "Enhanced Metafiles (*.emf);;Metafiles (*.wmf)");
}

} // namespace corvalen::platform
