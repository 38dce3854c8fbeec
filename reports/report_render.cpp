#include "reports/report_render.h"

#include "platform/error.h"

#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace corvalen::reports {

void paintPage(QPainter& painter, const LaidReport& report, int index) {
    if (index < 0 || index >= int(report.pages.size()))
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Texts are drawn in the fonts' own unit, hundredths of a millimetre.
    painter.scale(1 / fontUnitsPerMm, 1 / fontUnitsPerMm);
    painter.setPen(Qt::black);
    const auto units = [](const QRectF& r) {
        return QRectF(r.topLeft() * fontUnitsPerMm, r.size() * fontUnitsPerMm);
    };
    for (const LaidBand& band : report.pages[size_t(index)].bands) {
        for (const LaidItem& item : band.items) {
            if (item.picture >= 0) {
                painter.drawImage(units(item.rect), report.pictures[size_t(item.picture)]);
                continue;
            }
            // Printables are opaque: a later one covers what an earlier one left under it.
            painter.fillRect(units(item.rect), Qt::white);
            if (item.text.isEmpty())
                continue;
            const ReportFont& font = report.fonts[size_t(item.font)];
            painter.setFont(font.font);
            double baseline = item.rect.top() + font.ascent;
            for (const QString& line : item.text.split(QLatin1Char('\n'))) {
                painter.drawText(QPointF(item.rect.left(), baseline) * fontUnitsPerMm, line);
                baseline += font.lineSpacing;
            }
        }
    }
    painter.restore();
}

QImage pageImage(const LaidReport& report, int index, double dotsPerMm) {
    QImage image(
        QSize(int(report.paper.width() * dotsPerMm), int(report.paper.height() * dotsPerMm)),
        QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(int(dotsPerMm * 1000));
    image.setDotsPerMeterY(int(dotsPerMm * 1000));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(dotsPerMm, dotsPerMm);
    paintPage(painter, report, index);
    return image;
}

bool paintPages(QPagedPaintDevice& device, const LaidReport& report, int first, int last,
                const std::function<bool(int done)>& progress) {
    device.setPageSize(QPageSize(report.paper, QPageSize::Millimeter));
    device.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.scale(device.logicalDpiX() / 25.4, device.logicalDpiY() / 25.4);
    for (int index = first; index <= last; ++index) {
        if (progress && !progress(index - first)) {
            painter.end();
            return false;
        }
        if (index > first)
            device.newPage();
        paintPage(painter, report, index);
    }
    return painter.end();
}

bool writePdf(const LaidReport& report, const QString& path,
              const std::function<bool(int done)>& progress) {
    const auto cannotCreate = [&path](const QString& reason) {
        return fileError(QStringLiteral("EFCreateError"),
                         QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw cannotCreate(file.errorString());
    bool stopped = false;
    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(1200);
        writer.setTitle(report.name);
        writer.setCreator(QStringLiteral("Corvalen"));
        painted = paintPages(writer, report, 0, int(report.pages.size()) - 1, [&](int done) {
            stopped = progress && !progress(done);
            return !stopped;
        });
    }
    if (stopped) {
        file.cancelWriting();
        return false;
    }
    if (!painted || !file.commit())
        throw cannotCreate(file.errorString());
    return true;
}

} // namespace corvalen::reports
