#include "db/widgets/dbedit.h"

#include "db/widgets/boundlink.h"
#include "platform/messages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProxyStyle>

namespace corvalen {

namespace {

// Shows the chosen character for each character of a password.
class PasswordStyle : public QProxyStyle {
public:
    explicit PasswordStyle(QChar c) : c_(c) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return c_.unicode();
        return QProxyStyle::styleHint(hint, option, widget, data);
    }

private:
    QChar c_;
};

} // namespace

bool changesText(const QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
        event->matches(QKeySequence::DeleteStartOfWord) ||
        event->matches(QKeySequence::DeleteEndOfWord) ||
        event->matches(QKeySequence::DeleteEndOfLine))
        return true;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
        return false;
    default:
        break;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

bool validForField(const BoundLink& link, const QString& typed) {
    if (!link.hasField())
        return true;
    QString allowed;
    switch (link.field().type()) {
    case db::FieldType::Integer:
    case db::FieldType::AutoInc:
        allowed = QStringLiteral("+-0123456789");
        break;
    case db::FieldType::Float:
        allowed = QStringLiteral("+-0123456789,.eE");
        break;
    default:
        return true;
    }
    for (const QChar c : typed)
        if (c.isPrint() && !allowed.contains(c))
            return false;
    return true;
}

bool beginChange(BoundLink& link) {
    if (!link.dataSource())
        return true;
    const int shown = link.timesShown();
    bool editing = false;
    messages::guarded([&] { editing = link.edit(); });
    // A read that succeeded after a failed one has just shown the row where the user saw a
    // blank box: the key is not applied to text the user has not seen.
    if (editing && link.timesShown() != shown &&
        link.dataset()->state() == db::Dataset::State::Edit)
        return false;
    return editing;
}

DBEdit::DBEdit(db::DataSource* source, const QString& field, QWidget* parent)
    : QLineEdit(parent), link_(new BoundLink(this, source, field)) {
    link_->onDataChange = [this] { dataChange(); };
    link_->onUpdateData = [this] { link_->field().setAsString(text()); };
    link_->onSelectAll = [this] { selectAll(); };
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!loading_)
            link_->setModified();
    });
    connect(this, &QLineEdit::textEdited, this, &DBEdit::textEditedByUser);
    dataChange();
}

db::DataSource* DBEdit::dataSource() const {
    return link_->dataSource();
}

void DBEdit::setDataSource(db::DataSource* source) {
    link_->setDataSource(source);
}

QString DBEdit::dataField() const {
    return link_->fieldName();
}

void DBEdit::setDataField(const QString& field) {
    link_->setFieldName(field);
}

void DBEdit::setPasswordChar(QChar c) {
    passwordChar_ = c;
    if (c.isNull()) {
        setEchoMode(QLineEdit::Normal);
        setStyle(nullptr);
        delete passwordStyle_;
        passwordStyle_ = nullptr;
        return;
    }
    auto* style = new PasswordStyle(c);
    style->setParent(this);
    setStyle(style);
    delete passwordStyle_;
    passwordStyle_ = style;
    setEchoMode(QLineEdit::Password);
}

void DBEdit::dataChange() {
    loading_ = true;
    const QString text = link_->displayText();
    int width = 32767;
    if (link_->hasField()) {
        const db::Field f = link_->field();
        // A stored text longer than the column (from an older file or another tool) is shown
        // whole, and typing may not lengthen it further.
        if (f.type() == db::FieldType::String && f.size() > 0)
            width = std::max(f.size(), int(text.size()));
    }
    setMaxLength(width);
    setText(text);
    setModified(false);
    loading_ = false;
}

void DBEdit::keyPressEvent(QKeyEvent* event) {
    if (!link_->dataSource()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (link_->isModified()) {
            link_->reset();
            selectAll();
        }
        event->accept();
        return;
    }
    if (changesText(event) && !isReadOnly()) {
        if (!validForField(*link_, event->text()) || !beginChange(*link_)) {
            QApplication::beep();
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::textEditedByUser() {
    // Changes that bypass the keyboard (the context menu's paste, a drop) start edit state
    // here, keeping the new text when auto-edit has just inserted a blank row.
    if (!link_->dataSource() || link_->editing())
        return;
    const QString typed = text();
    const int position = cursorPosition();
    if (beginChange(*link_)) {
        if (text() != typed) {
            setText(typed);
            setCursorPosition(position);
        }
    } else {
        link_->reset();
    }
}

void DBEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    link_->exit(event->reason());
}

} // namespace corvalen
