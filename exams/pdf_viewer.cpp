#include "exams/pdf_viewer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvalen {

PdfViewer::PdfViewer(QWidget* parent)
    : QWidget(parent), document_(new QPdfDocument(this)), view_(new QPdfView(this)),
      priorPage_(new QToolButton(this)), nextPage_(new QToolButton(this)),
      pageLabel_(new QLabel(this)) {
    view_->setObjectName("PdfView");
    view_->setDocument(document_);
    view_->setPageMode(QPdfView::PageMode::MultiPage);
    view_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    view_->setAccessibleName(QStringLiteral("Documento PDF"));

    priorPage_->setObjectName("PriorPage");
    priorPage_->setArrowType(Qt::UpArrow);
    priorPage_->setAutoRaise(true);
    priorPage_->setToolTip(QStringLiteral("Página anterior"));
    priorPage_->setAccessibleName(QStringLiteral("Página anterior"));
    nextPage_->setObjectName("NextPage");
    nextPage_->setArrowType(Qt::DownArrow);
    nextPage_->setAutoRaise(true);
    nextPage_->setToolTip(QStringLiteral("Próxima página"));
    nextPage_->setAccessibleName(QStringLiteral("Próxima página"));
    pageLabel_->setObjectName("PageLabel");

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    bar->addWidget(priorPage_);
    bar->addWidget(nextPage_);
    bar->addWidget(pageLabel_);
    bar->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(view_, 1);

    connect(priorPage_, &QToolButton::clicked, this, [this] { goToPage(currentPage() - 1); });
    connect(nextPage_, &QToolButton::clicked, this, [this] { goToPage(currentPage() + 1); });
    connect(view_->pageNavigator(), &QPdfPageNavigator::currentPageChanged, this,
            &PdfViewer::updatePageBar);
    connect(document_, &QPdfDocument::pageCountChanged, this, &PdfViewer::updatePageBar);
    updatePageBar();
}

void PdfViewer::setSrc(const QString& path) {
    src_ = path;
    document_->close();
    document_->load(path);
    view_->pageNavigator()->jump(0, {}, 0);
    updatePageBar();
}

int PdfViewer::currentPage() const {
    return view_->pageNavigator()->currentPage();
}

void PdfViewer::goToPage(int page) {
    if (page < 0 || page >= document_->pageCount())
        return;
    view_->pageNavigator()->jump(page, {}, 0);
}

void PdfViewer::updatePageBar() {
    const int pages = document_->pageCount();
    const int page = currentPage();
    pageLabel_->setText(pages > 0 ? QStringLiteral("Página %1 de %2").arg(page + 1).arg(pages)
                                  : QString());
    priorPage_->setEnabled(page > 0);
    nextPage_->setEnabled(page + 1 < pages);
}

} // namespace corvalen
