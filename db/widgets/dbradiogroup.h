#pragma once
// Bound radio group: a captioned box of items, each with a stored value. It selects the item
// whose value equals the field's text exactly, and none (item index -1) when no value matches,
// as on a new row. Choosing an item (click, arrow keys, space) starts edit state and marks the
// row changed; the item's value goes into the field when the row is posted.
//
//     auto* g = new DBRadioGroup("Nível de acesso:", Dm2->DataSource3, "nivel", this);
//     g->setItems({"Usuario comum", "Administrador"}, {"0", "1"});

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QGridLayout;

namespace corvalen {

namespace db {
class DataSource;
}
class BoundLink;

class DBRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit DBRadioGroup(const QString& caption, db::DataSource* source = nullptr,
                          const QString& field = {}, QWidget* parent = nullptr);

    db::DataSource* dataSource() const;
    void setDataSource(db::DataSource* source);
    QString dataField() const;
    void setDataField(const QString& field);
    BoundLink* dataLink() const { return link_; }

    // Captions and their stored values, in order; without values the captions are stored.
    void setItems(const QStringList& captions, const QStringList& values = {});
    QStringList items() const { return captions_; }
    QStringList values() const { return values_.isEmpty() ? captions_ : values_; }
    void setColumns(int columns);

    int itemIndex() const { return index_; }
    QString value() const; // the selected item's value, empty when none

signals:
    void changed(); // the user chose an item

private:
    void dataChange();
    void select(int index);
    void clicked(int index);
    void layoutItems();

    BoundLink* link_;
    QButtonGroup* buttons_;
    QGridLayout* layout_;
    QStringList captions_;
    QStringList values_;
    int columns_ = 1;
    int index_ = -1;
};

} // namespace corvalen
