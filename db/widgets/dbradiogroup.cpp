#include "db/widgets/dbradiogroup.h"

#include "db/widgets/boundlink.h"
#include "db/widgets/dbedit.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace corvalen {

DBRadioGroup::DBRadioGroup(const QString& caption, db::DataSource* source, const QString& field,
                           QWidget* parent)
    : QGroupBox(caption, parent), link_(new BoundLink(this, source, field)),
      buttons_(new QButtonGroup(this)), layout_(new QGridLayout(this)) {
    link_->onDataChange = [this] { dataChange(); };
    link_->onUpdateData = [this] { link_->field().setAsString(value()); };
    connect(buttons_, &QButtonGroup::idClicked, this, &DBRadioGroup::clicked);
}

db::DataSource* DBRadioGroup::dataSource() const {
    return link_->dataSource();
}

void DBRadioGroup::setDataSource(db::DataSource* source) {
    link_->setDataSource(source);
}

QString DBRadioGroup::dataField() const {
    return link_->fieldName();
}

void DBRadioGroup::setDataField(const QString& field) {
    link_->setFieldName(field);
}

void DBRadioGroup::setItems(const QStringList& captions, const QStringList& values) {
    captions_ = captions;
    values_ = values;
    for (QAbstractButton* b : buttons_->buttons()) {
        buttons_->removeButton(b);
        delete b;
    }
    for (int i = 0; i < captions_.size(); ++i)
        buttons_->addButton(new QRadioButton(captions_.at(i), this), i);
    layoutItems();
    dataChange();
}

void DBRadioGroup::setColumns(int columns) {
    columns_ = std::max(1, columns);
    layoutItems();
}

void DBRadioGroup::layoutItems() {
    const QList<QAbstractButton*> list = buttons_->buttons();
    const int rows = (int(list.size()) + columns_ - 1) / columns_;
    for (int i = 0; i < list.size(); ++i)
        layout_->addWidget(list.at(i), rows ? i % rows : 0, rows ? i / rows : 0);
}

QString DBRadioGroup::value() const {
    return index_ >= 0 ? values().value(index_) : QString();
}

void DBRadioGroup::select(int index) {
    index_ = index;
    // An exclusive group cannot show no item checked: lift the rule while clearing.
    buttons_->setExclusive(false);
    for (QAbstractButton* b : buttons_->buttons())
        b->setChecked(buttons_->id(b) == index);
    buttons_->setExclusive(true);
}

void DBRadioGroup::dataChange() {
    const QString text = link_->text();
    select(link_->hasField() ? int(values().indexOf(text)) : -1);
}

void DBRadioGroup::clicked(int index) {
    if (!link_->dataSource()) {
        index_ = index;
        emit changed();
        return;
    }
    if (!beginChange(*link_)) {
        dataChange();
        return;
    }
    select(index);
    link_->setModified();
    emit changed();
}

} // namespace corvalen
