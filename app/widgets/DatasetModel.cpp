#include "DatasetModel.h"

#include "DataSource.h"
#include "Dataset.h"
#include "EditMask.h"
#include "Field.h"
#include "Guard.h"

#include <QBrush>
#include <QSet>

DatasetModel::DatasetModel(DataSource& source, QObject* parent)
    : QAbstractTableModel(parent)
    , m_source(&source)
    , m_dataset(&source.dataset())
{
    Dataset& dataset = *m_dataset;
    connect(&dataset, &Dataset::rowsReset, this, &DatasetModel::resetFromDataset);
    connect(&dataset, &Dataset::rowInserted, this, &DatasetModel::onRowInserted);
    connect(&dataset, &Dataset::rowRemoved, this, &DatasetModel::onRowRemoved);
    connect(&dataset, &Dataset::rowChanged, this, &DatasetModel::onRowChanged);
    connect(&dataset, &QObject::destroyed, this, &DatasetModel::onSourceGone);
    connect(&source, &QObject::destroyed, this, &DatasetModel::onSourceGone);
    readColumns();
    m_rows = dataset.isOpen() ? dataset.recordCount() : 0;
    watchLookups();
}

DatasetModel::~DatasetModel() = default;

void DatasetModel::onSourceGone()
{
    if (!m_dataset)
        return;
    // The dataset may be half destroyed already: nothing may reach it, not
    // even the views asking about the columns while the reset is announced.
    for (const auto& connection : m_lookupConnections)
        disconnect(connection);
    m_lookupConnections.clear();
    disconnect(m_dataset, nullptr, this, nullptr);
    m_dataset = nullptr;
    beginResetModel();
    m_fieldIndexes.clear();
    m_rows = 0;
    endResetModel();
}

void DatasetModel::readColumns()
{
    m_fieldIndexes.clear();
    if (!m_dataset)
        return;
    for (int i = 0; i < m_dataset->fieldCount(); ++i) {
        if (m_dataset->fieldAt(i).isVisible())
            m_fieldIndexes.push_back(i);
    }
}

void DatasetModel::watchLookups()
{
    for (const auto& connection : m_lookupConnections)
        disconnect(connection);
    m_lookupConnections.clear();
    if (!m_dataset)
        return;
    // A lookup shows a row of another dataset; when those rows change, the
    // shown names do too.
    QSet<Dataset*> watched;
    for (const int index : m_fieldIndexes) {
        Dataset* other = m_dataset->fieldAt(index).lookup().dataset;
        if (!other || other == m_dataset || watched.contains(other))
            continue;
        watched.insert(other);
        m_lookupConnections.push_back(
            connect(other, &Dataset::rowsReset, this, &DatasetModel::onLookupChanged));
        m_lookupConnections.push_back(
            connect(other, &Dataset::rowChanged, this, &DatasetModel::onLookupChanged));
        m_lookupConnections.push_back(
            connect(other, &Dataset::rowRemoved, this, &DatasetModel::onLookupChanged));
    }
}

void DatasetModel::onLookupChanged()
{
    if (m_rows <= 0)
        return;
    for (int column = 0; column < columnCount(); ++column) {
        if (fieldAt(column)->kind() == FieldKind::Lookup)
            Q_EMIT dataChanged(index(0, column), index(m_rows - 1, column),
                               { Qt::DisplayRole, Qt::EditRole });
    }
}

void DatasetModel::refreshColumns()
{
    resetFromDataset();
}

void DatasetModel::resetFromDataset()
{
    beginResetModel();
    // A dataset without field definitions makes new fields at each opening.
    readColumns();
    m_rows = m_dataset && m_dataset->isOpen() ? m_dataset->recordCount() : 0;
    m_insertingAt = -1;
    m_removingAt = -1;
    endResetModel();
    watchLookups();
}

void DatasetModel::onRowInserted(int row)
{
    if (row < 0 || row > m_rows || m_dataset->recordCount() != m_rows + 1) {
        resetFromDataset();
        return;
    }
    m_insertingAt = row;
    beginInsertRows(QModelIndex(), row, row);
    m_insertingAt = -1;
    ++m_rows;
    endInsertRows();
}

void DatasetModel::onRowRemoved(int row)
{
    if (row < 0 || row >= m_rows || m_dataset->recordCount() != m_rows - 1) {
        resetFromDataset();
        return;
    }
    m_removingAt = row;
    beginRemoveRows(QModelIndex(), row, row);
    m_removingAt = -1;
    --m_rows;
    endRemoveRows();
}

void DatasetModel::onRowChanged(int row)
{
    if (row < 0 || row >= m_rows || m_fieldIndexes.empty())
        return;
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

int DatasetModel::datasetRow(int modelRow) const
{
    if (m_insertingAt >= 0 && modelRow >= m_insertingAt)
        return modelRow + 1;
    if (m_removingAt >= 0) {
        if (modelRow == m_removingAt)
            return -1;
        if (modelRow > m_removingAt)
            return modelRow - 1;
    }
    return modelRow;
}

Field* DatasetModel::fieldAt(int column) const
{
    if (!m_dataset || column < 0 || column >= int(m_fieldIndexes.size()))
        return nullptr;
    const int index = m_fieldIndexes[size_t(column)];
    return index < m_dataset->fieldCount() ? &m_dataset->fieldAt(index) : nullptr;
}

int DatasetModel::columnOfField(const Field& field) const
{
    for (size_t c = 0; c < m_fieldIndexes.size(); ++c) {
        if (fieldAt(int(c)) == &field)
            return int(c);
    }
    return -1;
}

int DatasetModel::columnOfField(const QString& name) const
{
    for (size_t c = 0; c < m_fieldIndexes.size(); ++c) {
        if (const Field* field = fieldAt(int(c));
            field && field->name().compare(name, Qt::CaseInsensitive) == 0)
            return int(c);
    }
    return -1;
}

void DatasetModel::setFieldForeground(const QString& fieldName, const QColor& color)
{
    if (color.isValid())
        m_foreground.insert(fieldName.toLower(), color);
    else
        m_foreground.remove(fieldName.toLower());
    const int column = columnOfField(fieldName);
    if (column >= 0 && m_rows > 0)
        Q_EMIT dataChanged(index(0, column), index(m_rows - 1, column), { Qt::ForegroundRole });
}

QColor DatasetModel::fieldForeground(const QString& fieldName) const
{
    return m_foreground.value(fieldName.toLower());
}

QString DatasetModel::editText(const Field& field, const QVariant& value)
{
    if (field.kind() == FieldKind::Lookup)
        return value.toString();
    if (value.isNull())
        return field.type() == FieldType::Text && !field.editMask().isEmpty()
            ? EditMask(field.editMask()).emptyEditText()
            : QString();
    if (field.type() == FieldType::Text && !field.editMask().isEmpty()) {
        const EditMask mask(field.editMask());
        // A stored value the mask cannot hold is offered as it stands, never cut.
        if (mask.hasMask() && mask.fits(value.toString()))
            return mask.editText(value.toString());
    }
    return value.toString();
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_fieldIndexes.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.model() != this || !m_dataset)
        return {};
    const Field* field = fieldAt(index.column());
    const int row = datasetRow(index.row());
    if (!field || row < 0 || row >= m_dataset->recordCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_dataset->displayText(row, field->index());
    case Qt::EditRole:
        return editText(*field, m_dataset->value(row, field->index()));
    case ValueRole:
        return m_dataset->value(row, field->index());
    case Qt::TextAlignmentRole:
        if (field->kind() == FieldKind::Data
            && (field->type() == FieldType::Integer || field->type() == FieldType::AutoIncrement))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ForegroundRole: {
        if (m_foreground.isEmpty())
            return {};
        const auto found = m_foreground.constFind(field->name().toLower());
        return found == m_foreground.cend() ? QVariant() : QVariant(QBrush(*found));
    }
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    const Field* field = fieldAt(section);
    if (!field)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return field->label();
    case FieldNameRole:
        return field->name();
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return Qt::NoItemFlags;
    const Field* field = fieldAt(index.column());
    if (!field)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    bool editable = !field->isReadOnly() && m_dataset->canModify();
    if (editable && field->kind() == FieldKind::Lookup) {
        // A lookup is edited through its key field.
        const Field* key = m_dataset->findField(field->lookup().keyField);
        editable = key && !key->isReadOnly() && field->lookup().dataset;
    }
    if (editable)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    Field* field = fieldAt(index.column());
    const int row = datasetRow(index.row());
    if (!field || row < 0)
        return false;
    Dataset& dataset = *m_dataset;
    // The dataset announces the change itself (rowChanged), which becomes dataChanged.
    return guarded([&] {
        if (dataset.currentRow() != row)
            dataset.moveTo(row);
        field->setText(value.toString());
    });
}
