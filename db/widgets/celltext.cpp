#include "db/widgets/celltext.h"

#include <QFontMetrics>
#include <QPainter>

namespace corvalen {

namespace {

// A visible page of a grid holds about a hundred texts; this keeps many pages, a few
// hundred kilobytes, and is emptied when full.
constexpr qsizetype maxTexts = 4096;
constexpr std::size_t maxFonts = 8;

// Texts whose glyphs a cached layout places exactly as QPainter does: no control characters
// (a layout would break lines at them), no combining marks, no scripts beyond the Latin
// blocks.
bool plainLatin(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0) || u >= 0x0300)
            return false;
    }
    return true;
}

} // namespace

CellTextCache::PerFont& CellTextCache::forFont(const QFont& font) {
    for (PerFont& f : fonts_)
        if (f.font == font)
            return f;
    if (fonts_.size() >= maxFonts)
        fonts_.clear();
    fonts_.push_back({font, QFontMetrics(font).ascent(), {}});
    return fonts_.back();
}

void CellTextCache::draw(QPainter& painter, const QPoint& topLeft, const QString& text) {
    if (text.isEmpty())
        return;
    PerFont& f = forFont(painter.font());
    if (!plainLatin(text)) {
        painter.drawText(QPoint(topLeft.x(), topLeft.y() + f.ascent), text);
        return;
    }
    auto it = f.texts.find(text);
    if (it == f.texts.end()) {
        if (f.texts.size() >= maxTexts)
            f.texts.clear();
        f.texts.insert(text, std::nullopt);
        painter.drawText(QPoint(topLeft.x(), topLeft.y() + f.ascent), text);
        return;
    }
    if (!it->has_value()) {
        QStaticText& laid = it->emplace(text);
        laid.setTextFormat(Qt::PlainText);
        laid.prepare(QTransform(), f.font);
    }
    painter.drawStaticText(topLeft, **it);
}

} // namespace corvalen
