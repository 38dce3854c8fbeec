#include "metafile/metafile.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cstdlib>
#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/ipa.h>
#include <libwmf/svg.h>

namespace corvalen::metafile {

namespace {

// ---- EMF -------------------------------------------------------------------------------------

QByteArray emfToSvg(QByteArray bytes, QString* error) {
    generatorOptions options{};
    options.nameSpace = const_cast<char*>("");
    options.svgDelimiter = true;
    options.emfplus = true;
    char* out = nullptr;
    size_t length = 0;
    const int ok = emf2svg(bytes.data(), size_t(bytes.size()), &out, &length, &options);
    QByteArray svg(out ? out : "", out ? qsizetype(length) : 0);
    free(out);
    if (!ok || svg.isEmpty()) {
        *error = QStringLiteral("Metafile is not valid");
        return {};
    }
    return svg;
}

// ---- WMF -------------------------------------------------------------------------------------

// libwmf's SVG layer writes each text as the metafile holds it: bytes of the Windows code page,
// markup characters unescaped. Its text drawer is wrapped so that the text reaches the document
// as UTF-8 with "&", "<" and ">" escaped, and without the control characters XML forbids.
struct TextDrawer {
    void (*original)(wmfAPI*, wmfDrawText_t*) = nullptr;
};

// Windows-1252 is Latin-1 but for 0x80 to 0x9F, which hold typographic marks; the five codes
// it leaves undefined stay as they are.
QChar fromWindows1252(uchar byte) {
    static constexpr char16_t marks[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return byte >= 0x80 && byte < 0xA0 ? QChar(marks[byte - 0x80]) : QChar(byte);
}

QByteArray xmlText(const char* windowsText) {
    QString escaped;
    for (const char* byte = windowsText; *byte; ++byte) {
        const QChar c = fromWindows1252(uchar(*byte));
        if (c == u'&')
            escaped += QStringLiteral("&amp;");
        else if (c == u'<')
            escaped += QStringLiteral("&lt;");
        else if (c == u'>')
            escaped += QStringLiteral("&gt;");
        else if (c.unicode() >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r')
            escaped += c;
    }
    return escaped.toUtf8();
}

void drawText(wmfAPI* api, wmfDrawText_t* drawText) {
    auto* drawer = static_cast<TextDrawer*>(api->user_data);
    char* const original = drawText->str;
    QByteArray text = xmlText(original ? original : "");
    drawText->str = text.data();
    drawer->original(api, drawText);
    drawText->str = original;
}

QString wmfReason(wmf_error_t error) {
    switch (error) {
    case wmf_E_InsMem:
        return QStringLiteral("Metafile needs more memory than is available");
    case wmf_E_EOF:
        return QStringLiteral("Metafile is truncated");
    default:
        return QStringLiteral("Metafile is not valid");
    }
}

QByteArray wmfToSvg(QByteArray bytes, QString* error) {
    wmfAPI* api = nullptr;
    wmfAPI_Options options{};
    options.function = wmf_svg_function;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    wmf_error_t status = wmf_api_create(&api, flags, &options);
    if (status != wmf_E_None) {
        if (api)
            wmf_api_destroy(api);
        *error = wmfReason(status);
        return {};
    }
    TextDrawer drawer;
    auto* functions = static_cast<wmfFunctionReference*>(api->function_reference);
    drawer.original = functions->draw_text;
    functions->draw_text = drawText;
    api->user_data = &drawer;

    QByteArray svg;
    status = wmf_mem_open(api, reinterpret_cast<unsigned char*>(bytes.data()), long(bytes.size()));
    wmfD_Rect bbox{};
    if (status == wmf_E_None)
        status = wmf_scan(api, 0, &bbox);
    // The scan measures what the records draw: nothing at all leaves an empty box.
    const bool empty = status == wmf_E_None && (bbox.BR.x <= bbox.TL.x || bbox.BR.y <= bbox.TL.y);
    if (empty)
        status = wmf_E_Assert;
    unsigned int width = 0;
    unsigned int height = 0;
    if (status == wmf_E_None)
        status = wmf_display_size(api, &width, &height, 72, 72);
    if (status == wmf_E_None) {
        wmf_svg_t* device = WMF_SVG_GetData(api);
        device->out = wmf_stream_create(api, nullptr);
        device->Description = const_cast<char*>("");
        device->bbox = bbox;
        device->width = width;
        device->height = height;
        status = wmf_play(api, 0, &bbox);
        char* buffer = nullptr;
        unsigned long length = 0;
        wmf_stream_destroy(api, device->out, &buffer, &length);
        if (buffer) {
            svg = QByteArray(buffer, qsizetype(length));
            wmf_free(api, buffer);
        }
    }
    api->user_data = nullptr;
    wmf_api_destroy(api);
    if (status != wmf_E_None || svg.isEmpty()) {
        *error = empty ? QStringLiteral("Metafile contains no drawing") : wmfReason(status);
        return {};
    }
    // The texts are UTF-8 now: say so in the declaration.
    const QByteArray declaration = "<?xml version=\"1.0\" standalone=\"no\"?>";
    if (svg.startsWith(declaration))
        svg.replace(0, declaration.size(),
                    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>");
    return svg;
}

// Whether anything was painted on a transparent image.
bool anythingDrawn(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] != 0)
                return true;
    }
    return false;
}

} // namespace

QByteArray toSvg(Kind kind, const QByteArray& bytes, QString* error) {
    return kind == Kind::Emf ? emfToSvg(bytes, error) : wmfToSvg(bytes, error);
}

QImage render(const QByteArray& svg, QString* error) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        *error = QStringLiteral("Metafile is not valid");
        return {};
    }
    QSize size = renderer.defaultSize();
    if (size.isEmpty())
        size = QSize(256, 256);
    // Very large frames are scaled down, keeping their proportions: the picture boxes show
    // them at most screen-sized anyway.
    if (size.width() > maximumSide || size.height() > maximumSide)
        size = size.scaled(maximumSide, maximumSide, Qt::KeepAspectRatio).expandedTo({1, 1});

    QImage drawing(size, QImage::Format_ARGB32_Premultiplied);
    drawing.fill(Qt::transparent);
    {
        QPainter painter(&drawing);
        renderer.render(&painter);
    }
    if (!anythingDrawn(drawing)) {
        *error = QStringLiteral("Metafile contains no drawing");
        return {};
    }
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawImage(0, 0, drawing);
    return picture;
}

} // namespace corvalen::metafile
