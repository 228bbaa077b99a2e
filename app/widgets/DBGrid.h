#pragma once

#include <QHash>
#include <QList>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyle>
#include <QTableView>

class DBGridDelegate;
#include "DataSource.h"
class Dataset;
class DatasetModel;
class Field;
class QKeyEvent;

// A data-aware grid over a data source: a title row with the fields' labels,
// a row indicator at the left (a triangle on the current row, a text cursor
// while it is edited, a star while it is inserted), one column per visible field,
// cells edited in place, columns that the user may resize and move. The
// grid's current row and the dataset's current row follow each other.
//
// Numbering, as the handlers see it: a grid column 0 is the indicator and a
// grid row 0 the titles (cellAt); a data column is a column's visual position
// among the data columns, 0-based, after any move by the user.
//
// Events go out as signals named after the handlers that need them; the panes'
// own rules (sorting, hints, dialling, keys acting through the navigator)
// belong to those handlers. Painting and scrolling never reach the database.
// Errors are shown with the default error box; none crosses the event loop.
// UI thread only; the grid does not own its data source.
class DBGrid : public QTableView
{
    Q_OBJECT

public:
    // A grid cell: column 0 the indicator, row 0 the titles; -1 outside the cells.
    struct Cell
    {
        int column = -1;
        int row = -1;
        bool operator==(const Cell&) const = default;
    };
    // One data column of the layout, in visual order.
    struct ColumnLayout
    {
        QString fieldName;
        int width = 0;
        bool operator==(const ColumnLayout&) const = default;
    };

    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }
    Dataset* dataset() const;
    DatasetModel* datasetModel() const { return m_model; }

    int dataColumnCount() const;
    Field* fieldAtDataColumn(int dataColumn) const;
    // The data column showing the field; -1 when it is not shown.
    int dataColumnOfField(const QString& fieldName) const;
    int dataColumnWidth(int dataColumn) const;
    void setDataColumnWidth(int dataColumn, int width);
    // The order and widths of the columns, kept across reopening the dataset
    // and offered to the layout store.
    QList<ColumnLayout> columnLayout() const;
    void setColumnLayout(const QList<ColumnLayout>& layout);
    // Paints the title row again, after what drawTitleCell draws has changed.
    void updateTitles();
    // Suspends painting while the columns or the rows are rebuilt; nestable.
    void beginUpdate();
    void endUpdate();

    // The field of the current cell (also when the dataset holds no rows).
    Field* selectedField() const;
    int selectedDataColumn() const;
    void setSelectedDataColumn(int dataColumn);

    // The grid cell at a point in the grid's own coordinates, as mouseMove gives them.
    Cell cellAt(int x, int y) const;
    QRect titleCellRect(int dataColumn) const;
    QRect dataCellRect(int dataColumn, int row) const;

    // The hint shown while the mouse rests over the grid; empty shows none.
    void setHint(const QString& text);
    const QString& hint() const { return m_hint; }

    // The text colour of a field's cells (an invalid colour for the default).
    void setFieldTextColor(const QString& fieldName, const QColor& color);

    bool isEditorOpen() const { return !m_editor.isNull(); }
    QWidget* editorWidget() const { return m_editor; }
    // Writes the in-place editor's text to its field. False, after the refusal
    // has been shown, when the field refuses it; the editor then stays open.
    bool commitEditor();

Q_SIGNALS:
    // A title cell was clicked.
    void titleClick(Field* field, int dataColumn);
    // A data cell has just been drawn; the painter draws on the cells.
    void drawColumnCell(QPainter* painter, const QRect& cellRect, int dataColumn, Field* field,
                        QStyle::State state);
    // A title cell has just been drawn; the painter draws on the title row, so
    // that a glyph with its top right corner at titleRect's lands at the right
    // end of that title.
    void drawTitleCell(QPainter* painter, const QRect& titleRect, int dataColumn, Field* field);
    // The mouse moved over the grid, in the grid's own coordinates (cellAt).
    void mouseMove(Qt::KeyboardModifiers modifiers, int x, int y);
    // A data cell was clicked with the left button; it is the current cell now.
    void cellClick(int dataColumn, Field* field, Qt::MouseButton button);
    // A data cell was double-clicked.
    void dblClick();
    // The focus came into the grid (or its editor) from another control of
    // its window; not when the window gets the focus back from a dialog or
    // another program.
    void enter();
    // A key went down in the grid or in its in-place editor, before either
    // handles it. An editor that is about to change its text has already put
    // the dataset into editing.
    void keyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* object, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyboardSearch(const QString& search) override;

private:
    friend class DBGridDelegate;
    class IndicatorHeader;
    class TitleHeader;

    // From the delegate.
    void editorOpened(QWidget* editor, const QModelIndex& index);
    void editorClosing(QWidget* editor);
    bool editorEvent(QWidget* editor, QEvent* event);
    void cellDrawn(QPainter* painter, const QRect& rect, int dataColumn, Field* field, QStyle::State state);
    // From the title row.
    void titleDrawn(QPainter* painter, const QRect& rect, int logicalIndex);

    bool editorKeyPress(QWidget* editor, QKeyEvent* event);
    bool editorFocusOut(QWidget* editor, QFocusEvent* event);
    void closeEditorDiscarding();
    bool ensureEditing();
    void announceKey(QKeyEvent* event);
    void showHintAt(const QPoint& globalPos, QWidget* widget);
    void emitMouseMove(QWidget* source, QMouseEvent* event);
    void onTitleClicked(int logicalIndex);
    void onIndicatorClicked(int row);
    void onDatasetCurrentRowChanged();
    void onDatasetStateChanged();
    void onFocusChanged(QWidget* old, QWidget* now);
    void syncCurrentFromDataset();
    void detachSource();
    void applyDefaultWidths();
    int defaultWidth(const Field& field) const;
    int logicalColumn(int dataColumn) const;
    bool contains(const QWidget* widget) const;

    QPointer<DataSource> m_source;
    DatasetModel* m_model = nullptr;
    DBGridDelegate* m_delegate = nullptr;
    IndicatorHeader* m_indicator = nullptr;
    TitleHeader* m_titles = nullptr;

    QPointer<QWidget> m_editor;
    QPersistentModelIndex m_editorIndex;
    // The editor's text that was refused last, until the events of that
    // refusal are over, so that one refusal is reported once.
    QString m_refusedText;
    bool m_refusalPending = false;
    bool m_blockNextPress = false;
    bool m_committing = false;
    bool m_refocusing = false;
    bool m_focusInside = false; // the focus of this window is in the grid or its editor

    const QKeyEvent* m_announcedKey = nullptr;
    QPersistentModelIndex m_pressIndex;
    bool m_syncingFromDataset = false;
    bool m_movingDataset = false;
    int m_lastColumn = -1; // logical column of the current cell, kept while there are no rows
    QList<ColumnLayout> m_layoutBeforeReset;
    QHash<QString, QColor> m_textColors;
    QString m_hint;
    int m_updateLock = 0;
};
