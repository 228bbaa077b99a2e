#include "DBGridDelegate.h"

#include "DBGrid.h"
#include "DatasetModel.h"
#include "Field.h"
#include "MaskEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QPainter>

DBGridDelegate::DBGridDelegate(DBGrid& grid)
    : QStyledItemDelegate(&grid)
    , m_grid(grid)
{ }

Field* DBGridDelegate::fieldOf(const QModelIndex& index) const
{
    const DatasetModel* model = m_grid.datasetModel();
    return model && index.model() == model ? model->fieldAt(index.column()) : nullptr;
}

QWidget* DBGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const
{
    const Field* field = fieldOf(index);
    if (!field)
        return nullptr;
    QWidget* editor = nullptr;
    if (field->kind() == FieldKind::Lookup) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(false);
        combo->addItems(field->lookupChoices());
        // Choosing a name stores the key at once, as the lookup list does.
        connect(combo, &QComboBox::activated, this,
                [this, combo] { Q_EMIT const_cast<DBGridDelegate*>(this)->commitData(combo); });
        editor = combo;
    } else if (field->type() == FieldType::Text && EditMask(field->editMask()).hasMask()) {
        auto* edit = new MaskEdit(field->editMask(), parent);
        // The grid checks on writing, with the same message and beep.
        edit->setLeaveCheck(false);
        edit->setFrame(false);
        editor = edit;
    } else {
        auto* edit = new QLineEdit(parent);
        edit->setFrame(false);
        // No maximum length: a text that does not fit is refused by the store
        // with a clear message, never cut short here.
        editor = edit;
    }
    editor->setFont(option.font);
    editor->setAutoFillBackground(true);
    m_grid.editorOpened(editor, index);
    return editor;
}

void DBGridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    m_grid.editorClosing(editor);
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool DBGridDelegate::isEditorModified(const QWidget* editor)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(editor))
        return edit->isModified();
    return false; // a lookup list writes on each choice
}

void DBGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    // A change of the row while the user types must not throw the typing away.
    if (isEditorModified(editor))
        return;
    if (auto* edit = qobject_cast<MaskEdit*>(editor)) {
        edit->setValue(index.data(DatasetModel::ValueRole).toString());
        edit->setModified(false);
    } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(combo->findText(index.data(Qt::EditRole).toString(), Qt::MatchExactly));
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(index.data(Qt::EditRole).toString());
        line->setModified(false);
    }
}

void DBGridDelegate::revertEditor(QWidget* editor, const QModelIndex& index) const
{
    if (auto* edit = qobject_cast<QLineEdit*>(editor))
        edit->setModified(false);
    setEditorData(editor, index);
    if (auto* edit = qobject_cast<QLineEdit*>(editor))
        edit->selectAll();
}

void DBGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    m_lastWriteSucceeded = true;
    QString text;
    if (auto* edit = qobject_cast<MaskEdit*>(editor)) {
        if (!edit->isUserModified())
            return;
        if (!edit->validateOnLeave()) {
            m_lastWriteSucceeded = false;
            return;
        }
        text = edit->editText();
    } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        if (combo->currentIndex() < 0 || combo->currentText() == index.data(Qt::EditRole).toString())
            return;
        text = combo->currentText();
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        if (!line->isModified())
            return;
        text = line->text();
    } else {
        return;
    }
    m_lastWriteSucceeded = model->setData(index, text, Qt::EditRole);
    if (m_lastWriteSucceeded) {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setModified(false);
    }
}

void DBGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const
{
    // The style's own item painting lays the text out in full for every
    // cell; plain elided text is a good deal cheaper, which counts when a
    // move scrolls the whole view.
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* widget = item.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QString text = item.text;
    item.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    if (!text.isEmpty()) {
        const QRect area
            = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).adjusted(2, 0, -2, 0);
        const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
            : (item.state & QStyle::State_Active)                                ? QPalette::Active
                                                                                 : QPalette::Inactive;
        painter->setPen(item.palette.color(
            group, item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(item.font);
        painter->drawText(area, int(item.displayAlignment),
                          item.fontMetrics.elidedText(text, Qt::ElideRight, area.width()));
    }
    Field* field = fieldOf(index);
    if (!field)
        return;
    painter->save();
    m_grid.cellDrawn(painter, option.rect, m_grid.horizontalHeader()->visualIndex(index.column()), field,
                     option.state);
    painter->restore();
}

bool DBGridDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(object);
    if (!editor)
        return false;
    // The grid decides about every key and focus change of its editors; the
    // default delegate behaviour (commit and close whatever happens) does not
    // fit a dataset that may refuse the text.
    return m_grid.editorEvent(editor, event);
}
