#pragma once
// The program's style: the desktop's own, with the frame of line edits kept as a picture when
// that style is Fusion. Fusion draws the frame's rounded outline and inner shadow antialiased,
// which costs more than the rest of a line edit; a search box repaints at every keystroke.

#include <QProxyStyle>

namespace corvalen {

class ProgramStyle : public QProxyStyle {
    Q_OBJECT
public:
    ProgramStyle(); // over the desktop's default style

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    bool keepsFrames_;
};

} // namespace corvalen
