#include "exams/pdf_viewer.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QPushButton>
#include <QStackedLayout>
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
    pages_ = new QStackedLayout;
    pages_->addWidget(view_);
    pages_->addWidget(buildNotice());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addLayout(pages_, 1);

    connect(priorPage_, &QToolButton::clicked, this, [this] { goToPage(currentPage() - 1); });
    connect(nextPage_, &QToolButton::clicked, this, [this] { goToPage(currentPage() + 1); });
    connect(view_->pageNavigator(), &QPdfPageNavigator::currentPageChanged, this,
            &PdfViewer::updatePageBar);
    connect(document_, &QPdfDocument::pageCountChanged, this, &PdfViewer::updatePageBar);
    updatePageBar();
}

PdfViewer::~PdfViewer() {
    // The document and the view are children, deleted after this destructor has run; the
    // document announces its closing then. Nothing of theirs may reach this viewer any more.
    document_->disconnect(this);
    view_->pageNavigator()->disconnect(this);
}

QWidget* PdfViewer::buildNotice() {
    notice_ = new QWidget(this);
    notice_->setObjectName("PdfNotice");
    heading_ = new QLabel(notice_);
    heading_->setObjectName("PdfNoticeHeading");
    QFont bold = heading_->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    heading_->setFont(bold);
    heading_->setAlignment(Qt::AlignCenter);
    heading_->setWordWrap(true);
    detail_ = new QLabel(notice_);
    detail_->setObjectName("PdfNoticeDetail");
    detail_->setAlignment(Qt::AlignCenter);
    detail_->setWordWrap(true);

    passwordRow_ = new QWidget(notice_);
    password_ = new QLineEdit(passwordRow_);
    password_->setObjectName("PdfPassword");
    password_->setEchoMode(QLineEdit::Password);
    password_->setFixedWidth(200);
    password_->installEventFilter(this);
    auto* label = new QLabel(QStringLiteral("&Senha:"), passwordRow_);
    label->setBuddy(password_);
    openButton_ = new QPushButton(QStringLiteral("&Abrir"), passwordRow_);
    openButton_->setObjectName("PdfOpen");
    openButton_->setAutoDefault(false);
    auto* row = new QHBoxLayout(passwordRow_);
    row->addStretch(1);
    row->addWidget(label);
    row->addWidget(password_);
    row->addWidget(openButton_);
    row->addStretch(1);
    connect(openButton_, &QPushButton::clicked, this, &PdfViewer::submitPassword);

    auto* layout = new QVBoxLayout(notice_);
    layout->addStretch(1);
    layout->addWidget(heading_);
    layout->addWidget(detail_);
    layout->addWidget(passwordRow_);
    layout->addStretch(2);
    return notice_;
}

void PdfViewer::setSrc(const QString& path) {
    src_ = path;
    open(QString());
}

void PdfViewer::open(const QString& password) {
    password_->clear();
    document_->close();
    document_->setPassword(password);
    const QPdfDocument::Error error = document_->load(src_);
    // Needed only while loading: the open document keeps no password.
    document_->setPassword(QString());
    view_->pageNavigator()->jump(0, {}, 0);
    updatePageBar();

    const QString cannotOpen = QStringLiteral("Não foi possível abrir o PDF.");
    switch (error) {
    case QPdfDocument::Error::None:
        if (document_->pageCount() > 0) {
            pages_->setCurrentWidget(view_);
        } else {
            showNotice(QStringLiteral("Este PDF não tem páginas."),
                       QStringLiteral("O arquivo não tem nada para mostrar."), false);
        }
        break;
    case QPdfDocument::Error::IncorrectPassword:
        showNotice(QStringLiteral("Este PDF é protegido por senha"),
                   password.isEmpty()
                       ? QStringLiteral("Digite a senha para abrir o documento.")
                       : QStringLiteral("Senha incorreta. Digite a senha novamente."),
                   true);
        break;
    case QPdfDocument::Error::FileNotFound:
        showNotice(cannotOpen, QStringLiteral("O arquivo não foi encontrado."), false);
        break;
    case QPdfDocument::Error::InvalidFileFormat:
        showNotice(cannotOpen, QStringLiteral("O arquivo está danificado ou não é um PDF."), false);
        break;
    case QPdfDocument::Error::UnsupportedSecurityScheme:
        showNotice(cannotOpen, QStringLiteral("O arquivo usa uma proteção que não é suportada."),
                   false);
        break;
    default:
        showNotice(cannotOpen, QStringLiteral("O arquivo não pôde ser lido."), false);
        break;
    }
}

void PdfViewer::showNotice(const QString& heading, const QString& detail, bool askPassword) {
    heading_->setText(heading);
    detail_->setText(detail);
    passwordRow_->setVisible(askPassword);
    pages_->setCurrentWidget(notice_);
    if (askPassword && isVisible())
        password_->setFocus();
}

void PdfViewer::submitPassword() {
    if (asksPassword())
        open(password_->text());
}

bool PdfViewer::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the password box opens the document, and goes no further: the window around
    // the viewer must not take it for one of its own keys.
    if (watched == password_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            submitPassword();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool PdfViewer::showsDocument() const {
    return pages_->currentWidget() == view_;
}

QString PdfViewer::notice() const {
    return showsDocument() ? QString() : heading_->text() + QLatin1Char('\n') + detail_->text();
}

bool PdfViewer::asksPassword() const {
    return !showsDocument() && !passwordRow_->isHidden();
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
