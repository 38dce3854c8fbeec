#pragma once
// Bound lookup combo box: offers the rows that a list source's dataset holds at that moment,
// in the dataset's order, showing one field (the list field) and standing for another (the key
// field). keyValue() is the chosen row's key as text, empty while none is chosen. The list
// dataset's cursor is never moved.
//
// It may also be bound to a field of another data source (setDataSource/setDataField): it
// then shows the row whose key equals that field's text, and choosing a row starts edit state
// and puts the key into the field when the row is posted.
//
//     auto* p = new DBLookupComboBox(Dm2->DataSource3, "cod", "medico", this);
//     const QString cod = p->keyValue();

#include <QComboBox>

namespace corvalen {

namespace db {
class DataSource;
}
class BoundLink;
class DatasetModel;

class DBLookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DBLookupComboBox(db::DataSource* listSource = nullptr, const QString& keyField = {},
                              const QString& listField = {}, QWidget* parent = nullptr);

    db::DataSource* listSource() const;
    void setListSource(db::DataSource* source);
    QString keyField() const { return keyField_; }
    void setKeyField(const QString& field);
    QString listField() const { return listField_; }
    void setListField(const QString& field);

    db::DataSource* dataSource() const;
    void setDataSource(db::DataSource* source);
    QString dataField() const;
    void setDataField(const QString& field);

    QString keyValue() const;
    // Chooses the row whose key text is `key`; none when no row has it.
    void setKeyValue(const QString& key);

protected:
    void showEvent(QShowEvent* event) override;
    void showPopup() override;

private:
    void listChanged();
    void dataChange();
    void chosen(int row);
    int keyColumn() const;

    BoundLink* list_;
    BoundLink* link_;
    DatasetModel* model_;
    QString keyField_;
    QString listField_;
    QString pendingKey_; // the key to show again after the list is rebuilt
    bool loading_ = false;
};

} // namespace corvalen
