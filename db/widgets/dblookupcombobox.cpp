#include "db/widgets/dblookupcombobox.h"

#include "db/widgets/boundlink.h"
#include "db/widgets/datasetmodel.h"
#include "db/widgets/dbedit.h"

namespace corvalen {

DBLookupComboBox::DBLookupComboBox(db::DataSource* listSource, const QString& keyField,
                                   const QString& listField, QWidget* parent)
    : QComboBox(parent), list_(new BoundLink(this, nullptr)), link_(new BoundLink(this, nullptr)),
      model_(new DatasetModel(this)), keyField_(keyField), listField_(listField) {
    list_->setEditsRows(false);
    setModel(model_);
    connect(list_, &BoundLink::datasetChanged, this,
            [this] { model_->setDataset(list_->dataset()); });
    // While the list is rebuilt the combo box picks a row of its own; the key chosen before is
    // looked up again afterwards.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { loading_ = true; });
    connect(model_, &QAbstractItemModel::modelReset, this, &DBLookupComboBox::listChanged);
    connect(this, &QComboBox::activated, this, &DBLookupComboBox::chosen);
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!loading_)
            pendingKey_ = keyValue();
    });
    link_->onDataChange = [this] { dataChange(); };
    link_->onUpdateData = [this] { link_->field().setAsString(keyValue()); };
    list_->setDataSource(listSource);
    listChanged();
}

db::DataSource* DBLookupComboBox::listSource() const {
    return list_->dataSource();
}

void DBLookupComboBox::setListSource(db::DataSource* source) {
    list_->setDataSource(source);
}

void DBLookupComboBox::setKeyField(const QString& field) {
    keyField_ = field;
    listChanged();
}

void DBLookupComboBox::setListField(const QString& field) {
    listField_ = field;
    listChanged();
}

db::DataSource* DBLookupComboBox::dataSource() const {
    return link_->dataSource();
}

void DBLookupComboBox::setDataSource(db::DataSource* source) {
    link_->setDataSource(source);
}

QString DBLookupComboBox::dataField() const {
    return link_->fieldName();
}

void DBLookupComboBox::setDataField(const QString& field) {
    link_->setFieldName(field);
}

int DBLookupComboBox::keyColumn() const {
    db::Dataset* d = list_->dataset();
    return d && d->isOpen() ? d->fieldIndex(keyField_) : -1;
}

QString DBLookupComboBox::keyValue() const {
    const int column = keyColumn();
    if (currentIndex() < 0 || column < 0)
        return {};
    return list_->dataset()->textAt(currentIndex(), column);
}

void DBLookupComboBox::setKeyValue(const QString& key) {
    pendingKey_ = key;
    const int column = keyColumn();
    int row = -1;
    if (!key.isEmpty() && column >= 0) {
        const int count = model_->rowCount();
        for (int i = 0; i < count && row < 0; ++i)
            if (list_->dataset()->textAt(i, column) == key)
                row = i;
    }
    loading_ = true;
    setCurrentIndex(row);
    loading_ = false;
}

void DBLookupComboBox::listChanged() {
    db::Dataset* d = list_->dataset();
    const int shown = d && d->isOpen() ? d->fieldIndex(listField_) : -1;
    loading_ = true;
    setModelColumn(std::max(shown, 0));
    loading_ = false;
    setKeyValue(pendingKey_);
}

void DBLookupComboBox::dataChange() {
    setKeyValue(link_->text());
}

void DBLookupComboBox::chosen(int row) {
    if (!link_->dataSource())
        return;
    if (!beginChange(*link_)) {
        dataChange();
        return;
    }
    // Auto-edit on an empty dataset has shown its new blank row: choose again.
    loading_ = true;
    setCurrentIndex(row);
    loading_ = false;
    pendingKey_ = keyValue();
    link_->setModified();
}

void DBLookupComboBox::showEvent(QShowEvent* event) {
    QComboBox::showEvent(event);
    model_->activate();
}

void DBLookupComboBox::showPopup() {
    model_->activate();
    QComboBox::showPopup();
}

} // namespace corvalen
