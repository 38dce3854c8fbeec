#include "tools/generate_files.h"

#include "tools/generate_random.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QRadialGradient>
#include <cmath>

namespace corvalen::generator {

namespace {

void caption(QPainter& p, const ExamSheet& sheet, const QColor& color) {
    p.setPen(color);
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    p.drawText(QPointF(10, 18), sheet.patient);
    p.drawText(QPointF(10, 34), sheet.day);
}

void drawXRay(QPainter& p, const QSize& size, const ExamSheet& sheet) {
    p.fillRect(QRect(QPoint(), size), Qt::black);
    const QPointF centre(size.width() / 2.0, size.height() / 2.0 + 20);
    QRadialGradient body(centre, 260);
    body.setColorAt(0, QColor(150, 150, 150));
    body.setColorAt(1, QColor(40, 40, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawEllipse(centre, 215, 245);
    // Lungs, dark; the heart's shadow over the left one.
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(QPointF(centre.x() - 90, centre.y() - 20), 70, 150);
    p.drawEllipse(QPointF(centre.x() + 90, centre.y() - 20), 70, 150);
    p.setBrush(QColor(175, 175, 175, 200));
    p.drawEllipse(QPointF(centre.x() + 35, centre.y() + 70), 75, 60);
    // Spine and ribs.
    p.setBrush(QColor(200, 200, 200));
    for (int i = 0; i < 14; ++i)
        p.drawRoundedRect(QRectF(centre.x() - 14, 40 + i * 32, 28, 26), 5, 5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(210, 210, 210, 170), 6));
    for (int i = 0; i < 9; ++i) {
        const double y = centre.y() - 170 + i * 34;
        for (int side : {-1, 1}) {
            QPainterPath rib;
            rib.moveTo(centre.x() + side * 14, y);
            rib.cubicTo(centre.x() + side * 120, y - 30, centre.x() + side * 175, y + 10,
                        centre.x() + side * 150, y + 60);
            p.drawPath(rib);
        }
    }
    p.setPen(QPen(QColor(220, 220, 220), 9));
    p.drawLine(QPointF(centre.x() - 20, 70), QPointF(centre.x() - 170, 55));
    p.drawLine(QPointF(centre.x() + 20, 70), QPointF(centre.x() + 170, 55));
    caption(p, sheet, Qt::white);
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 16, QFont::Bold));
    p.drawText(QPointF(size.width() - 50, 30), QStringLiteral("PA"));
}

void drawElectrocardiogram(QPainter& p, const QSize& size, const ExamSheet& sheet) {
    p.fillRect(QRect(QPoint(), size), QColor(255, 244, 244));
    for (int x = 0; x < size.width(); x += 8) {
        p.setPen(QColor(255, 200, 200, x % 40 == 0 ? 255 : 120));
        p.drawLine(x, 0, x, size.height());
    }
    for (int y = 0; y < size.height(); y += 8) {
        p.setPen(QColor(255, 200, 200, y % 40 == 0 ? 255 : 120));
        p.drawLine(0, y, size.width(), y);
    }
    // Beats of P wave, QRS complex and T wave on a baseline.
    const double base = size.height() * 0.6;
    QPainterPath trace;
    trace.moveTo(0, base);
    for (double beat = 20; beat < size.width(); beat += 150) {
        trace.lineTo(beat, base);
        trace.quadTo(beat + 12, base - 14, beat + 24, base);
        trace.lineTo(beat + 40, base);
        trace.lineTo(beat + 45, base + 10);
        trace.lineTo(beat + 52, base - 110);
        trace.lineTo(beat + 59, base + 28);
        trace.lineTo(beat + 65, base);
        trace.lineTo(beat + 85, base);
        trace.quadTo(beat + 102, base - 34, beat + 120, base);
    }
    trace.lineTo(size.width(), base);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trace);
    caption(p, sheet, Qt::black);
    p.drawText(QPointF(size.width() - 190, 18), QStringLiteral("DII  25 mm/s  10 mm/mV"));
}

void drawUltrasound(QImage& image, const ExamSheet& sheet) {
    image.fill(Qt::black);
    // A fan of speckle, darker inside an oval structure.
    Rng rng(0x55u);
    const double cx = image.width() / 2.0;
    const double radius = image.height() - 40;
    for (int y = 30; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double dx = x - cx;
            const double dy = y - 30;
            const double r = std::sqrt(dx * dx + dy * dy);
            if (r > radius || std::abs(dx) > dy * 0.75)
                continue;
            const double ox = (x - cx - 30) / 70.0;
            const double oy = (y - 220) / 45.0;
            const bool inside = ox * ox + oy * oy < 1;
            const int level = int(rng.below(inside ? 40 : 170)) + (inside ? 0 : 30);
            line[x] = qRgb(level, level, level);
        }
    }
    QPainter p(&image);
    caption(p, sheet, Qt::white);
}

QByteArray drawReport(const ExamSheet& sheet) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(96);
        writer.setTitle(sheet.title);
        writer.setCreator(QStringLiteral("Laboratório Vida Diagnósticos"));
        QPainter p(&writer);
        const int width = writer.width();
        p.fillRect(QRect(0, 0, width, 70), QColor(0, 92, 140));
        p.setPen(Qt::white);
        // One face throughout: the writer lists the faces of a file in no fixed order.
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 16));
        p.drawText(QRect(20, 0, width - 40, 70), Qt::AlignVCenter,
                   QStringLiteral("Laboratório Vida Diagnósticos"));
        p.setPen(Qt::black);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        p.drawText(QPointF(20, 110), QStringLiteral("Paciente: ") + sheet.patient);
        p.drawText(QPointF(20, 130), QStringLiteral("Data da coleta: ") + sheet.day);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 13));
        p.drawText(QPointF(20, 175), sheet.title.toUpper());
        p.drawLine(20, 185, width - 20, 185);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        p.drawText(QRect(20, 200, width - 40, 300), Qt::TextWordWrap, sheet.result);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        p.drawText(QPointF(20, 560),
                   QStringLiteral("Responsável técnico: Dra. Helena Magalhães - CRBM 12.345"));
    }
    buffer.close();
    // The writer stamps the current time into the file; a fixed stamp of the same length
    // keeps the file the same from run to run (and the cross-reference offsets right).
    const QByteArray key("/CreationDate (D:");
    const qsizetype at = bytes.indexOf(key);
    if (at >= 0)
        bytes.replace(at + key.size(), 14, QByteArray("20150101000000"));
    return bytes;
}

} // namespace

QByteArray drawExam(const ExamSheet& sheet) {
    if (sheet.kind == ExamKind::Report)
        return drawReport(sheet);
    const QSize size =
        sheet.kind == ExamKind::Electrocardiogram ? QSize(800, 300) : QSize(512, 512);
    QImage image(size, QImage::Format_RGB32);
    if (sheet.kind == ExamKind::Ultrasound) {
        drawUltrasound(image, sheet);
    } else {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        if (sheet.kind == ExamKind::XRay)
            drawXRay(p, size, sheet);
        else
            drawElectrocardiogram(p, size, sheet);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 80);
    return bytes;
}

} // namespace corvalen::generator
