#include "exams/magnifier.h"

#include "platform/messages.h"
#include "platform/screen.h"
#include "resources/icons.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <cmath>

namespace corvalen {

TForm15* Form15 = nullptr;

namespace {

// The screen area shown for cursor p in a picture of the given size at track bar position z:
// half sizes picture ÷ 4z rounded to the nearest integer (halves to the even neighbour), then
// moved onto the screen edge by edge (left, top, right, bottom) without changing its size.
QRect sourceArea(QPoint p, QSize picture, int z, const QRect& screen) {
    const int hx = int(std::nearbyint(picture.width() / (4.0 * z)));
    const int hy = int(std::nearbyint(picture.height() / (4.0 * z)));
    QRect area(p.x() - hx, p.y() - hy, 2 * hx, 2 * hy);
    if (area.left() < screen.left())
        area.moveLeft(screen.left());
    if (area.top() < screen.top())
        area.moveTop(screen.top());
    if (area.x() + area.width() > screen.x() + screen.width())
        area.moveLeft(screen.x() + screen.width() - area.width());
    if (area.y() + area.height() > screen.y() + screen.height())
        area.moveTop(screen.y() + screen.height() - area.height());
    return area;
}

} // namespace

TForm15::TForm15(QWidget* owner) : Form(owner) {
    setObjectName("Form15");
    setupForm(QStringLiteral("Zoom"), 304, 202, Border::Sizeable);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    applySizeLimits();

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setAccessibleName(QStringLiteral("Imagem ampliada"));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->hide();
    buildPanel();

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(25);

    connect(Timer1, &QTimer::timeout, this, command(&TForm15::Timer1Timer));
    connect(BitBtn1, &QPushButton::clicked, this, command(&TForm15::BitBtn1Click));
    FormResize();
}

void TForm15::buildPanel() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    Panel1->setAutoFillBackground(true);
    Panel1->setFixedSize(150, 150);

    GroupBox1 = new QGroupBox(QStringLiteral(" Zoom factor "), Panel1);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(8, 6, 134, 72);

    Slider = new QSlider(Qt::Horizontal, GroupBox1);
    Slider->setObjectName("Slider");
    Slider->setRange(1, 4);
    Slider->setPageStep(1);
    Slider->setSingleStep(1);
    Slider->setValue(1);
    Slider->setTickPosition(QSlider::TicksBelow);
    Slider->setTickInterval(1);
    Slider->setAccessibleName(QStringLiteral("Zoom factor"));
    Slider->setGeometry(10, 20, 114, 26);

    // One label under each position of the track bar, centred on the position's tick.
    const int handle = Slider->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, Slider);
    QFont labelFont = programFont();
    labelFont.setPixelSize(12);
    QLabel** labels[] = {&Label1, &Label2, &Label3, &Label4};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(QStringLiteral("%1 x").arg(2 * (i + 1)), GroupBox1);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setFont(labelFont);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        const int tick = Slider->x() + handle / 2 +
                         QStyle::sliderPositionFromValue(1, 4, i + 1, Slider->width() - handle);
        label->setGeometry(tick - 13, 48, 26, 16);
        *labels[i] = label;
    }

    cbSrediste = new QCheckBox(QStringLiteral("Mostrar Alvo"), Panel1);
    cbSrediste->setObjectName("cbSrediste");
    cbSrediste->setChecked(true);
    cbSrediste->setGeometry(14, 84, 124, 20);

    BitBtn1 = new QPushButton(resources::icon("close"), QStringLiteral("&Concluído"), Panel1);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(14, 110, 122, 30);
}

void TForm15::BitBtn1Click() {
    hide();
}

void TForm15::Timer1Timer() {
    platform::Screen& screen = platform::screen();
    if (screen.applicationMinimised())
        return;
    const QPoint p = screen.cursorPos();
    if (frameGeometry().contains(p)) {
        Panel1->show();
        Image1->hide();
        return;
    }
    Panel1->hide();
    Image1->show();

    const QSize size = Image1->size();
    const int z = Slider->value();
    const QRect area = sourceArea(p, size, z, screen.primaryGeometry());
    // Nearest-neighbour scaling: each screen pixel becomes a block of about 2z × 2z pixels.
    QImage picture = screen.grab(area)
                         .convertToFormat(QImage::Format_RGB32)
                         .scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (cbSrediste->isChecked()) {
        // The centre stays on the cursor's true position, also where the area was moved.
        const int cx = 2 * z * (p.x() - area.left());
        const int cy = 2 * z * (p.y() - area.top());
        const int armX = size.width() / 4;
        const int armY = size.height() / 4;
        QPainter painter(&picture);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawLine(cx - armX, cy, cx + armX, cy);
        painter.drawLine(cx, cy - armY, cx, cy + armY);
    }
    Image1->setPixmap(QPixmap::fromImage(picture));
}

void TForm15::FormResize() {
    Panel1->move(width() / 2 - Panel1->width() / 2, height() / 2 - Panel1->height() / 2);
    Image1->setGeometry(rect());
    // The next tick draws a picture of the new size.
    Image1->clear();
}

void TForm15::applySizeLimits() {
    // Qt limits the client area; the limits are of the outer size, frame included.
    const QSize frame = frameGeometry().size() - size();
    setMinimumSize(minimumOuterSize - frame);
    setMaximumSize(maximumOuterSize - frame);
}

void TForm15::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    if (!placed_) {
        placed_ = true;
        move(0, 0);
    }
    applySizeLimits();
    Timer1->start();
}

void TForm15::hideEvent(QHideEvent* event) {
    Form::hideEvent(event);
    Timer1->stop();
}

void TForm15::moveEvent(QMoveEvent* event) {
    Form::moveEvent(event);
    // A window manager reports the frame only once the window is mapped.
    applySizeLimits();
}

void TForm15::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    FormResize();
}

} // namespace corvalen
