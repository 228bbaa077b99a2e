#pragma once

#include <QString>
#include <QVariant>
#include <functional>

class Dataset;

enum class FieldKind
{
    Data,
    Lookup,
    Calculated
};
enum class FieldType
{
    Integer,
    AutoIncrement,
    Text,
    DateTime,
    Date,
    Time
};

// One field of a dataset: its definition (name, kind, type, label, width,
// flags, edit mask) and access to its value in the dataset's current row.
// Fields are owned by their dataset and live as long as it does.
class Field
{
public:
    Field(Dataset& dataset, int index, const QString& name, FieldKind kind, FieldType type, int size);

    Dataset& dataset() const { return m_dataset; }
    int index() const { return m_index; }
    const QString& name() const { return m_name; }
    FieldKind kind() const { return m_kind; }
    FieldType type() const { return m_type; }
    int size() const { return m_size; }

    // The caption the grids show; the name when no label is set.
    QString label() const { return m_label.isNull() ? m_name : m_label; }
    Field& setLabel(const QString& label);
    // Width in characters; the size when none is set.
    int displayWidth() const { return m_displayWidth > 0 ? m_displayWidth : m_size; }
    Field& setDisplayWidth(int characters);
    bool isVisible() const { return m_visible; }
    Field& setVisible(bool visible);
    bool isReadOnly() const { return m_readOnly || m_kind == FieldKind::Calculated; }
    Field& setReadOnly(bool readOnly);
    bool isRequired() const { return m_required; }
    Field& setRequired(bool required);
    const QString& editMask() const { return m_editMask; }
    Field& setEditMask(const QString& mask);

    // Lookup definition: this dataset's key field, the dataset looked in, the
    // field matched there and the field whose value is shown.
    struct Lookup
    {
        QString keyField;
        Dataset* dataset = nullptr;
        QString lookupKeyField;
        QString resultField;
    };
    const Lookup& lookup() const { return m_lookup; }
    Field& setLookup(const Lookup& lookup);
    // The values offered for a lookup field: the result field of every row of
    // the lookup dataset.
    QStringList lookupChoices() const;

    // Replaces how typed text is stored (the set-text event). The handler
    // stores the text with setValue, or refuses by leaving the value as it is.
    using SetTextHandler = std::function<void(Field& field, const QString& text)>;
    void setSetTextHandler(SetTextHandler handler) { m_setText = std::move(handler); }

    // The value in the current row (the edit buffer while editing).
    QVariant value() const;
    bool isNull() const { return value().isNull(); }
    QString asString() const;
    qint64 asInteger() const;

    // Stores a value in the current row, starting editing when the dataset is
    // browsing. Throws UserError when the field cannot be changed.
    void setValue(const QVariant& value);
    // Stores text typed by the user: through the set-text handler when there
    // is one, else checked against the type and the edit mask and converted.
    void setText(const QString& text);
    // The text for display: dates in the user's formats, masked text through
    // its mask.
    QString displayText() const;
    // The same for any row of the dataset.
    QString displayText(const QVariant& value) const;

    // Converts text to this field's value as setText does, without storing it.
    QVariant valueFromText(const QString& text) const;

private:
    Dataset& m_dataset;
    int m_index;
    QString m_name;
    FieldKind m_kind;
    FieldType m_type;
    int m_size;
    QString m_label;
    int m_displayWidth = 0;
    bool m_visible = true;
    bool m_readOnly = false;
    bool m_required = false;
    QString m_editMask;
    Lookup m_lookup;
    SetTextHandler m_setText;
};
