#include "DBGrid.h"

#include "DBGridDelegate.h"
#include "DataSource.h"
#include "Dataset.h"
#include "DatasetModel.h"
#include "Field.h"
#include "Guard.h"
#include "LineEdit.h"
#include "MaskEdit.h"
#include "PendingEdits.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QToolTip>

namespace {

constexpr int kIndicatorWidth = 12;

QString editorText(const QWidget* editor)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(editor))
        return edit->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(editor))
        return combo->currentText();
    return {};
}

// Keys after which an editor's text may differ.
bool changesText(const QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)
        || event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)
        || event->matches(QKeySequence::DeleteEndOfWord) || event->matches(QKeySequence::DeleteStartOfWord)
        || event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteCompleteLine))
        return true;
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return true;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

} // namespace

// The row indicator: the vertical header, one section per row, with a mark
// on the dataset's current row.
class DBGrid::IndicatorHeader final : public QHeaderView
{
public:
    explicit IndicatorHeader(DBGrid& grid)
        : QHeaderView(Qt::Vertical, &grid)
        , m_grid(grid)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(true);
        setHighlightSections(false);
    }

    // A fixed width: the indicator shows no text to measure.
    QSize sizeHint() const override { return { kIndicatorWidth, defaultSectionSize() }; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        painter->save();
        QHeaderView::paintSection(painter, rect, logicalIndex);
        painter->restore();
        const Dataset* dataset = m_grid.dataset();
        if (!dataset || !dataset->isOpen() || logicalIndex != dataset->currentRow())
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QColor color = palette().color(QPalette::ButtonText);
        const QPointF c = QRectF(rect).center();
        switch (dataset->state()) {
        case Dataset::State::Insert: {
            // A star: three strokes through the centre.
            painter->setPen(QPen(color, 1.4, Qt::SolidLine, Qt::RoundCap));
            for (const double angle : { 90.0, 30.0, 150.0 }) {
                QLineF stroke = QLineF::fromPolar(3.5, angle).translated(c);
                painter->drawLine(QLineF(c * 2 - stroke.p2(), stroke.p2()));
            }
            break;
        }
        case Dataset::State::Edit:
            // A text cursor: a bar with serifs.
            painter->setPen(QPen(color, 1.2));
            painter->drawLine(QPointF(c.x(), c.y() - 4), QPointF(c.x(), c.y() + 4));
            painter->drawLine(QPointF(c.x() - 2, c.y() - 4.5), QPointF(c.x() + 2, c.y() - 4.5));
            painter->drawLine(QPointF(c.x() - 2, c.y() + 4.5), QPointF(c.x() + 2, c.y() + 4.5));
            break;
        default: {
            QPainterPath triangle;
            triangle.moveTo(c.x() - 2.5, c.y() - 4);
            triangle.lineTo(c.x() + 2.5, c.y());
            triangle.lineTo(c.x() - 2.5, c.y() + 4);
            triangle.closeSubpath();
            painter->fillPath(triangle, color);
            break;
        }
        }
        painter->restore();
    }

private:
    DBGrid& m_grid;
};

// The title row: the fields' labels, clickable and movable, with a hook after
// each title is drawn.
class DBGrid::TitleHeader final : public QHeaderView
{
public:
    explicit TitleHeader(DBGrid& grid)
        : QHeaderView(Qt::Horizontal, &grid)
        , m_grid(grid)
    {
        setSectionsClickable(true);
        setSectionsMovable(true);
        setHighlightSections(false);
        setSortIndicatorShown(false);
        setStretchLastSection(false);
        setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setMinimumSectionSize(8);
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        painter->save();
        QHeaderView::paintSection(painter, rect, logicalIndex);
        painter->restore();
        painter->save();
        m_grid.titleDrawn(painter, rect, logicalIndex);
        painter->restore();
    }

private:
    DBGrid& m_grid;
};

// ---------------------------------------------------------------------------

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent)
{
    m_titles = new TitleHeader(*this);
    setHorizontalHeader(m_titles);
    m_indicator = new IndicatorHeader(*this);
    setVerticalHeader(m_indicator);
    m_delegate = new DBGridDelegate(*this);
    setItemDelegate(m_delegate);

    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // No editing on a double click: that is the grid's dblClick event.
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    // Uniform rows: the view then places any of 100,000 rows without measuring.
    const int rowHeight = fontMetrics().height() + 4;
    m_indicator->setMinimumSectionSize(4);
    m_indicator->setDefaultSectionSize(rowHeight);

    viewport()->setMouseTracking(true);
    for (QHeaderView* header :
         { static_cast<QHeaderView*>(m_titles), static_cast<QHeaderView*>(m_indicator) }) {
        header->setMouseTracking(true);
        header->viewport()->setMouseTracking(true);
        header->viewport()->installEventFilter(this);
    }
    connect(m_titles, &QHeaderView::sectionClicked, this, &DBGrid::onTitleClicked);
    connect(m_indicator, &QHeaderView::sectionClicked, this, &DBGrid::onIndicatorClicked);
    connect(qApp, &QApplication::focusChanged, this, &DBGrid::onFocusChanged);
}

DBGrid::~DBGrid()
{
    // What happens to the focus and to an open editor while the widgets go is
    // no event for this grid any more.
    disconnect(qApp, nullptr, this, nullptr);
    if (m_editor)
        PendingEdits::remove(*m_editor);
    delete m_delegate;
    m_delegate = nullptr;
}

Dataset* DBGrid::dataset() const
{
    return m_model ? m_model->dataset() : nullptr;
}

void DBGrid::setDataSource(DataSource* source)
{
    if (m_model && source == m_model->dataSource())
        return;
    detachSource();
    if (!source)
        return;
    m_source = source;
    m_model = new DatasetModel(*source, this);
    for (auto it = m_textColors.cbegin(); it != m_textColors.cend(); ++it)
        m_model->setFieldForeground(it.key(), it.value());
    QItemSelectionModel* oldSelection = selectionModel();
    setModel(m_model);
    delete oldSelection;

    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_layoutBeforeReset = columnLayout(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        applyDefaultWidths();
        setColumnLayout(m_layoutBeforeReset);
        syncCurrentFromDataset();
    });
    connect(&source->dataset(), &Dataset::currentRowChanged, this, &DBGrid::onDatasetCurrentRowChanged);
    connect(source, &DataSource::stateChange, this, &DBGrid::onDatasetStateChanged);
    connect(source, &QObject::destroyed, this, &DBGrid::detachSource);
    connect(&source->dataset(), &QObject::destroyed, this, &DBGrid::detachSource);
    applyDefaultWidths();
    syncCurrentFromDataset();
}

void DBGrid::detachSource()
{
    if (!m_model)
        return;
    if (m_editor) {
        PendingEdits::remove(*m_editor);
        closeEditorDiscarding();
    }
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    if (Dataset* old = m_model->dataset())
        disconnect(old, nullptr, this, nullptr);
    DatasetModel* oldModel = m_model;
    QItemSelectionModel* oldSelection = selectionModel();
    m_model = nullptr;
    m_source = nullptr;
    setModel(nullptr);
    delete oldSelection;
    oldModel->deleteLater();
}

// ---------------------------------------------------------------------------
// Columns

int DBGrid::dataColumnCount() const
{
    return m_model ? m_model->columnCount() : 0;
}

int DBGrid::logicalColumn(int dataColumn) const
{
    if (dataColumn < 0 || dataColumn >= dataColumnCount())
        return -1;
    return m_titles->logicalIndex(dataColumn);
}

Field* DBGrid::fieldAtDataColumn(int dataColumn) const
{
    const int column = logicalColumn(dataColumn);
    return column >= 0 ? m_model->fieldAt(column) : nullptr;
}

int DBGrid::dataColumnOfField(const QString& fieldName) const
{
    const int column = m_model ? m_model->columnOfField(fieldName) : -1;
    return column >= 0 ? m_titles->visualIndex(column) : -1;
}

int DBGrid::dataColumnWidth(int dataColumn) const
{
    const int column = logicalColumn(dataColumn);
    return column >= 0 ? m_titles->sectionSize(column) : 0;
}

void DBGrid::setDataColumnWidth(int dataColumn, int width)
{
    const int column = logicalColumn(dataColumn);
    if (column >= 0)
        m_titles->resizeSection(column, width);
}

QList<DBGrid::ColumnLayout> DBGrid::columnLayout() const
{
    QList<ColumnLayout> layout;
    for (int i = 0; i < dataColumnCount(); ++i) {
        if (const Field* field = fieldAtDataColumn(i))
            layout.append({ field->name(), dataColumnWidth(i) });
    }
    return layout;
}

void DBGrid::setColumnLayout(const QList<ColumnLayout>& layout)
{
    if (!m_model)
        return;
    int target = 0;
    for (const ColumnLayout& entry : layout) {
        const int column = m_model->columnOfField(entry.fieldName);
        if (column < 0)
            continue; // a field no longer shown
        const int from = m_titles->visualIndex(column);
        if (from != target)
            m_titles->moveSection(from, target);
        if (entry.width > 0)
            m_titles->resizeSection(column, entry.width);
        ++target;
    }
}

int DBGrid::defaultWidth(const Field& field) const
{
    const int characters = field.displayWidth() > 0 ? field.displayWidth() : 10;
    return std::max(fontMetrics().horizontalAdvance(QLatin1Char('0')) * characters + 4, 16);
}

void DBGrid::applyDefaultWidths()
{
    for (int column = 0; m_model && column < m_model->columnCount(); ++column) {
        if (const Field* field = m_model->fieldAt(column))
            m_titles->resizeSection(column, defaultWidth(*field));
    }
}

void DBGrid::updateTitles()
{
    m_titles->viewport()->update();
}

void DBGrid::beginUpdate()
{
    if (m_updateLock++ == 0)
        setUpdatesEnabled(false);
}

void DBGrid::endUpdate()
{
    if (m_updateLock == 0)
        return;
    if (--m_updateLock == 0) {
        setUpdatesEnabled(true);
        viewport()->update();
        m_titles->viewport()->update();
        m_indicator->viewport()->update();
    }
}

void DBGrid::setFieldTextColor(const QString& fieldName, const QColor& color)
{
    if (color.isValid())
        m_textColors.insert(fieldName, color);
    else
        m_textColors.remove(fieldName);
    if (m_model)
        m_model->setFieldForeground(fieldName, color);
}

// ---------------------------------------------------------------------------
// Current cell

Field* DBGrid::selectedField() const
{
    if (!m_model)
        return nullptr;
    int column = currentIndex().isValid() ? currentIndex().column() : m_lastColumn;
    if (column < 0 || column >= m_model->columnCount())
        column = logicalColumn(0);
    return m_model->fieldAt(column);
}

int DBGrid::selectedDataColumn() const
{
    const Field* field = selectedField();
    return field ? m_titles->visualIndex(m_model->columnOfField(*field)) : -1;
}

void DBGrid::setSelectedDataColumn(int dataColumn)
{
    const int column = logicalColumn(dataColumn);
    if (column < 0)
        return;
    if (m_editor && m_editorIndex.column() != column) {
        if (!commitEditor())
            return;
        closeEditorDiscarding();
    }
    m_lastColumn = column;
    const Dataset* data = dataset();
    const int row = data && data->isOpen() ? data->currentRow() : -1;
    if (row < 0 || row >= m_model->rowCount())
        return;
    m_syncingFromDataset = true;
    selectionModel()->setCurrentIndex(m_model->index(row, column), QItemSelectionModel::ClearAndSelect);
    m_syncingFromDataset = false;
}

void DBGrid::syncCurrentFromDataset()
{
    m_indicator->viewport()->update();
    const Dataset* data = dataset();
    if (!m_model || !data)
        return;
    const int row = data->isOpen() ? data->currentRow() : -1;
    if (m_editor && m_editorIndex.row() != row)
        closeEditorDiscarding();
    if (row < 0 || row >= m_model->rowCount())
        return;
    int column = currentIndex().isValid() ? currentIndex().column() : m_lastColumn;
    if (column < 0 || column >= m_model->columnCount())
        column = logicalColumn(0);
    if (column < 0)
        return;
    const QModelIndex index = m_model->index(row, column);
    if (currentIndex() != index) {
        m_syncingFromDataset = true;
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_syncingFromDataset = false;
    }
    scrollTo(index);
}

void DBGrid::onDatasetCurrentRowChanged()
{
    if (m_movingDataset) {
        m_indicator->viewport()->update();
        return;
    }
    syncCurrentFromDataset();
}

void DBGrid::onDatasetStateChanged()
{
    m_indicator->viewport()->update();
    const Dataset* data = dataset();
    // After a post or a cancel from elsewhere the editor has nothing left to
    // write; an editor with the user's unwritten text stays.
    if (m_editor && !m_committing && data && !data->isEditing()
        && !DBGridDelegate::isEditorModified(m_editor))
        closeEditorDiscarding();
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        m_lastColumn = current.column();
    if (m_syncingFromDataset || !current.isValid())
        return;
    Dataset* data = dataset();
    if (!data || !data->isOpen() || current.row() == data->currentRow())
        return;
    // Leaving the row may post or drop it first; dropping a row being
    // inserted shifts the rows below it, so the target is found again after.
    const QPersistentModelIndex target(current);
    m_movingDataset = true;
    guarded([&] {
        data->checkBrowseMode();
        if (target.isValid())
            data->moveTo(target.row());
    });
    m_movingDataset = false;
    m_indicator->viewport()->update();
    if (!target.isValid() || data->currentRow() != target.row())
        QTimer::singleShot(0, this, &DBGrid::syncCurrentFromDataset);
}

void DBGrid::keyboardSearch(const QString&)
{
    // Typing into a cell edits it; it never jumps to another row.
}

// ---------------------------------------------------------------------------
// Cells and hints

DBGrid::Cell DBGrid::cellAt(int x, int y) const
{
    Cell cell;
    const QRect titles = m_titles->geometry();
    const QRect indicator = m_indicator->geometry();
    const QRect cells = viewport()->geometry();
    if (m_titles->isVisible() && y >= titles.top() && y <= titles.bottom()) {
        cell.row = 0;
    } else if (y >= cells.top() && y <= cells.bottom()) {
        const int row = rowAt(y - cells.top());
        cell.row = row >= 0 ? row + 1 : -1;
    }
    if (m_indicator->isVisible() && x >= indicator.left() && x <= indicator.right()) {
        cell.column = 0;
    } else if (x >= cells.left() && x <= cells.right()) {
        const int column = columnAt(x - cells.left());
        cell.column = column >= 0 ? m_titles->visualIndex(column) + 1 : -1;
    }
    if (cell.row < 0 || cell.column < 0)
        return {};
    return cell;
}

QRect DBGrid::titleCellRect(int dataColumn) const
{
    const int column = logicalColumn(dataColumn);
    if (column < 0)
        return {};
    const QRect rect(m_titles->sectionViewportPosition(column), 0, m_titles->sectionSize(column),
                     m_titles->viewport()->height());
    return rect.translated(m_titles->viewport()->mapTo(this, QPoint(0, 0)));
}

QRect DBGrid::dataCellRect(int dataColumn, int row) const
{
    const int column = logicalColumn(dataColumn);
    if (column < 0 || row < 0 || row >= m_model->rowCount())
        return {};
    return visualRect(m_model->index(row, column)).translated(viewport()->mapTo(this, QPoint(0, 0)));
}

void DBGrid::setHint(const QString& text)
{
    if (text == m_hint)
        return;
    const QString old = m_hint;
    m_hint = text;
    // A hint on show changes with the cell under the mouse.
    if (QToolTip::isVisible() && QToolTip::text() == old && !old.isEmpty()) {
        if (m_hint.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(QCursor::pos(), m_hint, this);
    }
}

void DBGrid::showHintAt(const QPoint& globalPos, QWidget* widget)
{
    if (m_hint.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(globalPos, m_hint, widget);
}

void DBGrid::emitMouseMove(QWidget* source, QMouseEvent* event)
{
    const QPoint at = source->mapTo(this, event->position().toPoint());
    Q_EMIT mouseMove(event->modifiers(), at.x(), at.y());
}

bool DBGrid::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        showHintAt(static_cast<QHelpEvent*>(event)->globalPos(), viewport());
        return true;
    }
    return QTableView::viewportEvent(event);
}

bool DBGrid::eventFilter(QObject* object, QEvent* event)
{
    if (object == m_titles->viewport() || object == m_indicator->viewport()) {
        auto* widget = static_cast<QWidget*>(object);
        if (event->type() == QEvent::MouseMove) {
            emitMouseMove(widget, static_cast<QMouseEvent*>(event));
        } else if (event->type() == QEvent::ToolTip) {
            showHintAt(static_cast<QHelpEvent*>(event)->globalPos(), widget);
            return true;
        }
    }
    return QTableView::eventFilter(object, event);
}

void DBGrid::cellDrawn(QPainter* painter, const QRect& rect, int dataColumn, Field* field,
                       QStyle::State state)
{
    Q_EMIT drawColumnCell(painter, rect, dataColumn, field, state);
}

void DBGrid::titleDrawn(QPainter* painter, const QRect& rect, int logicalIndex)
{
    if (Field* field = m_model ? m_model->fieldAt(logicalIndex) : nullptr)
        Q_EMIT drawTitleCell(painter, rect, m_titles->visualIndex(logicalIndex), field);
}

// ---------------------------------------------------------------------------
// Mouse

void DBGrid::onTitleClicked(int logicalIndex)
{
    Field* field = m_model ? m_model->fieldAt(logicalIndex) : nullptr;
    if (!field)
        return;
    // The handler may reopen the dataset, which takes any editor with it.
    if (m_editor) {
        if (!commitEditor())
            return;
        closeEditorDiscarding();
    }
    Q_EMIT titleClick(field, m_titles->visualIndex(logicalIndex));
}

void DBGrid::onIndicatorClicked(int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return;
    if (m_editor) {
        if (!commitEditor())
            return;
        closeEditorDiscarding();
    }
    int column = currentIndex().isValid() ? currentIndex().column() : logicalColumn(0);
    if (column < 0)
        return;
    selectionModel()->setCurrentIndex(m_model->index(row, column), QItemSelectionModel::ClearAndSelect);
}

void DBGrid::mousePressEvent(QMouseEvent* event)
{
    if (m_blockNextPress) {
        // This press took the focus from an editor whose text was refused.
        m_blockNextPress = false;
        event->accept();
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    if (m_editor && index != QModelIndex(m_editorIndex)) {
        if (!commitEditor()) {
            m_editor->setFocus(Qt::OtherFocusReason);
            event->accept();
            return;
        }
        closeEditorDiscarding();
    }
    m_pressIndex = index;
    QTableView::mousePressEvent(event);
}

void DBGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const QPersistentModelIndex pressed = m_pressIndex;
    m_pressIndex = QPersistentModelIndex();
    QTableView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !m_model)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || index != QModelIndex(pressed) || index != currentIndex())
        return;
    if (Field* field = m_model->fieldAt(index.column()))
        Q_EMIT cellClick(m_titles->visualIndex(index.column()), field, Qt::LeftButton);
}

void DBGrid::mouseMoveEvent(QMouseEvent* event)
{
    emitMouseMove(viewport(), event);
    QTableView::mouseMoveEvent(event);
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const bool onCell = indexAt(event->position().toPoint()).isValid();
    QTableView::mouseDoubleClickEvent(event);
    if (onCell)
        Q_EMIT dblClick();
}

// ---------------------------------------------------------------------------
// Focus and keys

bool DBGrid::contains(const QWidget* widget) const
{
    // Walks past window boundaries too: a list's pop-up belongs to its editor.
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w == this)
            return true;
    }
    return false;
}

void DBGrid::onFocusChanged(QWidget*, QWidget* now)
{
    if (!now)
        return; // the program lost the focus; getting it back is no entry
    if (contains(now)) {
        const bool entering = !m_focusInside;
        m_focusInside = true;
        if (entering && !m_refocusing && !LineEdit::leaveRefusalPending())
            Q_EMIT enter();
    } else if (now->window() == window()) {
        // Only another control of this window takes the focus away; a dialog,
        // a menu or another program holding it for a while does not.
        m_focusInside = false;
    }
}

void DBGrid::announceKey(QKeyEvent* event)
{
    if (event == m_announcedKey)
        return;
    Q_EMIT keyDown(event->key(), event->modifiers());
}

void DBGrid::keyPressEvent(QKeyEvent* event)
{
    const QPointer<DBGrid> self(this);
    announceKey(event);
    if (!self)
        return;
    switch (event->key()) {
    case Qt::Key_Escape:
        if (Dataset* data = dataset(); data && data->isEditing()) {
            guarded([&] { data->cancel(); });
            event->accept();
            return;
        }
        break;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        // Nothing to write without an editor; the key stays with the grid
        // rather than pressing a dialog's default button.
        event->accept();
        return;
    default:
        break;
    }
    // A key that opens an editor comes back through it; it is announced once.
    m_announcedKey = event;
    QTableView::keyPressEvent(event);
    if (self)
        m_announcedKey = nullptr;
}

// ---------------------------------------------------------------------------
// The in-place editor

void DBGrid::editorOpened(QWidget* editor, const QModelIndex& index)
{
    m_editor = editor;
    m_editorIndex = index;
    m_refusedText.clear();
    Dataset* data = dataset();
    if (!data)
        return;
    const QPointer<QWidget> guard(editor);
    PendingEdits::add(
        *data, *editor,
        [this, guard] {
            if (!guard || guard != m_editor)
                return;
            // Already refused and reported within the same user action.
            if (m_refusalPending && editorText(guard) == m_refusedText)
                throw OperationAborted();
            if (!commitEditor())
                throw OperationAborted();
        },
        [this, guard] {
            if (guard && guard == m_editor)
                closeEditorDiscarding();
        });
}

void DBGrid::editorClosing(QWidget* editor)
{
    if (editor != m_editor)
        return;
    PendingEdits::remove(*editor);
    m_editor = nullptr;
    m_editorIndex = QPersistentModelIndex();
    m_refusedText.clear();
}

void DBGrid::closeEditorDiscarding()
{
    if (QWidget* editor = m_editor) {
        closeEditor(editor, QAbstractItemDelegate::NoHint);
        // closeEditor leaves an editor it does not know (after a reset) alone.
        if (m_editor == editor)
            editorClosing(editor);
    }
}

bool DBGrid::commitEditor()
{
    QWidget* editor = m_editor;
    if (!editor)
        return true;
    m_committing = true;
    m_delegate->clearWriteResult();
    commitData(editor);
    m_committing = false;
    const bool ok = m_delegate->lastWriteSucceeded();
    if (!ok) {
        m_refusedText = editorText(editor);
        m_refusalPending = true;
        QTimer::singleShot(0, this, [this] { m_refusalPending = false; });
    }
    return ok;
}

bool DBGrid::ensureEditing()
{
    Dataset* data = dataset();
    if (!data || !data->isOpen())
        return false;
    if (data->isEditing())
        return true;
    return guarded([&] {
        if (m_editorIndex.isValid() && data->currentRow() != m_editorIndex.row())
            data->moveTo(m_editorIndex.row());
        data->edit();
    });
}

bool DBGrid::editorEvent(QWidget* editor, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Esc belongs to the editor, not to a window's shortcut.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        return false;
    case QEvent::KeyPress:
        return editorKeyPress(editor, static_cast<QKeyEvent*>(event));
    case QEvent::FocusOut:
        return editorFocusOut(editor, static_cast<QFocusEvent*>(event));
    default:
        return false;
    }
}

bool DBGrid::editorKeyPress(QWidget* editor, QKeyEvent* event)
{
    const QPointer<DBGrid> self(this);
    const QPointer<QWidget> guard(editor);
    // True when the editor is still there to go on with.
    const auto announce = [&] {
        announceKey(event);
        return self && guard && guard == m_editor;
    };
    event->accept();
    switch (event->key()) {
    case Qt::Key_Enter:
    case Qt::Key_Return:
        // The text goes into the field first, so that a handler that posts
        // on Enter posts it.
        if (!commitEditor())
            return true;
        if (announce())
            closeEditorDiscarding();
        return true;
    case Qt::Key_Escape:
        if (!announce())
            return true;
        if (DBGridDelegate::isEditorModified(editor)) {
            m_delegate->revertEditor(editor, m_editorIndex);
        } else {
            closeEditorDiscarding();
            if (Dataset* data = dataset(); data && data->isEditing())
                guarded([&] { data->cancel(); });
        }
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (event->modifiers() & Qt::AltModifier)
            break; // Alt+Down opens a lookup's list
        if (!announce() || !commitEditor())
            return true;
        closeEditorDiscarding();
        // The grid moves on as it would without an editor.
        QTableView::keyPressEvent(event);
        return true;
    default:
        break;
    }
    if (changesText(event) && !ensureEditing())
        return true;
    return !announce();
}

bool DBGrid::editorFocusOut(QWidget* editor, QFocusEvent* event)
{
    // Another window, a message box or the editor's own pop-up is no leaving.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason
        || !editor->isActiveWindow())
        return false;
    QWidget* now = QApplication::focusWidget();
    if (now && (now == editor || editor->isAncestorOf(now)))
        return false;
    // A field taking the focus back after its own refusal: the editor keeps
    // its text for later.
    if (editor != m_editor || MaskEdit::isReclaimingFocus())
        return false;
    if (commitEditor()) {
        closeEditorDiscarding();
        return false;
    }
    // The text stays in its editor, which takes the focus back; a click on
    // this grid that took the focus away does nothing.
    m_blockNextPress = now && contains(now);
    QTimer::singleShot(0, this, [this, guard = QPointer<QWidget>(editor)] {
        m_blockNextPress = false;
        if (guard && guard == m_editor) {
            m_refocusing = true;
            MaskEdit::reclaimFocus(*guard);
            m_refocusing = false;
        }
    });
    return false;
}
