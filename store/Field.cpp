#include "Field.h"

#include "Dataset.h"
#include "FieldMask.h"
#include "UserError.h"

#include <QDateTime>
#include <QLocale>

Field::Field(Dataset& dataset, int index, const QString& name, FieldKind kind, FieldType type, int size)
    : m_dataset(dataset)
    , m_index(index)
    , m_name(name)
    , m_kind(kind)
    , m_type(type)
    , m_size(size)
{ }

Field& Field::setLabel(const QString& label)
{
    m_label = label;
    return *this;
}

Field& Field::setDisplayWidth(int characters)
{
    m_displayWidth = characters;
    return *this;
}

Field& Field::setVisible(bool visible)
{
    m_visible = visible;
    return *this;
}

Field& Field::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    return *this;
}

Field& Field::setRequired(bool required)
{
    m_required = required;
    return *this;
}

Field& Field::setEditMask(const QString& mask)
{
    m_editMask = mask;
    return *this;
}

Field& Field::setLookup(const Lookup& lookup)
{
    m_lookup = lookup;
    return *this;
}

QStringList Field::lookupChoices() const
{
    QStringList choices;
    const Dataset* other = m_lookup.dataset;
    if (!other || !other->isOpen())
        return choices;
    const int result = other->fieldIndex(m_lookup.resultField);
    if (result < 0)
        return choices;
    for (int row = 0; row < other->recordCount(); ++row)
        choices.append(other->value(row, result).toString());
    return choices;
}

QVariant Field::value() const
{
    return m_dataset.currentFieldValue(*this);
}

QString Field::asString() const
{
    return value().toString();
}

qint64 Field::asInteger() const
{
    return value().toLongLong();
}

void Field::setValue(const QVariant& value)
{
    if (m_readOnly)
        throw UserError(QStringLiteral("Field '%1' cannot be modified").arg(label()));
    m_dataset.setFieldValue(*this, value);
}

QVariant Field::valueFromText(const QString& text) const
{
    switch (m_type) {
    case FieldType::Integer:
    case FieldType::AutoIncrement: {
        const QString trimmed = text.trimmed();
        if (trimmed.isEmpty())
            return {};
        bool ok = false;
        const int number = trimmed.toInt(&ok); // the columns hold 32-bit integers
        if (!ok)
            throw UserError(
                QStringLiteral("'%1' is not a valid integer value for field '%2'").arg(text, label()));
        return number;
    }
    case FieldType::DateTime:
    case FieldType::Date:
    case FieldType::Time:
        if (text.trimmed().isEmpty())
            return {};
        return QVariant(text).toDateTime();
    case FieldType::Text:
        break;
    }
    if (m_editMask.isEmpty())
        return text;
    if (!maskIsComplete(m_editMask, text))
        throw UserError(QStringLiteral("Invalid input value.  Use escape key to abandon changes"));
    return maskStoredValue(m_editMask, text);
}

void Field::setText(const QString& text)
{
    if (m_setText) {
        m_setText(*this, text);
        return;
    }
    setValue(valueFromText(text));
}

QString Field::displayText() const
{
    return displayText(value());
}

QString Field::displayText(const QVariant& value) const
{
    if (value.isNull())
        return m_editMask.isEmpty() || m_type != FieldType::Text ? QString()
                                                                 : maskDisplayText(m_editMask, QString());
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return QLocale().toString(value.toDateTime(), QLocale::ShortFormat);
    case QMetaType::QDate:
        return QLocale().toString(value.toDate(), QLocale::ShortFormat);
    case QMetaType::QTime: {
        // The user's long time format, without the time zone a note does not carry.
        QString format = QLocale().timeFormat(QLocale::LongFormat);
        format.remove(QLatin1Char('t'));
        return QLocale().toString(value.toTime(), format.trimmed());
    }
    default:
        break;
    }
    if (!m_editMask.isEmpty() && m_type == FieldType::Text)
        return maskDisplayText(m_editMask, value.toString());
    return value.toString();
}
