#pragma once

#include "DataSource.h"

#include <QAbstractScrollArea>
#include <QPointer>
class Dataset;
class Field;
class QPainter;
class QPlainTextEdit;

// A control grid over a data source: one panel per row in one column, four
// panels in view. The left part of each panel (68 pixels, "Panel3") shows a
// date over a time as display-only text in the caption colour (the palette's
// highlight colour); the rest shows a text. The current row's panel holds the
// editable memo "dbmHistory" over the text field; every change typed there
// goes into the field at once (Field::setValue, which starts editing), so a
// post from anywhere stores it and nothing typed is lost. The memo takes text
// of any length: a text the database cannot hold is refused when posted.
//
// Panels fill the grid's height, four to a view: 46 pixels each at the size
// hint. The grid itself never adds rows. Clicking a panel, the arrow and page
// keys, the wheel and the scroll bar move the dataset's current row. keyDown
// reports keys while the grid itself has the focus, not the memo; enter
// reports the focus coming into the grid or its memo from another control of
// its window (not the window getting the focus back).
// Painting never reaches the database. UI thread only; the grid does not own
// its data source.
class DBCtrlGrid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    static constexpr int kVisiblePanels = 4;
    static constexpr int kDesignPanelHeight = 46;
    static constexpr int kCaptionWidth = 68;

    explicit DBCtrlGrid(QWidget* parent = nullptr);
    ~DBCtrlGrid() override;

    // The fields shown: the date and time on the left, the text in the memo.
    // "Date2", "Time" and "CallDescr" unless set otherwise.
    void setFieldNames(const QString& dateField, const QString& timeField, const QString& textField);
    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }
    Dataset* dataset() const;

    QPlainTextEdit* memo() const { return m_memo; }
    QColor captionColor() const;

    int panelHeight() const;
    // The dataset row shown in the top panel.
    int topRow() const { return m_top; }
    // The row shown in a panel (0 .. kVisiblePanels - 1), -1 for an empty panel.
    int rowAtPanel(int panel) const;
    // Panel geometry in viewport coordinates.
    QRect panelRect(int panel) const;
    QRect captionRect(int panel) const;
    QRect textRect(int panel) const;
    int panelAt(const QPoint& viewportPos) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void enter();
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    // The memo's text changed, by the user or by showing another row.
    void memoTextChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    const Field* field(const QString& name) const;
    void moveTo(int row);
    void moveBy(int delta);
    void onRowsChanged();
    void onCurrentRowChanged();
    void onRowChanged(int row);
    void onMemoChanged();
    void onFocusChanged(QWidget* old, QWidget* now);
    void onScrollValueChanged(int value);
    void detachSource();
    void keepCurrentInView();
    void updateScrollBar();
    void placeMemo();
    void loadMemo();
    void drawCaptionText(QPainter& painter, const QRect& area, const QString& text) const;
    bool contains(const QWidget* widget) const;

    QPointer<DataSource> m_source;
    Dataset* m_dataset = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QString m_dateField = QStringLiteral("Date2");
    QString m_timeField = QStringLiteral("Time");
    QString m_textField = QStringLiteral("CallDescr");
    int m_top = 0;
    bool m_loading = false; // the memo shows a row's text; no user change
    bool m_writing = false; // the memo's text is going into the field
    bool m_settingScroll = false;
    bool m_focusInside = false; // the focus of this window is in the grid or its memo
};
