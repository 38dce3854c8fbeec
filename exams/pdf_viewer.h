#pragma once
// The exam window's PDF viewer: shows the PDF file whose full path is put into src, one page
// after another at a zoom that fits the width, with a bar for moving to the prior and next
// page. A missing or unreadable file leaves the view empty.

#include <QWidget>

class QLabel;
class QPdfDocument;
class QPdfView;
class QToolButton;

namespace corvalen {

class PdfViewer : public QWidget {
    Q_OBJECT
public:
    explicit PdfViewer(QWidget* parent = nullptr);

    QString src() const { return src_; }
    void setSrc(const QString& path);

    QPdfDocument* document() const { return document_; }
    QPdfView* view() const { return view_; }
    int currentPage() const; // from 0

    // Page navigation, as the bar's buttons do it.
    void goToPage(int page);

private:
    void updatePageBar();

    QString src_;
    QPdfDocument* document_;
    QPdfView* view_;
    QToolButton* priorPage_;
    QToolButton* nextPage_;
    QLabel* pageLabel_;
};

} // namespace corvalen
