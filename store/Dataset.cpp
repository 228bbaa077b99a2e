#include "Dataset.h"

#include "Connection.h"
#include "DataSource.h"
#include "UserError.h"

#include <QDateTime>
#include <QRegularExpression>
#include <algorithm>
#include <sqlite3.h>

namespace {

FieldType typeFromDeclaration(const QString& declared, bool isRowidAlias)
{
    const QString upper = declared.toUpper();
    if (upper.startsWith(QLatin1String("INT")))
        return isRowidAlias ? FieldType::AutoIncrement : FieldType::Integer;
    if (upper.startsWith(QLatin1String("DATETIME")) || upper.startsWith(QLatin1String("TIMESTAMP")))
        return FieldType::DateTime;
    return FieldType::Text;
}

int sizeFromDeclaration(const QString& declared)
{
    static const QRegularExpression size(QStringLiteral(R"(\(\s*(\d+)\s*\))"));
    const QRegularExpressionMatch match = size.match(declared);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a == b;
}

// Where the rowids of the origin tables go in a "SELECT ..." statement: right
// after the keyword, so that "SELECT *" keeps its meaning.
qsizetype selectListStart(const QString& sql)
{
    static const QRegularExpression select(QStringLiteral(R"(^\s*SELECT\s+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = select.match(sql);
    if (!match.hasMatch())
        return -1;
    if (sql.mid(match.capturedEnd(), 8).startsWith(QLatin1String("DISTINCT"), Qt::CaseInsensitive))
        return -1;
    return match.capturedEnd();
}

} // namespace

// ---------------------------------------------------------------------------

QVariant Dataset::CalcRow::value(const QString& fieldName) const
{
    const Field& field = m_dataset.fieldByName(fieldName);
    return m_dataset.fieldValue(field, m_cells);
}

void Dataset::CalcRow::setValue(const QString& fieldName, const QVariant& value)
{
    const Field& field = m_dataset.fieldByName(fieldName);
    if (field.kind() != FieldKind::Calculated)
        throw UserError(QStringLiteral("Field '%1' is not a calculated field").arg(fieldName));
    m_cells[m_dataset.cellOf(field)] = value;
}

// ---------------------------------------------------------------------------

Dataset::Dataset(Connection& connection, QObject* parent)
    : QObject(parent)
    , m_connection(connection)
{ }

Dataset::~Dataset() = default;

void Dataset::setSql(const QString& sql)
{
    m_sql = sql;
}

void Dataset::setTableName(const QString& table)
{
    m_sql = QStringLiteral("SELECT * FROM ") + table;
    m_updateTable = table;
}

void Dataset::setUpdateTable(const QString& table)
{
    if (table == m_updateTable)
        return;
    m_updateTable = table;
    // Whether the rows can be changed may have changed with it.
    if (isOpen())
        Q_EMIT stateChange();
}

void Dataset::setParameter(const QString& name, const QVariant& value)
{
    m_parameters.insert(name, value);
}

void Dataset::setMasterSource(DataSource* master, const QString& masterField, const QString& detailField)
{
    if (m_master)
        disconnect(m_master, nullptr, this, nullptr);
    m_master = master;
    m_masterField = masterField;
    m_detailField = detailField;
    if (m_master) {
        connect(m_master, &DataSource::dataChange, this, [this](int) { masterChanged(); });
        connect(&m_master->dataset(), &Dataset::rowsReset, this, [this] { masterChanged(); });
    }
}

QVariant Dataset::masterKey() const
{
    const Dataset& master = m_master->dataset();
    if (!master.isOpen() || master.isEmpty())
        return {};
    const Field* field = master.findField(m_masterField);
    return field ? field->value() : QVariant();
}

void Dataset::masterChanged()
{
    if (!isOpen())
        return;
    const QVariant key = masterKey();
    if (sameValue(key, m_masterKeyUsed))
        return;
    // Runs from the master's notification, where nothing may escape.
    try {
        close();
        open();
    } catch (const UserError&) {
        // The detail stays closed, as after any failed opening; the master's
        // own operation has succeeded and is not undone.
    }
}

Field& Dataset::addField(std::unique_ptr<Field> field)
{
    if (isOpen())
        throw UserError(QStringLiteral("Cannot add fields to an open dataset"));
    if (m_defaultFields) {
        m_fields.clear();
        m_defaultFields = false;
    }
    m_fields.push_back(std::move(field));
    return *m_fields.back();
}

Field& Dataset::addDataField(const QString& name, FieldType type, int size)
{
    return addField(std::make_unique<Field>(*this, fieldCount(), name, FieldKind::Data, type, size));
}

Field& Dataset::addLookupField(const QString& name, const Field::Lookup& lookup, int size)
{
    Field& field = addField(
        std::make_unique<Field>(*this, fieldCount(), name, FieldKind::Lookup, FieldType::Text, size));
    field.setLookup(lookup);
    return field;
}

Field& Dataset::addCalculatedField(const QString& name, FieldType type)
{
    return addField(std::make_unique<Field>(*this, fieldCount(), name, FieldKind::Calculated, type, 0));
}

Field* Dataset::findField(const QString& name) const
{
    for (const auto& field : m_fields) {
        if (field->name().compare(name, Qt::CaseInsensitive) == 0)
            return field.get();
    }
    return nullptr;
}

Field& Dataset::fieldByName(const QString& name) const
{
    Field* field = findField(name);
    if (!field)
        throw UserError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), name));
    return *field;
}

int Dataset::fieldIndex(const QString& name) const
{
    const Field* field = findField(name);
    return field ? field->index() : -1;
}

bool Dataset::canModify() const
{
    return isOpen() && !m_readOnly && !targetTable().isEmpty() && targetRowidCell() >= 0;
}

QString Dataset::targetTable() const
{
    if (!m_updateTable.isEmpty()) {
        for (const QString& table : m_rowidTables) {
            if (table.compare(m_updateTable, Qt::CaseInsensitive) == 0)
                return table;
        }
        return {};
    }
    return m_rowidTables.size() == 1 ? m_rowidTables.front() : QString();
}

int Dataset::targetRowidCell() const
{
    const QString table = targetTable();
    for (size_t i = 0; i < m_rowidTables.size(); ++i) {
        if (m_rowidTables[i] == table)
            return int(m_columns.size() + i);
    }
    return -1;
}

void Dataset::requireChangeableRow() const
{
    if (m_current < 0)
        throw UserError(
            QStringLiteral("%1: Cannot perform this operation on an empty dataset").arg(objectName()));
    if (!canModify())
        throw UserError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(objectName()));
}

void Dataset::requireOpen() const
{
    if (!isOpen())
        throw UserError(
            QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(objectName()));
}

// ---------------------------------------------------------------------------
// Opening and closing

void Dataset::open()
{
    if (isOpen())
        return;
    if (m_events.beforeOpen)
        m_events.beforeOpen(*this);
    if (!m_connection.isOpen())
        throw UserError(QStringLiteral("%1: The database is not connected.").arg(objectName()));

    const Plan& plan = planFor(m_sql);
    Statement* statement = &m_connection.cachedStatement(plan.readSql);
    m_readSql = plan.readSql;
    m_columns = plan.columns;
    m_rowidTables = plan.rowidTables;
    prepareColumns();

    for (auto it = m_parameters.cbegin(); it != m_parameters.cend(); ++it)
        statement->bind(it.key(), it.value());
    if (m_master) {
        m_masterKeyUsed = masterKey();
        statement->bind(m_detailField, m_masterKeyUsed);
    }
    try {
        loadRows(*statement, int(m_rowidTables.size()));
    } catch (...) {
        statement->reset();
        m_cells.clear();
        m_order.clear();
        m_visible.clear();
        throw;
    }
    statement->reset();

    m_state = State::Browse;
    rebuildVisible();
    m_current = m_visible.empty() ? -1 : 0;
    Q_EMIT rowsReset();
    Q_EMIT stateChange();
    Q_EMIT dataChange(-1);
    if (m_events.afterOpen)
        m_events.afterOpen(*this);
}

const Dataset::Plan& Dataset::planFor(const QString& sql)
{
    // What a statement's columns are and where they come from is worked out
    // once per statement text, not at every reopening of the same query.
    const auto found = m_plans.find(sql);
    if (found != m_plans.end())
        return found->second;

    Plan plan;
    Statement& plain = m_connection.cachedStatement(sql);
    for (int c = 0; c < plain.columnCount(); ++c) {
        Column column { plain.columnName(c), plain.columnTable(c), plain.columnOrigin(c),
                        plain.columnDeclaredType(c) };
        if (!column.table.isEmpty()
            && std::find(plan.rowidTables.begin(), plan.rowidTables.end(), column.table)
                == plan.rowidTables.end())
            plan.rowidTables.push_back(column.table);
        plan.columns.push_back(column);
    }
    plain.reset();

    // The same statement carrying the rowid of each table it reads, so a row
    // can be addressed in whichever table receives the changes.
    plan.readSql = sql;
    const qsizetype listStart = selectListStart(sql);
    if (!plan.rowidTables.empty() && listStart >= 0) {
        QString rowids;
        for (size_t i = 0; i < plan.rowidTables.size(); ++i)
            rowids += QStringLiteral("%1.rowid AS \"orvanta_rowid_%2\", ").arg(plan.rowidTables[i]).arg(i);
        QString augmented = sql;
        augmented.insert(listStart, rowids);
        try {
            m_connection.cachedStatement(augmented);
            plan.readSql = augmented;
        } catch (const UserError&) {
            plan.rowidTables.clear(); // an alias or a view: the rows cannot be addressed
        }
    } else {
        plan.rowidTables.clear();
    }
    return m_plans.emplace(sql, std::move(plan)).first->second;
}

void Dataset::prepareColumns()
{
    if (m_fields.empty() || m_defaultFields) {
        m_fields.clear();
        m_defaultFields = true;
        for (const Column& column : m_columns) {
            bool rowidAlias = false;
            if (!column.table.isEmpty()) {
                int primaryKey = 0;
                const QByteArray table = column.table.toUtf8();
                const QByteArray origin = column.origin.toUtf8();
                sqlite3_table_column_metadata(m_connection.handle(), nullptr, table.constData(),
                                              origin.constData(), nullptr, nullptr, nullptr, &primaryKey,
                                              nullptr);
                rowidAlias
                    = primaryKey != 0 && column.declaredType.toUpper().startsWith(QLatin1String("INT"));
            }
            m_fields.push_back(std::make_unique<Field>(*this, fieldCount(), column.name, FieldKind::Data,
                                                       typeFromDeclaration(column.declaredType, rowidAlias),
                                                       sizeFromDeclaration(column.declaredType)));
        }
    }

    const int calcBase = int(m_columns.size() + m_rowidTables.size());
    int calcCount = 0;
    m_fieldCell.assign(m_fields.size(), -1);
    for (const auto& field : m_fields) {
        if (field->kind() == FieldKind::Calculated) {
            m_fieldCell[size_t(field->index())] = calcBase + calcCount++;
        } else if (field->kind() == FieldKind::Data) {
            auto column = std::find_if(m_columns.begin(), m_columns.end(), [&](const Column& c) {
                return c.name.compare(field->name(), Qt::CaseInsensitive) == 0;
            });
            if (column == m_columns.end())
                throw UserError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), field->name()));
            m_fieldCell[size_t(field->index())] = int(column - m_columns.begin());
        }
    }
    m_stride = calcBase + calcCount;
}

void Dataset::loadRows(Statement& statement, int skip)
{
    m_cells.clear();
    m_order.clear();
    const int columns = int(m_columns.size());
    std::vector<std::pair<int, FieldType>> converted;
    bool hasCalc = false;
    for (const auto& field : m_fields) {
        if (field->kind() == FieldKind::Data
            && (field->type() == FieldType::DateTime || field->type() == FieldType::Date
                || field->type() == FieldType::Time))
            converted.emplace_back(cellOf(*field), field->type());
        hasCalc = hasCalc || field->kind() == FieldKind::Calculated;
    }

    while (statement.step()) {
        const size_t base = m_cells.size();
        m_cells.resize(base + size_t(m_stride));
        QVariant* row = &m_cells[base];
        for (int c = 0; c < columns; ++c)
            row[c] = statement.columnValue(skip + c);
        for (int t = 0; t < skip; ++t)
            row[columns + t] = statement.columnValue(t);
        for (const auto& [cell, type] : converted)
            convertCell(row[cell], type);
        m_order.push_back(int(base / size_t(m_stride)));
    }
    if (hasCalc) {
        for (const int physical : m_order)
            computeCalcFields(cellsOf(physical));
    }
}

namespace {

// "yyyy-MM-ddTHH:mm:ss" (or with a blank for the T), read directly: this runs
// for every call note each time the current contact changes.
QDateTime parseStamp(const QString& text)
{
    const auto number = [&](qsizetype from, qsizetype length, int& value) {
        value = 0;
        for (qsizetype i = from; i < from + length; ++i) {
            const char16_t c = text.at(i).unicode();
            if (c < u'0' || c > u'9')
                return false;
            value = value * 10 + (c - u'0');
        }
        return true;
    };
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (text.size() == 19 && text.at(4) == u'-' && text.at(7) == u'-'
        && (text.at(10) == u'T' || text.at(10) == u' ') && text.at(13) == u':' && text.at(16) == u':'
        && number(0, 4, year) && number(5, 2, month) && number(8, 2, day) && number(11, 2, hour)
        && number(14, 2, minute) && number(17, 2, second)) {
        const QDateTime moment(QDate(year, month, day), QTime(hour, minute, second));
        if (moment.isValid())
            return moment;
    }
    return QDateTime::fromString(text, Qt::ISODate);
}

} // namespace

void Dataset::convertCell(QVariant& cell, FieldType type) const
{
    if (cell.isNull() || cell.typeId() != QMetaType::QString)
        return;
    const QString text = cell.toString();
    const QDateTime moment = parseStamp(text);
    switch (type) {
    case FieldType::Date:
        cell = moment.isValid() ? QVariant(moment.date()) : QVariant(QDate::fromString(text, Qt::ISODate));
        break;
    case FieldType::Time:
        cell = moment.isValid() ? QVariant(moment.time()) : QVariant(QTime::fromString(text, Qt::ISODate));
        break;
    default:
        if (moment.isValid())
            cell = moment;
        break;
    }
}

void Dataset::computeCalcFields(QVariant* cells)
{
    if (!m_events.calcFields)
        return;
    CalcRow row(*this, cells);
    m_events.calcFields(row);
}

void Dataset::close()
{
    if (!isOpen())
        return;
    if (m_events.beforeClose)
        m_events.beforeClose(*this);
    m_buffer.clear();
    m_bufferPhysical = -1;
    m_modified = false;
    m_cells.clear();
    m_order.clear();
    m_visible.clear();
    m_current = -1;
    m_state = State::Inactive;
    m_masterKeyUsed = QVariant();
    Q_EMIT rowsReset();
    Q_EMIT stateChange();
    if (m_events.afterClose)
        m_events.afterClose(*this);
}

// ---------------------------------------------------------------------------
// Rows and values

QVariant* Dataset::cellsOf(int physical)
{
    return &m_cells[size_t(physical) * size_t(m_stride)];
}

const QVariant* Dataset::cellsOf(int physical) const
{
    return &m_cells[size_t(physical) * size_t(m_stride)];
}

const QVariant* Dataset::rowCells(int row) const
{
    const int physical = m_visible.at(size_t(row));
    if (physical == m_bufferPhysical && !m_buffer.empty())
        return m_buffer.data();
    return cellsOf(physical);
}

QVariant Dataset::fieldValue(const Field& field, const QVariant* cells) const
{
    if (field.kind() == FieldKind::Lookup)
        return lookupValue(field, cells);
    const int cell = cellOf(field);
    return cell >= 0 ? cells[cell] : QVariant();
}

QVariant Dataset::lookupValue(const Field& field, const QVariant* cells) const
{
    const Field::Lookup& lookup = field.lookup();
    const Field* key = findField(lookup.keyField);
    if (!key || !lookup.dataset || !lookup.dataset->isOpen())
        return {};
    const QVariant keyValue = fieldValue(*key, cells);
    if (keyValue.isNull())
        return {};
    const Dataset& other = *lookup.dataset;
    const int otherKey = other.fieldIndex(lookup.lookupKeyField);
    const int otherResult = other.fieldIndex(lookup.resultField);
    if (otherKey < 0 || otherResult < 0)
        return {};
    for (int row = 0; row < other.recordCount(); ++row) {
        if (sameValue(other.value(row, otherKey), keyValue))
            return other.value(row, otherResult);
    }
    return {};
}

QVariant Dataset::value(int row, int fieldIndex) const
{
    if (row < 0 || row >= recordCount())
        return {};
    return fieldValue(fieldAt(fieldIndex), rowCells(row));
}

QString Dataset::displayText(int row, int fieldIndex) const
{
    return fieldAt(fieldIndex).displayText(value(row, fieldIndex));
}

QVariant Dataset::currentFieldValue(const Field& field) const
{
    if (m_current < 0 || m_current >= recordCount())
        return {};
    return fieldValue(field, rowCells(m_current));
}

void Dataset::setFieldValue(Field& field, const QVariant& value)
{
    requireOpen();
    if (field.kind() == FieldKind::Calculated)
        throw UserError(QStringLiteral("Field '%1' cannot be modified").arg(field.label()));
    if (!isEditing()) {
        if (m_current < 0)
            throw UserError(
                QStringLiteral("%1: Cannot perform this operation on an empty dataset").arg(objectName()));
        edit();
    }
    if (field.kind() == FieldKind::Lookup) {
        // Choosing a shown value stores the key of the row that shows it.
        const Field::Lookup& lookup = field.lookup();
        Field& key = fieldByName(lookup.keyField);
        if (value.isNull() || value.toString().isEmpty()) {
            setFieldValue(key, QVariant());
            return;
        }
        const Dataset* other = lookup.dataset;
        const int otherKey = other ? other->fieldIndex(lookup.lookupKeyField) : -1;
        const int otherResult = other ? other->fieldIndex(lookup.resultField) : -1;
        for (int row = 0; other && otherKey >= 0 && otherResult >= 0 && row < other->recordCount(); ++row) {
            if (other->value(row, otherResult).toString() == value.toString()) {
                setFieldValue(key, other->value(row, otherKey));
                Q_EMIT dataChange(field.index());
                return;
            }
        }
        throw UserError(
            QStringLiteral("'%1' is not a valid value for field '%2'").arg(value.toString(), field.label()));
    }
    QVariant& cell = m_buffer[size_t(cellOf(field))];
    if (sameValue(cell, value) && cell.typeId() == value.typeId())
        return;
    cell = value;
    m_modified = true;
    computeCalcFields(m_buffer.data());
    Q_EMIT rowChanged(m_current);
    Q_EMIT dataChange(field.index());
}

// ---------------------------------------------------------------------------
// Navigation

void Dataset::setCurrent(int row, bool notify)
{
    if (m_visible.empty())
        row = -1;
    else
        row = std::clamp(row, 0, recordCount() - 1);
    if (row == m_current && !notify)
        return;
    const bool moved = row != m_current;
    m_current = row;
    if (moved) {
        Q_EMIT currentRowChanged(row);
        Q_EMIT dataChange(-1);
        if (m_events.afterScroll)
            m_events.afterScroll(*this);
    }
}

void Dataset::first()
{
    moveTo(0);
}

void Dataset::last()
{
    moveTo(recordCount() - 1);
}

void Dataset::next()
{
    moveTo(m_current + 1);
}

void Dataset::prior()
{
    moveTo(m_current - 1);
}

void Dataset::moveTo(int row)
{
    requireOpen();
    checkBrowseMode();
    setCurrent(row, false);
}

bool Dataset::locate(const QString& fieldName, const QVariant& value)
{
    requireOpen();
    const int index = fieldByName(fieldName).index();
    for (int row = 0; row < recordCount(); ++row) {
        if (sameValue(this->value(row, index), value)) {
            moveTo(row);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------
// Changes

void Dataset::newRow(int position)
{
    requireOpen();
    checkBrowseMode();
    if (!canModify())
        throw UserError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(objectName()));
    if (m_events.beforeInsert)
        m_events.beforeInsert(*this);

    const int physical = int(m_cells.size() / size_t(m_stride));
    m_cells.resize(m_cells.size() + size_t(m_stride));
    m_buffer.assign(size_t(m_stride), QVariant());
    m_bufferPhysical = physical;
    if (m_master) {
        if (const Field* field = findField(m_detailField); field && field->kind() == FieldKind::Data)
            m_buffer[size_t(cellOf(*field))] = masterKey();
    }
    computeCalcFields(m_buffer.data());

    position = std::clamp(position, 0, recordCount());
    const auto orderAt = m_current >= 0 && position < recordCount()
        ? std::find(m_order.begin(), m_order.end(), m_visible[size_t(position)])
        : m_order.end();
    m_order.insert(orderAt, physical);
    m_visible.insert(m_visible.begin() + position, physical);
    m_current = position;
    m_modified = false;
    m_state = State::Insert;
    Q_EMIT rowInserted(position);
    Q_EMIT currentRowChanged(position);
    Q_EMIT stateChange();
    if (m_events.afterInsert)
        m_events.afterInsert(*this);
    Q_EMIT dataChange(-1);
}

void Dataset::insert()
{
    newRow(m_current < 0 ? 0 : m_current);
}

void Dataset::append()
{
    newRow(recordCount());
}

void Dataset::edit()
{
    requireOpen();
    if (isEditing())
        return;
    requireChangeableRow();
    if (m_events.beforeEdit)
        m_events.beforeEdit(*this);
    m_bufferPhysical = m_visible[size_t(m_current)];
    const QVariant* cells = cellsOf(m_bufferPhysical);
    m_buffer.assign(cells, cells + m_stride);
    m_modified = false;
    m_state = State::Edit;
    Q_EMIT stateChange();
    if (m_events.afterEdit)
        m_events.afterEdit(*this);
}

void Dataset::post()
{
    if (!isEditing())
        return;
    if (m_events.beforePost)
        m_events.beforePost(*this);
    for (const auto& field : m_fields) {
        if (field->isRequired() && field->kind() == FieldKind::Data) {
            const QVariant value = m_buffer[size_t(cellOf(*field))];
            if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty()))
                throw UserError(QStringLiteral("Field '%1' must have a value").arg(field->label()));
        }
    }
    writeRow();

    std::copy(m_buffer.begin(), m_buffer.end(), cellsOf(m_bufferPhysical));
    leaveEditing();
    Q_EMIT rowChanged(m_current);
    Q_EMIT stateChange();
    Q_EMIT dataChange(-1);
    if (m_events.afterPost)
        m_events.afterPost(*this);
}

void Dataset::writeRow()
{
    const QString table = targetTable();
    const int rowidCell = targetRowidCell();
    if (table.isEmpty() || rowidCell < 0)
        throw UserError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(objectName()));

    const QVariant* original = m_state == State::Edit ? cellsOf(m_bufferPhysical) : nullptr;
    QStringList names;
    QVariantList values;
    std::vector<int> keyCells;
    for (const auto& field : m_fields) {
        if (field->kind() != FieldKind::Data)
            continue;
        const int cell = cellOf(*field);
        const Column& column = m_columns[size_t(cell)];
        if (column.table != table || column.origin.isEmpty())
            continue;
        if (field->type() == FieldType::AutoIncrement)
            keyCells.push_back(cell);
        const QVariant& value = m_buffer[size_t(cell)];
        if (original ? sameValue(original[cell], value) : value.isNull())
            continue;
        names.append(column.origin);
        values.append(value);
    }

    if (m_state == State::Insert) {
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
        } else {
            QStringList marks;
            for (qsizetype i = 0; i < names.size(); ++i)
                marks.append(QStringLiteral("?"));
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(table, names.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
        }
        Statement& statement = m_connection.cachedStatement(sql);
        for (qsizetype i = 0; i < values.size(); ++i)
            statement.bind(int(i) + 1, values[i]);
        statement.run();
        // The key is known as soon as the row is stored.
        const qint64 rowid = m_connection.lastInsertRowId();
        m_buffer[size_t(rowidCell)] = rowid;
        for (const int cell : keyCells) {
            if (m_buffer[size_t(cell)].isNull())
                m_buffer[size_t(cell)] = rowid;
        }
        return;
    }

    if (names.isEmpty())
        return;
    QStringList assignments;
    for (const QString& name : names)
        assignments.append(name + QStringLiteral(" = ?"));
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                            .arg(table, assignments.join(QLatin1String(", ")));
    Statement& statement = m_connection.cachedStatement(sql);
    int position = 1;
    for (const QVariant& value : values)
        statement.bind(position++, value);
    statement.bind(position, m_buffer[size_t(rowidCell)]);
    statement.run();
}

void Dataset::cancel()
{
    if (!isEditing())
        return;
    if (m_events.beforeCancel)
        m_events.beforeCancel(*this);
    const bool wasInsert = m_state == State::Insert;
    const int physical = m_bufferPhysical;
    leaveEditing();
    if (wasInsert) {
        dropCurrentRow(physical);
    } else {
        Q_EMIT rowChanged(m_current);
    }
    Q_EMIT stateChange();
    Q_EMIT dataChange(-1);
    if (m_events.afterCancel)
        m_events.afterCancel(*this);
}

void Dataset::remove()
{
    requireOpen();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    requireChangeableRow();
    if (m_events.beforeDelete)
        m_events.beforeDelete(*this);

    const int physical = m_visible[size_t(m_current)];
    Statement& statement
        = m_connection.cachedStatement(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(targetTable()));
    statement.bind(1, cellsOf(physical)[targetRowidCell()]);
    statement.run();

    if (m_state == State::Edit) {
        leaveEditing();
        Q_EMIT stateChange();
    }
    dropCurrentRow(physical);
    Q_EMIT dataChange(-1);
    if (m_events.afterDelete)
        m_events.afterDelete(*this);
}

void Dataset::leaveEditing()
{
    m_buffer.clear();
    m_bufferPhysical = -1;
    m_modified = false;
    m_state = State::Browse;
}

void Dataset::dropCurrentRow(int physical)
{
    const int row = m_current;
    m_order.erase(std::remove(m_order.begin(), m_order.end(), physical), m_order.end());
    m_visible.erase(m_visible.begin() + row);
    Q_EMIT rowRemoved(row);
    m_current = m_visible.empty() ? -1 : std::clamp(row, 0, recordCount() - 1);
    Q_EMIT currentRowChanged(m_current);
}

void Dataset::checkBrowseMode()
{
    if (!isEditing())
        return;
    if (m_modified)
        post();
    else
        cancel();
}

void Dataset::refresh()
{
    requireOpen();
    checkBrowseMode();

    // The current row is found again by its rowid; failing that, the position.
    const int keyCell
        = targetRowidCell() >= 0 ? targetRowidCell() : (m_rowidTables.empty() ? -1 : int(m_columns.size()));
    const QVariant key = (m_current >= 0 && keyCell >= 0) ? rowCells(m_current)[keyCell] : QVariant();
    const int oldRow = m_current;

    Statement& statement = m_connection.cachedStatement(m_readSql);
    for (auto it = m_parameters.cbegin(); it != m_parameters.cend(); ++it)
        statement.bind(it.key(), it.value());
    if (m_master)
        statement.bind(m_detailField, m_masterKeyUsed);

    std::vector<QVariant> cells = std::move(m_cells);
    std::vector<int> order = std::move(m_order);
    try {
        loadRows(statement, int(m_rowidTables.size()));
    } catch (...) {
        statement.reset();
        m_cells = std::move(cells);
        m_order = std::move(order);
        throw;
    }
    statement.reset();
    rebuildVisible();

    int row = -1;
    if (!key.isNull()) {
        for (size_t i = 0; i < m_visible.size(); ++i) {
            if (sameValue(cellsOf(m_visible[i])[keyCell], key)) {
                row = int(i);
                break;
            }
        }
    }
    if (row < 0)
        row = m_visible.empty() ? -1 : std::clamp(oldRow, 0, recordCount() - 1);
    m_current = row;
    Q_EMIT rowsReset();
    Q_EMIT dataChange(-1);
    if (m_events.afterRefresh)
        m_events.afterRefresh(*this);
}

// ---------------------------------------------------------------------------
// Filter

void Dataset::setFilter(const QString& expression)
{
    static const QRegularExpression like(
        QStringLiteral(R"(^\s*([A-Za-z_][A-Za-z0-9_]*)\s+LIKE\s+'(.*)'\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    int field = -1;
    QString needle;
    bool anchorStart = true;
    bool anchorEnd = true;
    if (!expression.trimmed().isEmpty()) {
        const QRegularExpressionMatch match = like.match(expression);
        if (!match.hasMatch())
            throw UserError(
                QStringLiteral("%1: Invalid filter expression: %2").arg(objectName(), expression));
        field = fieldIndex(match.captured(1));
        if (field < 0)
            throw UserError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), match.captured(1)));
        // Only the wildcards at the two ends are wildcards: whatever the user
        // typed between them, quotes and asterisks included, is plain text.
        needle = match.captured(2);
        if (needle.startsWith(QLatin1Char('*'))) {
            anchorStart = false;
            needle.remove(0, 1);
        }
        if (needle.endsWith(QLatin1Char('*'))) {
            anchorEnd = false;
            needle.chop(1);
        }
    }
    m_filter = expression;
    m_filterField = field;
    m_filterNeedle = needle;
    m_filterAnchorStart = anchorStart;
    m_filterAnchorEnd = anchorEnd;
    if (m_filtered && isOpen()) {
        checkBrowseMode();
        rebuildVisible();
        m_current = m_visible.empty() ? -1 : 0;
        Q_EMIT rowsReset();
        Q_EMIT dataChange(-1);
    }
}

void Dataset::setFiltered(bool filtered)
{
    if (filtered == m_filtered)
        return;
    m_filtered = filtered;
    if (!isOpen())
        return;
    checkBrowseMode();
    rebuildVisible();
    m_current = m_visible.empty() ? -1 : 0;
    Q_EMIT rowsReset();
    Q_EMIT dataChange(-1);
}

bool Dataset::matchesFilter(const QVariant* cells) const
{
    const QVariant value = fieldValue(fieldAt(m_filterField), cells);
    if (value.isNull())
        return m_filterNeedle.isEmpty() && !m_filterAnchorStart;
    const QString text = value.typeId() == QMetaType::QString
        ? *static_cast<const QString*>(value.constData())
        : value.toString();
    if (m_filterAnchorStart && m_filterAnchorEnd)
        return text.compare(m_filterNeedle, Qt::CaseInsensitive) == 0;
    if (m_filterAnchorStart)
        return text.startsWith(m_filterNeedle, Qt::CaseInsensitive);
    if (m_filterAnchorEnd)
        return text.endsWith(m_filterNeedle, Qt::CaseInsensitive);
    return text.contains(m_filterNeedle, Qt::CaseInsensitive);
}

void Dataset::rebuildVisible()
{
    if (!m_filtered || m_filterField < 0) {
        m_visible = m_order;
        return;
    }
    m_visible.clear();
    for (const int physical : m_order) {
        if (matchesFilter(cellsOf(physical)))
            m_visible.push_back(physical);
    }
}
