#pragma once
// Bound text box: shows one field of the data source's current row and writes into it.
//
// - Shows the field's display text (its display format honoured, "hh:nn" for a time), blank
//   while the dataset is closed, has no rows, or lacks the column.
// - Typing starts edit state (auto-edit; insert on an empty dataset); keys that would change a
//   field that cannot be changed (a read-only dataset, an auto-number) are refused. A text
//   column limits typing to its width; a numeric column takes only digits and signs. Esc
//   drops what was typed.
// - The text is copied into the field when the box loses the focus and when the row is posted.
//   A copy that fails (text that does not convert) is reported in the error box, the text is
//   selected and the focus stays in the box; the row stays pending.
// - Text set by the window's code (setText) also reaches the field when the row is posted.
// - A disabled box is display-only. setPasswordChar('*') shows one "*" per character.
//
//     auto* e = new DBEdit(Dm2->DataSource7, "nome", this);

#include <QLineEdit>

class QProxyStyle;

namespace corvalen {

namespace db {
class DataSource;
}
class BoundLink;

class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBEdit(db::DataSource* source = nullptr, const QString& field = {},
                    QWidget* parent = nullptr);

    db::DataSource* dataSource() const;
    void setDataSource(db::DataSource* source);
    QString dataField() const;
    void setDataField(const QString& field);
    BoundLink* dataLink() const { return link_; }

    // '\0' shows the text; any other character is shown once per character of the text.
    void setPasswordChar(QChar c);
    QChar passwordChar() const { return passwordChar_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void dataChange();
    void textEditedByUser();

    BoundLink* link_;
    bool loading_ = false;
    QChar passwordChar_;
    QProxyStyle* passwordStyle_ = nullptr;
};

// Shared by the bound edit controls: whether a key press would change the text (typing,
// deleting, pasting), and whether a typed text suits the field (a numeric field takes only
// digits, signs and, for a fractional number, its separators).
bool changesText(const QKeyEvent* event);
bool validForField(const BoundLink& link, const QString& typed);
// Starts edit state for a control about to change its field; errors go to the error box.
// False also when starting it showed the row anew (a read that failed before has succeeded):
// the change the user began was meant for what the control showed before.
bool beginChange(BoundLink& link);

} // namespace corvalen
