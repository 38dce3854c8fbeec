#include "reports/report_preview.h"

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/pickers.h"
#include "platform/printing.h"
#include "reports/report_progress.h"
#include "reports/report_render.h"
#include "resources/icons.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvalen::reports {

namespace {

// Grey space around the page, in pixels.
constexpr int pageMargin = 12;

} // namespace

// ------------------------------------------------------------------------------ PageView

PageView::PageView(std::shared_ptr<const LaidReport> report, QWidget* parent)
    : QAbstractScrollArea(parent), report_(std::move(report)) {
    setObjectName(QStringLiteral("PageView"));
    setAccessibleName(QStringLiteral("Página"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
}

void PageView::setPage(int index) {
    index = std::clamp(index, 0, std::max(int(report_->pages.size()) - 1, 0));
    if (index == page_)
        return;
    page_ = index;
    verticalScrollBar()->setValue(0);
    viewport()->update();
    emit pageChanged(page_);
}

void PageView::setZoom(Zoom zoom) {
    zoom_ = zoom;
    updateScrollBars();
    viewport()->update();
}

double PageView::pixelsPerMm() const {
    const QSizeF paper = report_->paper;
    const double width = viewport()->width() - 2 * pageMargin;
    const double height = viewport()->height() - 2 * pageMargin;
    switch (zoom_) {
    case Zoom::WholePage:
        return std::max(std::min(width / paper.width(), height / paper.height()), 0.1);
    case Zoom::PageWidth:
        return std::max(width / paper.width(), 0.1);
    case Zoom::ActualSize:
        return logicalDpiX() / 25.4;
    }
    return 1;
}

QSizeF PageView::pageSizePx() const {
    return report_->paper * pixelsPerMm();
}

void PageView::updateScrollBars() {
    const QSizeF page = pageSizePx();
    const QSize area = viewport()->size();
    horizontalScrollBar()->setRange(0,
                                    std::max(0, int(page.width()) + 2 * pageMargin - area.width()));
    verticalScrollBar()->setRange(0,
                                  std::max(0, int(page.height()) + 2 * pageMargin - area.height()));
    horizontalScrollBar()->setPageStep(area.width());
    verticalScrollBar()->setPageStep(area.height());
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
}

void PageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void PageView::scrollContentsBy(int, int) {
    viewport()->update();
}

void PageView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    if (report_->pages.empty())
        return;
    const QSizeF size = pageSizePx();
    const QSize area = viewport()->size();
    // Centred while smaller than the view, scrolled otherwise.
    const double x = size.width() + 2 * pageMargin <= area.width()
                         ? (area.width() - size.width()) / 2
                         : pageMargin - horizontalScrollBar()->value();
    const double y = size.height() + 2 * pageMargin <= area.height()
                         ? (area.height() - size.height()) / 2
                         : pageMargin - verticalScrollBar()->value();
    const QRectF paper(QPointF(x, y), size);
    painter.fillRect(paper.translated(3, 3), QColor(0, 0, 0, 90));
    painter.fillRect(paper, Qt::white);
    painter.setClipRect(paper);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(paper.topLeft());
    const double scale = pixelsPerMm();
    painter.scale(scale, scale);
    paintPage(painter, *report_, page_);
    painter.end();
    emit pagePainted(page_);
}

// ------------------------------------------------------------------------------ PreviewWindow

PreviewWindow::PreviewWindow(std::shared_ptr<const LaidReport> report, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      report_(std::move(report)) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(QStringLiteral("Print Preview"));

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ToolBar1->setIconSize(QSize(20, 20));

    const auto standard = [this](QStyle::StandardPixmap pixmap) {
        return style()->standardIcon(pixmap);
    };
    WholePage =
        command("WholePage", QStringLiteral("Página inteira"), {}, &PreviewWindow::wholePage);
    PageWidth =
        command("PageWidth", QStringLiteral("Largura da página"), {}, &PreviewWindow::pageWidth);
    ActualSize = command("ActualSize", QStringLiteral("100 %"), {}, &PreviewWindow::actualSize);
    for (QAction* zoom : {WholePage, PageWidth, ActualSize})
        zoom->setCheckable(true);
    WholePage->setChecked(true);
    ToolBar1->addSeparator();
    FirstPage = command("FirstPage", QStringLiteral("Primeira página"), Qt::Key_Home,
                        &PreviewWindow::first);
    PriorPage = command("PriorPage", QStringLiteral("Página anterior"), Qt::Key_PageUp,
                        &PreviewWindow::prior);
    NextPage = command("NextPage", QStringLiteral("Próxima página"), Qt::Key_PageDown,
                       &PreviewWindow::next);
    LastPage =
        command("LastPage", QStringLiteral("Última página"), Qt::Key_End, &PreviewWindow::last);
    FirstPage->setIcon(standard(QStyle::SP_MediaSkipBackward));
    PriorPage->setIcon(standard(QStyle::SP_MediaSeekBackward));
    NextPage->setIcon(standard(QStyle::SP_MediaSeekForward));
    LastPage->setIcon(standard(QStyle::SP_MediaSkipForward));
    for (QAction* move : {FirstPage, PriorPage, NextPage, LastPage}) {
        if (auto* button = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(move)))
            button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    ToolBar1->addSeparator();
    Print = command("Print", QStringLiteral("&Imprimir..."), QKeySequence::Print,
                    &PreviewWindow::printReport);
    Print->setIcon(resources::icon(QStringLiteral("print")));
    SavePdf = command("SavePdf", QStringLiteral("&Salvar PDF..."),
                      QKeySequence(Qt::CTRL | Qt::Key_S), &PreviewWindow::savePdf);
    SavePdf->setIcon(resources::icon(QStringLiteral("pdf")));
    ToolBar1->addSeparator();
    ClosePreview =
        command("ClosePreview", QStringLiteral("&Fechar"), {}, &PreviewWindow::closePreview);
    ClosePreview->setIcon(resources::icon(QStringLiteral("close")));

    View = new PageView(report_, this);
    connect(View, &PageView::pageChanged, this, &PreviewWindow::pageShown);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    statusPanel_ = new QLabel(StatusBar1);
    statusPanel_->setObjectName(QStringLiteral("StatusPanel0"));
    StatusBar1->addWidget(statusPanel_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(View, 1);
    layout->addWidget(StatusBar1);

    // A normal window, as tall as most of the screen, with the page fitted into it.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        const int height = available.height() * 9 / 10;
        resize(std::min(available.width() * 9 / 10, std::max(height * 4 / 5, 640)), height);
        move(available.center() - rect().center());
    }
    View->setFocus();
    pageShown();
}

QAction* PreviewWindow::command(const char* name, const QString& text, const QKeySequence& key,
                                void (PreviewWindow::*handler)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    QString tip = QString(text).remove(QLatin1Char('&')).remove(QStringLiteral("..."));
    if (!key.isEmpty())
        tip += QStringLiteral(" (%1)").arg(key.toString(QKeySequence::NativeText));
    action->setToolTip(tip);
    connect(action, &QAction::triggered, this,
            [this, handler] { messages::guarded([this, handler] { (this->*handler)(); }); });
    ToolBar1->addAction(action);
    if (QWidget* button = ToolBar1->widgetForAction(action))
        button->setAccessibleName(tip);
    return action;
}

int PreviewWindow::currentPage() const {
    return View->page() + 1;
}

QString PreviewWindow::statusText() const {
    return statusPanel_->text();
}

void PreviewWindow::goTo(int index) {
    View->setPage(index);
}

void PreviewWindow::pageShown() {
    statusPanel_->setText(
        QStringLiteral("Página %1 de %2").arg(currentPage()).arg(std::max(pageCount(), 1)));
    FirstPage->setEnabled(View->page() > 0);
    PriorPage->setEnabled(View->page() > 0);
    NextPage->setEnabled(View->page() < pageCount() - 1);
    LastPage->setEnabled(View->page() < pageCount() - 1);
}

void PreviewWindow::zoomTo(PageView::Zoom zoom) {
    View->setZoom(zoom);
    WholePage->setChecked(zoom == PageView::Zoom::WholePage);
    PageWidth->setChecked(zoom == PageView::Zoom::PageWidth);
    ActualSize->setChecked(zoom == PageView::Zoom::ActualSize);
}

QString PreviewWindow::suggestedPdfName() const {
    QString name = report_->name.isEmpty() ? QStringLiteral("Relatório") : report_->name;
    return name + QLatin1Char(' ') + platform::now().date().toString(QStringLiteral("dd-MM-yyyy")) +
           QStringLiteral(".pdf");
}

void PreviewWindow::savePdf() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    const std::optional<QString> chosen = platform::pick(
        this, {platform::PickerKind::SaveFile, QStringLiteral("Salvar PDF"),
               QStringLiteral("PDF (*.pdf)"), QDir(folder).filePath(suggestedPdfName())});
    if (!chosen)
        return;
    QString path = *chosen;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    Progress progress(QStringLiteral("Gravando o PDF..."), this);
    writePdf(*report_, path, [&](int done) { return progress.step(done, pageCount()); });
}

void PreviewWindow::printReport() {
    if (!platform::printerInstalled()) {
        messages::warning(QStringLiteral("Nenhuma impressora está instalada neste computador. "
                                         "Use \"Salvar PDF\" para gravar o relatório em um "
                                         "arquivo."));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(report_->name);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(report_->paper, QPageSize::Millimeter));
    printer.setCopyCount(1);
    printer.setDuplex(QPrinter::DuplexNone);
    printer.setPaperSource(QPrinter::Auto);
    if (!platform::choosePrinter(this, printer, pageCount()))
        return;
    int first = 0;
    int last = pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::clamp(printer.fromPage() - 1, 0, last);
        last = std::clamp(printer.toPage() > 0 ? printer.toPage() - 1 : last, first, last);
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        first = last = View->page();
    }
    Progress progress(QStringLiteral("Imprimindo..."), this);
    bool stopped = false;
    const bool printed = paintPages(printer, *report_, first, last, [&](int done) {
        stopped = !progress.step(done, last - first + 1);
        return !stopped;
    });
    if (!printed && !stopped)
        messages::showError(
            QStringLiteral("Não foi possível imprimir em \"%1\"").arg(printer.printerName()));
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted() && !finished_) {
        finished_ = true;
        emit finished();
    }
}

void PreviewWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Hidden with the window that owns it (not minimised): the preview is over too.
    if (!event->spontaneous() && !finished_) {
        finished_ = true;
        emit finished();
    }
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace corvalen::reports
