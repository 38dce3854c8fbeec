#pragma once
// Single-line texts drawn many times over, as in a grid repainted at each keystroke of a
// search: the shaped glyphs of texts drawn more than once are kept per font, so that drawing
// one again skips the text shaping that dominates drawing a short text. Keeping a text costs
// about twice as much as shaping it once, so a text is kept from its second drawing on.

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QString>
#include <optional>
#include <vector>

class QPainter;
class QPoint;

namespace corvalen {

class CellTextCache {
public:
    // Draws `text` in the painter's font and pen, its line's top-left corner at `topLeft`:
    // the same pixels as QPainter::drawText() at the baseline topLeft + (0, the font's
    // ascent). Texts with control characters, combining marks or letters beyond the Latin
    // blocks are drawn by QPainter directly.
    void draw(QPainter& painter, const QPoint& topLeft, const QString& text);

private:
    struct PerFont {
        QFont font;
        int ascent = 0;
        QHash<QString, std::optional<QStaticText>> texts; // empty: drawn once
    };
    PerFont& forFont(const QFont& font);

    std::vector<PerFont> fonts_;
};

} // namespace corvalen
