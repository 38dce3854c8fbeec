#include "db/widgets/dbmemo.h"

#include "db/widgets/boundlink.h"
#include "db/widgets/dbedit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>

namespace corvalen {

namespace {

QString toField(QString text) {
    return text.replace('\n', QStringLiteral("\r\n"));
}

QString fromField(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.replace('\r', '\n');
}

} // namespace

DBMemo::DBMemo(db::DataSource* source, const QString& field, QWidget* parent)
    : QPlainTextEdit(parent), link_(new BoundLink(this, source, field)) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    link_->onDataChange = [this] { dataChange(); };
    link_->onUpdateData = [this] { link_->field().setAsString(text()); };
    link_->onSelectAll = [this] { selectAll(); };
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!loading_)
            link_->setModified();
    });
    dataChange();
}

db::DataSource* DBMemo::dataSource() const {
    return link_->dataSource();
}

void DBMemo::setDataSource(db::DataSource* source) {
    link_->setDataSource(source);
}

QString DBMemo::dataField() const {
    return link_->fieldName();
}

void DBMemo::setDataField(const QString& field) {
    link_->setFieldName(field);
}

QString DBMemo::text() const {
    return toField(toPlainText());
}

void DBMemo::setText(const QString& text) {
    setPlainText(fromField(text));
}

void DBMemo::dataChange() {
    loading_ = true;
    setPlainText(fromField(link_->displayText()));
    loading_ = false;
}

int DBMemo::room() const {
    if (!link_->hasField())
        return -1;
    const db::Field f = link_->field();
    if (f.type() != db::FieldType::String || f.size() <= 0)
        return -1;
    // The field holds CR LF for each line break.
    const int used = text().size() - toField(textCursor().selectedText()).size();
    return std::max(0, f.size() - used);
}

void DBMemo::keyPressEvent(QKeyEvent* event) {
    if (!link_->dataSource()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (link_->isModified())
            link_->reset();
        event->accept();
        return;
    }
    const bool newLine = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if ((changesText(event) || newLine) && !isReadOnly()) {
        // A line break takes two characters of the field (CR LF).
        const int space = room();
        bool fits = true;
        if (space >= 0 && newLine)
            fits = space >= 2;
        else if (space >= 0 && !event->text().isEmpty() && event->text().at(0).isPrint())
            fits = event->text().size() <= space;
        if (!fits || !beginChange(*link_)) {
            QApplication::beep();
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DBMemo::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText() || isReadOnly())
        return;
    if (link_->dataSource() && !beginChange(*link_))
        return;
    QString text = fromField(source->text());
    const int space = room();
    if (space >= 0) {
        // Cut where the field's width (counting CR LF as two) runs out.
        int used = 0;
        int keep = 0;
        for (; keep < text.size(); ++keep) {
            used += text.at(keep) == '\n' ? 2 : 1;
            if (used > space)
                break;
        }
        text.truncate(keep);
    }
    textCursor().insertText(text);
}

void DBMemo::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    link_->exit(event->reason());
}

} // namespace corvalen
