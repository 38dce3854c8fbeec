#pragma once
// A query dataset over the program's connection: SQL as lines, the four states (inactive,
// browse, edit, insert), a cursor over the rows of the result held in memory, fields by
// position and by name, named parameters, a filter switch with an accept rule, and the pending
// row that Post writes to the base table (through RowWriter, optimistically locked). Bound
// controls, grids and navigators observe it through its signals and, for copying their text
// into fields, through DataLink.
//
// A snapshot: the rows are those of the result when it was read, and stay so until the
// dataset is re-read on purpose (Close and Open, Refresh).
//
// Rows are fetched when first needed, not at Open: a dataset opened at start-up over a large
// table and never looked at costs only the description of its columns. Reading the current
// row of an unfiltered dataset whose rows have not been fetched reads its first row alone (a
// bound control showing it costs one row; a result of one row is then complete). Moving and
// counting fetch them all, keeping the values of the row already shown. Insert, Append, Edit
// and Post on the current row fetch nothing: a new row added before the rows are fetched
// takes its place among them when they are (Insert before the current row, Append after the
// last), and rows posted meanwhile are not listed twice.
//
// A failed read leaves the rows unread: the next access tries again (and raises again), so a
// failure never passes for an empty result.

#include "db/engine.h"
#include "platform/error.h"

#include <QObject>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

namespace corvalen::db {

class Dataset;

// A field of the open result: a handle on a column of the dataset's current row.
class Field {
public:
    Field(Dataset* dataset, int index) : dataset_(dataset), index_(index) {}

    int index() const { return index_; }
    QString name() const;
    FieldType type() const;
    int size() const; // width in characters of a text column, 0 otherwise
    bool isNull() const;
    bool readOnly() const;

    QVariant value() const;      // the variant value; null reads as an invalid QVariant
    QString asString() const;    // text; null reads as empty text
    QString displayText() const; // text with the field's display format
    int asInteger() const;       // raises the program's conversion errors

    void setValue(const QVariant& value);  // the dataset must be in edit or insert state
    void setAsString(const QString& text); // converts to the column type or raises
    void clear();

    QString displayFormat() const;
    void setDisplayFormat(const QString& format); // "hh:nn" for time fields

private:
    Dataset* dataset_;
    int index_;
};

// Implemented by bound controls: called before the pending row is written (and by the
// browse-mode check) to copy a control's text into its field. May raise; the error stops the
// post and the row stays pending.
class DataLink {
public:
    virtual ~DataLink() = default;
    virtual void updateRecord() = 0;
};

class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Dataset(const QString& name, QObject* parent = nullptr);
    ~Dataset() override;

    // The connection; by default the program's shared connection.
    void setDatabase(const QSqlDatabase& db);
    QSqlDatabase database() const;

    // SQL text. Any change to the lines closes the dataset first.
    QStringList sql() const { return sql_; }
    void setSql(const QStringList& lines);
    void clearSql();
    void addSql(const QString& line);
    QString statementText() const; // the lines, each followed by CR LF

    // Named parameters (":name" in the SQL), given values before Open.
    void setParameter(const QString& name, const QVariant& value);
    QVariant parameter(const QString& name) const;

    // The fields that the dataset declares; opening fails when the result lacks one.
    void setRequiredFields(const QStringList& columns);

    // Opening and closing.
    void open();
    void close();
    void requery(); // Close then Open; the filter switch keeps its setting
    void refresh(); // re-reads the rows, staying near the current row
    bool isOpen() const { return state_ != State::Inactive; }
    State state() const { return state_; }
    bool isEditing() const { return state_ == State::Edit || state_ == State::Insert; }
    bool canModify() const; // a single-table result that can be written back

    // Navigation over the accepted rows.
    void first();
    void prior();
    void next();
    void last();
    void moveTo(int row); // row index among the accepted rows (browse-mode check first)
    int recNo() const;    // current row index among the accepted rows, -1 without rows
    bool bof();
    bool eof();
    int recordCount(); // exact number of accepted rows
    bool isEmpty();

    // Editing.
    void insert();
    void append();
    void edit();
    void post();
    void cancel();
    void remove(); // Delete
    void checkBrowseMode();
    bool modified() const { return modified_; }

    // Fields.
    int fieldCount() const { return int(columns_.size()); }
    Field field(int index);
    Field fieldByName(const QString& name);    // raises "<name>: Field '<column>' not found"
    int fieldIndex(const QString& name) const; // -1 when absent
    const ColumnInfo& column(int index) const { return columns_.at(size_t(index)); }

    // Random access for grids: value of a field in a row among the accepted rows. The current
    // row in edit or insert state reads its pending values.
    QVariant valueAt(int row, int field);
    QString textAt(int row, int field);
    QString displayTextAt(int row, int field);

    // Filtering: while the switch is on, the accept rule decides which rows exist. The rule is
    // asked with the dataset positioned on the row (read it through field()).
    using AcceptRule = std::function<bool(Dataset&)>;
    void setAcceptRule(AcceptRule rule) { acceptRule_ = std::move(rule); }
    bool filtered() const { return filtered_; }
    void setFiltered(bool on);
    // A cheaper rule for callers that keep derived data per fetched row: it is given the
    // fetched rows in result order (ascending indices) and keeps, in that order, those it
    // accepts. Asked once for the whole list instead of once per row; when set, it is used
    // instead of the accept rule.
    using IndexedRule = std::function<void(std::vector<int>& fetchedRows)>;
    void setIndexedRule(IndexedRule rule) { indexedRule_ = std::move(rule); }
    // Rows fetched in memory, in result order (fetches them), for derived data.
    int fetchedCount();
    QVariant fetchedValue(int fetchedRow, int field);
    int fetchedIndexOf(int row) const; // fetched row behind an accepted row

    // Makes the fields read one row (among the accepted rows) while the scope lives: a grid
    // uses it so that a window's cell-drawing handler reads the drawn row through field(). The
    // current row in edit or insert state still reads its pending values.
    class RowScope {
    public:
        RowScope(Dataset& dataset, int row);
        ~RowScope();
        RowScope(const RowScope&) = delete;
        RowScope& operator=(const RowScope&) = delete;

    private:
        Dataset& dataset_;
        int saved_;
    };

    // Bound controls that copy their text into fields.
    void addLink(DataLink* link);
    void removeLink(DataLink* link);

    // Field display formats, kept across re-opens by column name.
    void setDisplayFormat(const QString& column, const QString& format);

    static QString stateName(State s);

    // The text of a fetched row's value as Field::asString gives it.
    QString fetchedText(int fetchedRow, int field);

signals:
    void stateChanged(); // open, close, edit, insert, post, cancel
    // The list of rows (and on open and close the fields) is about to be rebuilt, and has been
    // (open, close, filter, refresh, and a read that succeeds after a failed one). Nothing of
    // the rows changes before the first signal.
    void rowsAboutToReset();
    void rowsReset();
    void rowInserted(int row); // a new row appeared at that position
    void rowRemoved(int row);
    void rowChanged(int row);     // values of that row changed
    void currentChanged();        // the cursor moved to another row
    void fieldChanged(int field); // a value of the current row changed
    void beforeAction();          // before Open or Close (master links)

private:
    friend class Field;
    struct Row {
        std::vector<QVariant> values;
        bool deleted = false;
    };

    // Reading.
    void ensureFetched();
    std::vector<Row> fetchAll();
    void adoptFetched(std::vector<Row> fetched);
    std::unique_ptr<engine::Rows> runStatement(int rowsWanted = 0); // 0: all of them
    Row readRow(const engine::Rows& rows) const;
    const Row* head();
    void readFailed();
    void readSucceeded();
    bool rowsReadAlone() const; // the current row can be read before the rows are fetched
    bool keyed() const;         // the result holds its table's key
    bool sameKey(const Row& a, const Row& b) const;

    // Cursor and rows.
    void buildVisible();
    bool accepts(int fetchedRow);
    void setCurrent(int row);
    void setState(State s);
    void addRow(bool append);
    void dropInsertedRow();
    Row& currentRow();
    int knownRecNo() const; // the current row's index when known without fetching, else -1
    void resetRows(const std::function<void()>& change);

    // Writing.
    void updateRecord();
    void writeRow(bool inserting);
    void requireEditing() const;
    void requireOpen() const;
    QVariant& pendingValue(int field);
    const QVariant& currentValue(int field);
    int visibleCount() const;
    int fetchedAt(int row) const;
    Error notInEditMode() const;
    QString findBaseTable() const;

    QSqlDatabase db_;
    bool dbSet_ = false;
    QStringList sql_;
    QStringList required_;
    std::vector<std::pair<QString, QVariant>> params_;
    // The parameters as bound for the open result (names and storage values), fixed at Open so
    // that a later read of the same snapshot asks the same question.
    engine::Binds binds_;
    std::vector<ColumnInfo> columns_;
    QString baseTable_; // of columns_
    std::vector<QString> displayFormats_;
    std::vector<std::pair<QString, QString>> formatByColumn_;
    // The rows in memory. Before the result is fetched they are the rows added here, listed in
    // visible_ in their order, the first holeAt_ of them above the rows still to be fetched.
    std::vector<Row> rows_;
    std::size_t deletedRows_ = 0; // rows_ marked deleted
    bool fetched_ = false;
    int holeAt_ = 0;
    // The first row of the result, read alone before the rows are fetched (with a peek at the
    // second: a result of one row is complete at once).
    bool headRead_ = false;
    std::optional<Row> head_;
    bool readFailed_ = false;  // the last read failed; the next success is announced
    std::vector<int> visible_; // fetched indices of the accepted rows (while filtered)
    // The current row: an index into visible_, or, before the fetch, onHead_ for the first row
    // of the result.
    int cur_ = -1;
    bool onHead_ = false;
    bool bof_ = true;
    bool eof_ = true;
    State state_ = State::Inactive;
    Row pending_;
    Row original_;
    bool modified_ = false;
    bool filtered_ = false;
    AcceptRule acceptRule_;
    IndexedRule indexedRule_;
    int probing_ = -1; // fetched row the accept rule is looking at
    std::vector<DataLink*> links_;
};

} // namespace corvalen::db
