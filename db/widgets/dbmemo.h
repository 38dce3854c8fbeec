#pragma once
// Bound memo: a bound text box over several lines (see dbedit.h for the common behaviour),
// word-wrapped, with its vertical scroll bar always shown. Tab moves the focus on. setReadOnly
// makes it display-only. Lines are held in the field separated by CR LF; text() and setText()
// give and take that form, so a window can append "\r\n" + a heading as the field would hold it.

#include <QPlainTextEdit>

namespace corvalen {

namespace db {
class DataSource;
}
class BoundLink;

class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DBMemo(db::DataSource* source = nullptr, const QString& field = {},
                    QWidget* parent = nullptr);

    db::DataSource* dataSource() const;
    void setDataSource(db::DataSource* source);
    QString dataField() const;
    void setDataField(const QString& field);
    BoundLink* dataLink() const { return link_; }

    // The text with CR LF between lines; setting it marks the memo changed, so it reaches the
    // field when the row is posted.
    QString text() const;
    void setText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void dataChange();
    int room() const; // characters that may still be typed; -1 without a limit

    BoundLink* link_;
    bool loading_ = false;
};

} // namespace corvalen
