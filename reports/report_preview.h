#pragma once
// The report preview ("Print Preview"): the laid-out pages shown one at a time, fitted to the
// window at first; zoom (whole page, page width, 100 %); first, previous, next and last page;
// the current page and the page count in its status line; printing through the print dialog;
// "Salvar PDF" (Ctrl+S) to a file chosen through the platform's save chooser; closing (also
// with Esc). Only the page on screen is painted, so a report of thousands of pages opens as
// quickly as one of a single page.

#include "reports/report_layout.h"

#include <QAbstractScrollArea>
#include <QWidget>
#include <memory>

class QAction;
class QLabel;
class QStatusBar;
class QToolBar;

namespace corvalen::reports {

class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Zoom { WholePage, PageWidth, ActualSize };

    explicit PageView(std::shared_ptr<const LaidReport> report, QWidget* parent = nullptr);

    int page() const { return page_; } // from 0
    void setPage(int index);
    Zoom zoom() const { return zoom_; }
    void setZoom(Zoom zoom);
    double pixelsPerMm() const; // the scale the page is drawn at

signals:
    void pageChanged(int index);
    void pagePainted(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QSizeF pageSizePx() const;
    void updateScrollBars();

    std::shared_ptr<const LaidReport> report_;
    int page_ = 0;
    Zoom zoom_ = Zoom::WholePage;
};

class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    explicit PreviewWindow(std::shared_ptr<const LaidReport> report, QWidget* parent = nullptr);

    const LaidReport& report() const { return *report_; }
    int pageCount() const { return int(report_->pages.size()); }
    int currentPage() const; // from 1
    QString statusText() const;

    // The suggested file name for "Salvar PDF": the report's name and today's date.
    QString suggestedPdfName() const;

    void printReport();
    void savePdf();

    QToolBar* ToolBar1;
    QAction* WholePage;
    QAction* PageWidth;
    QAction* ActualSize;
    QAction* FirstPage;
    QAction* PriorPage;
    QAction* NextPage;
    QAction* LastPage;
    QAction* Print;
    QAction* SavePdf;
    QAction* ClosePreview;
    PageView* View;
    QStatusBar* StatusBar1;

signals:
    // The window has closed or been hidden with its owner: the preview is over.
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QAction* command(const char* name, const QString& text, const QKeySequence& key,
                     void (PreviewWindow::*handler)());
    void goTo(int index);
    void pageShown();
    void zoomTo(PageView::Zoom zoom);
    void first() { goTo(0); }
    void prior() { goTo(View->page() - 1); }
    void next() { goTo(View->page() + 1); }
    void last() { goTo(pageCount() - 1); }
    void wholePage() { zoomTo(PageView::Zoom::WholePage); }
    void pageWidth() { zoomTo(PageView::Zoom::PageWidth); }
    void actualSize() { zoomTo(PageView::Zoom::ActualSize); }
    void closePreview() { close(); }

    std::shared_ptr<const LaidReport> report_;
    QLabel* statusPanel_;
    bool finished_ = false;
};

} // namespace corvalen::reports
