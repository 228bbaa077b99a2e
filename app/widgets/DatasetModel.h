#pragma once

#include "DataSource.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QPointer>
#include <vector>
class Dataset;
class Field;

// A table model over one dataset, seen through its data source: one column per
// visible field in field order, one row per row the dataset holds (after its
// filter). Everything shown is already in the dataset's memory, so neither
// data() nor painting ever reaches the database, and a reset does no work per
// row. Edits go through Field::setText, so masks, integer checks and set-text
// rules apply; a refusal is shown with the default error box and the row stays
// as the refusal left it. The model follows the dataset's notifications; it
// does not own the data source and empties itself when the source goes away.
// UI thread only.
class DatasetModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role
    {
        // Horizontal header: the field's name.
        FieldNameRole = Qt::UserRole,
        // Cells: the field's value as the dataset holds it.
        ValueRole,
    };

    explicit DatasetModel(DataSource& source, QObject* parent = nullptr);
    ~DatasetModel() override;

    DataSource* dataSource() const { return m_source; }
    Dataset* dataset() const { return m_dataset; }

    // The field shown in a model column; nullptr outside the columns.
    Field* fieldAt(int column) const;
    int columnOfField(const Field& field) const;
    int columnOfField(const QString& name) const;
    // Reads the visible fields again (after a field's visibility changed).
    void refreshColumns();

    // The text colour of a field's cells; an invalid colour restores the default.
    void setFieldForeground(const QString& fieldName, const QColor& color);
    QColor fieldForeground(const QString& fieldName) const;

    // The text an editor of the field starts from; Field::setText takes it back.
    // A masked text shows its edit text (blank characters in unfilled positions).
    static QString editText(const Field& field, const QVariant& value);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Moves the dataset to the row when needed, then Field::setText. Returns
    // false, after reporting, when the dataset refuses.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    void resetFromDataset();
    void readColumns();
    void watchLookups();
    void onRowInserted(int row);
    void onRowRemoved(int row);
    void onRowChanged(int row);
    void onLookupChanged();
    void onSourceGone();
    int datasetRow(int modelRow) const;

    QPointer<DataSource> m_source;
    Dataset* m_dataset = nullptr;
    std::vector<int> m_fieldIndexes; // per model column, the field's index in the dataset
    int m_rows = 0; // the rows announced to the views
    // While a row is announced, the dataset already holds (or lacks) it; the
    // views must still see the old rows until the announcement ends.
    int m_insertingAt = -1;
    int m_removingAt = -1;
    QHash<QString, QColor> m_foreground;
    std::vector<QMetaObject::Connection> m_lookupConnections;
};
