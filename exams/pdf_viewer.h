#pragma once
// The exam window's PDF viewer: shows the PDF file whose full path is put into src, one page
// after another at a zoom that fits the width, with a bar for moving to the prior and next
// page.
//
// A file that cannot be shown leaves a notice in place of the pages saying why, in Portuguese:
// missing, damaged or not a PDF, a protection it cannot open, no pages. A password-protected
// file asks for its password in the viewer ("Este PDF é protegido por senha"), opens with the
// password given and asks again after a wrong one; the password is used for that opening only
// and kept nowhere.

#include <QWidget>

class QLabel;
class QLineEdit;
class QPdfDocument;
class QPdfView;
class QPushButton;
class QStackedLayout;
class QToolButton;

namespace corvalen {

class PdfViewer : public QWidget {
    Q_OBJECT
public:
    explicit PdfViewer(QWidget* parent = nullptr);
    ~PdfViewer() override;

    QString src() const { return src_; }
    void setSrc(const QString& path);

    QPdfDocument* document() const { return document_; }
    QPdfView* view() const { return view_; }
    int currentPage() const; // from 0

    // Page navigation, as the bar's buttons do it.
    void goToPage(int page);

    // Whether the pages are shown; otherwise the notice says why not.
    bool showsDocument() const;
    // The notice's heading and detail, empty while the pages are shown.
    QString notice() const;
    // Whether the notice asks for a password.
    bool asksPassword() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildNotice();
    void open(const QString& password);
    void showNotice(const QString& heading, const QString& detail, bool askPassword);
    void submitPassword();
    void updatePageBar();

    QString src_;
    QPdfDocument* document_;
    QPdfView* view_;
    QToolButton* priorPage_;
    QToolButton* nextPage_;
    QLabel* pageLabel_;
    QStackedLayout* pages_ = nullptr; // the document, or the notice
    QWidget* notice_ = nullptr;
    QLabel* heading_ = nullptr;
    QLabel* detail_ = nullptr;
    QWidget* passwordRow_ = nullptr;
    QLineEdit* password_ = nullptr;
    QPushButton* openButton_ = nullptr;
};

} // namespace corvalen
