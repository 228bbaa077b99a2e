#pragma once

#include "Field.h"

#include <QHash>
#include <QObject>
#include <QVariant>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class Connection;
class DataSource;
class Statement;

// A dataset of our own over SQLite: a statement with ":Name" parameters, its
// whole result held in memory, a current row, the states inactive, browse,
// edit and insert, and changes sent to one table, the one named as receiving
// them or else the only table the result comes from, addressed by its rowid.
// A filter on the held rows (a field contains a text) survives a change of
// statement. Fields are defined before opening (persistent fields); a dataset
// without definitions gets one data field per result column.
//
// Events run inside the operation that triggers them; a "before" handler
// refuses by throwing (OperationAborted to stay silent, UserError to explain).
// Operations that fail throw UserError with the engine's text and leave the
// dataset as it was before the failed step. UI thread only.
class Dataset : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Inactive,
        Browse,
        Edit,
        Insert
    };

    // A row whose calculated fields are being computed.
    class CalcRow
    {
    public:
        QVariant value(const QString& fieldName) const;
        void setValue(const QString& fieldName, const QVariant& value);

    private:
        friend class Dataset;
        CalcRow(Dataset& dataset, QVariant* cells)
            : m_dataset(dataset)
            , m_cells(cells)
        { }
        Dataset& m_dataset;
        QVariant* m_cells;
    };

    using Handler = std::function<void(Dataset&)>;
    struct Events
    {
        Handler beforeOpen, afterOpen, beforeClose, afterClose;
        Handler beforeInsert, afterInsert, beforeEdit, afterEdit;
        Handler beforePost, afterPost, beforeCancel, afterCancel;
        Handler beforeDelete, afterDelete, afterScroll, afterRefresh;
        std::function<void(CalcRow&)> calcFields;
    };

    explicit Dataset(Connection& connection, QObject* parent = nullptr);
    ~Dataset() override;

    Connection& connection() const { return m_connection; }
    Events& events() { return m_events; }

    // The statement; replacing it takes effect at the next opening.
    void setSql(const QString& sql);
    const QString& sql() const { return m_sql; }
    // A table dataset: every row and column of one table.
    void setTableName(const QString& table);
    void setParameter(const QString& name, const QVariant& value);
    QVariant parameter(const QString& name) const { return m_parameters.value(name); }
    // The table that receives the changes ("Unique Table").
    void setUpdateTable(const QString& table);
    const QString& updateTable() const { return m_updateTable; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // The detail link: the parameter follows a field of the master's current
    // row, and new rows take that field's value.
    void setMasterSource(DataSource* master, const QString& masterField, const QString& detailField);

    Field& addDataField(const QString& name, FieldType type, int size = 0);
    Field& addLookupField(const QString& name, const Field::Lookup& lookup, int size = 0);
    Field& addCalculatedField(const QString& name, FieldType type);
    int fieldCount() const { return int(m_fields.size()); }
    Field& fieldAt(int index) const { return *m_fields.at(size_t(index)); }
    Field* findField(const QString& name) const;
    Field& fieldByName(const QString& name) const; // throws UserError when missing
    int fieldIndex(const QString& name) const;

    void open();
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Edit || m_state == State::Insert; }
    bool isModified() const { return m_modified; }
    bool canModify() const;

    int recordCount() const { return int(m_visible.size()); }
    bool isEmpty() const { return m_visible.empty(); }
    int currentRow() const { return m_current; }
    bool atFirst() const { return m_visible.empty() || m_current <= 0; }
    bool atLast() const { return m_visible.empty() || m_current >= recordCount() - 1; }

    void first();
    void last();
    void next();
    void prior();
    void moveTo(int row);
    // Moves to the first row whose field holds the value; false when none does.
    bool locate(const QString& fieldName, const QVariant& value);

    // Value and display text of a field in any held row (the edit buffer for
    // the row being edited).
    QVariant value(int row, int fieldIndex) const;
    QString displayText(int row, int fieldIndex) const;

    void insert(); // a new row before the current one
    void append(); // a new row after the last one
    void edit();
    void post();
    void cancel();
    void remove();
    // Re-reads the rows from the database, staying on the current row.
    void refresh();
    // Posts a pending change that changed something, drops one that did not.
    void checkBrowseMode();

    // "Field LIKE '*text*'": rows whose field contains the text anywhere, any
    // letter case. The text between the wildcards is matched literally.
    void setFilter(const QString& expression);
    const QString& filter() const { return m_filter; }
    void setFiltered(bool filtered);
    bool isFiltered() const { return m_filtered; }

Q_SIGNALS:
    // The data-change notification: a field's value changed (its index), or
    // the row, the rows or the position changed (-1).
    void dataChange(int fieldIndex);
    void stateChange();
    // The held rows were replaced (open, close, refresh, filter).
    void rowsReset();
    void rowInserted(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    void currentRowChanged(int row);

private:
    friend class Field;
    struct Column
    {
        QString name;
        QString table;
        QString origin;
        QString declaredType;
    };

    struct Plan
    {
        std::vector<Column> columns;
        std::vector<QString> rowidTables;
        QString readSql;
    };
    const Plan& planFor(const QString& sql);
    Field& addField(std::unique_ptr<Field> field);
    void loadRows(Statement& statement, int skip);
    void prepareColumns();
    void convertCell(QVariant& cell, FieldType type) const;
    void computeCalcFields(QVariant* cells);
    QVariant* cellsOf(int physical);
    const QVariant* cellsOf(int physical) const;
    const QVariant* rowCells(int row) const;
    QVariant fieldValue(const Field& field, const QVariant* cells) const;
    QVariant lookupValue(const Field& field, const QVariant* cells) const;
    void setFieldValue(Field& field, const QVariant& value);
    QVariant currentFieldValue(const Field& field) const;
    int cellOf(const Field& field) const { return m_fieldCell.at(size_t(field.index())); }
    int targetRowidCell() const;
    QString targetTable() const;
    void writeRow();
    void newRow(int position);
    void rebuildVisible();
    bool matchesFilter(const QVariant* cells) const;
    void setCurrent(int row, bool notify = true);
    void masterChanged();
    QVariant masterKey() const;
    void requireOpen() const;
    void requireChangeableRow() const;
    // Back to browsing without the edit buffer.
    void leaveEditing();
    // Takes the current row out of the held rows (after a delete or a dropped insert).
    void dropCurrentRow(int physical);

    Connection& m_connection;
    Events m_events;
    QString m_sql;
    QString m_readSql; // the statement as run: with the rowid of each table
    QString m_updateTable;
    QHash<QString, QVariant> m_parameters;
    bool m_readOnly = false;
    bool m_defaultFields = false;

    std::vector<std::unique_ptr<Field>> m_fields;
    std::vector<int> m_fieldCell; // per field: its cell in a row, -1 for lookups

    std::vector<Column> m_columns; // the statement's own result columns
    std::vector<QString> m_rowidTables; // tables whose rowid each row carries
    int m_stride = 0; // cells per row: columns, rowids, calculated
    std::vector<QVariant> m_cells; // every row ever held, by physical index
    std::vector<int> m_order; // live rows in display order
    std::vector<int> m_visible; // the rows of m_order the filter lets through
    int m_current = -1;

    State m_state = State::Inactive;
    std::vector<QVariant> m_buffer; // the row being edited or inserted
    int m_bufferPhysical = -1;
    bool m_modified = false;

    QString m_filter;
    bool m_filtered = false;
    int m_filterField = -1;
    QString m_filterNeedle;
    bool m_filterAnchorStart = false;
    bool m_filterAnchorEnd = false;

    std::unordered_map<QString, Plan> m_plans;

    DataSource* m_master = nullptr;
    QString m_masterField;
    QString m_detailField;
    QVariant m_masterKeyUsed;
};
