#pragma once
// Test support for the reports: the laid-out pages as plain text (page, column, band kind,
// top, and each item's rectangle, font and text), and a watcher that takes each preview
// window the code under test opens, keeps its pages and closes it, as a user reading it would.

#include "reports/report_preview.h"

#include <QApplication>
#include <QTextStream>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace corvalen::test {

inline QString bandKindName(reports::BandKind kind) {
    using reports::BandKind;
    switch (kind) {
    case BandKind::PageHeader:
        return QStringLiteral("page-header");
    case BandKind::Title:
        return QStringLiteral("title");
    case BandKind::ColumnHeader:
        return QStringLiteral("column-header");
    case BandKind::Detail:
        return QStringLiteral("detail");
    case BandKind::SubDetail:
        return QStringLiteral("sub-detail");
    case BandKind::Summary:
        return QStringLiteral("summary");
    case BandKind::PageFooter:
        return QStringLiteral("page-footer");
    }
    return {};
}

inline QString mm(double value) {
    return QString::number(value, 'f', 2);
}

inline QString rectText(const QRectF& r) {
    return QStringLiteral("%1,%2 %3x%4")
        .arg(mm(r.left()), mm(r.top()), mm(r.width()), mm(r.height()));
}

inline QString reportText(const reports::LaidReport& report) {
    QString out;
    QTextStream s(&out);
    s << "report \"" << report.name << "\" paper " << mm(report.paper.width()) << "x"
      << mm(report.paper.height()) << " pages " << report.pages.size() << " detail-count "
      << report.detailCount << "\n";
    for (size_t p = 0; p < report.pages.size(); ++p) {
        s << "page " << p + 1 << "\n";
        for (const reports::LaidBand& band : report.pages[p].bands) {
            s << "  " << bandKindName(band.kind) << " column " << band.column << " at "
              << rectText(band.rect) << "\n";
            for (const reports::LaidItem& item : band.items) {
                s << "    " << rectText(item.rect);
                if (item.picture >= 0) {
                    const QImage& picture = report.pictures[size_t(item.picture)];
                    s << " picture " << picture.width() << "x" << picture.height() << "\n";
                    continue;
                }
                const reports::FontStyle& font = report.fonts[size_t(item.font)].style;
                QString text = item.text;
                text.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
                    .replace(QLatin1Char('\n'), QLatin1String("\\n"));
                s << " " << font.family << " " << font.points << (font.bold ? " bold" : "") << " \""
                  << text << "\"\n";
            }
        }
    }
    return out;
}

// Takes every preview window that opens while it lives: keeps a copy of its pages, runs `act`
// on it (when given), then closes it unless `act` already did.
class PreviewWatch {
public:
    explicit PreviewWatch(std::function<void(reports::PreviewWindow*)> act = {})
        : act_(std::move(act)) {
        // Previews open already belong to whoever opened them.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* preview = qobject_cast<reports::PreviewWindow*>(w))
                seen_ << preview;
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* preview = qobject_cast<reports::PreviewWindow*>(w);
                if (!preview || !preview->isVisible() || seen_.contains(preview))
                    continue;
                const QPointer<reports::PreviewWindow> window(preview);
                seen_ << window;
                reports.push_back(preview->report());
                if (act_)
                    act_(preview);
                if (window && window->isVisible())
                    window->close();
            }
        });
        timer_.start();
    }

    std::vector<reports::LaidReport> reports; // of every preview taken, in order

private:
    std::function<void(reports::PreviewWindow*)> act_;
    QList<QPointer<reports::PreviewWindow>> seen_;
    QTimer timer_;
};

// The texts of every item of a laid-out report, page by page, in order.
inline QStringList reportTexts(const reports::LaidReport& report) {
    QStringList texts;
    for (const reports::Page& page : report.pages)
        for (const reports::LaidBand& band : page.bands)
            for (const reports::LaidItem& item : band.items)
                if (item.picture < 0)
                    texts << item.text;
    return texts;
}

} // namespace corvalen::test
