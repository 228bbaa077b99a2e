#pragma once

#include <QStyledItemDelegate>

class DBGrid;
class Field;

// The cell painter and in-place editor factory of a DBGrid: a MaskEdit for a
// field with an edit mask, a list of the lookup's choices for a lookup field,
// a plain line edit otherwise. Writing goes through the model (Field::setText);
// an editor the user has not changed writes nothing. Keys and focus changes of
// the editor are the grid's to handle. Owned by its grid.
class DBGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit DBGridDelegate(DBGrid& grid);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // Whether the last setModelData wrote the editor's text, or had nothing to write.
    bool lastWriteSucceeded() const { return m_lastWriteSucceeded; }
    void clearWriteResult() { m_lastWriteSucceeded = true; }
    // The user changed the editor's text since it was loaded or written.
    static bool isEditorModified(const QWidget* editor);
    // Loads the field's value again, dropping the user's changes.
    void revertEditor(QWidget* editor, const QModelIndex& index) const;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    Field* fieldOf(const QModelIndex& index) const;

    DBGrid& m_grid;
    mutable bool m_lastWriteSucceeded = true;
};
