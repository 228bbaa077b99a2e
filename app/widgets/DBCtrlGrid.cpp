#include "DBCtrlGrid.h"

#include "DataSource.h"
#include "Dataset.h"
#include "Field.h"
#include "Guard.h"
#include "LineEdit.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QTextDocument>
#include <QWheelEvent>

DBCtrlGrid::DBCtrlGrid(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);

    m_memo = new QPlainTextEdit(viewport());
    m_memo->setObjectName(QStringLiteral("dbmHistory"));
    m_memo->setFrameShape(QFrame::NoFrame);
    m_memo->setTabChangesFocus(true);
    m_memo->hide();
    connect(m_memo, &QPlainTextEdit::textChanged, this, &DBCtrlGrid::onMemoChanged);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &DBCtrlGrid::onScrollValueChanged);
    connect(qApp, &QApplication::focusChanged, this, &DBCtrlGrid::onFocusChanged);
    updateScrollBar();
}

DBCtrlGrid::~DBCtrlGrid()
{
    // Focus changes and the memo's last signals while the widgets go are no events.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(m_memo, nullptr, this, nullptr);
}

void DBCtrlGrid::setFieldNames(const QString& dateField, const QString& timeField, const QString& textField)
{
    m_dateField = dateField;
    m_timeField = timeField;
    m_textField = textField;
    placeMemo();
    loadMemo();
    viewport()->update();
}

Dataset* DBCtrlGrid::dataset() const
{
    return m_source ? m_dataset : nullptr;
}

void DBCtrlGrid::setDataSource(DataSource* source)
{
    if (source == m_source)
        return;
    detachSource();
    m_source = source;
    m_dataset = source ? &source->dataset() : nullptr;
    if (source) {
        Dataset& data = source->dataset();
        connect(&data, &Dataset::rowsReset, this, &DBCtrlGrid::onRowsChanged);
        connect(&data, &Dataset::rowInserted, this, &DBCtrlGrid::onRowsChanged);
        connect(&data, &Dataset::rowRemoved, this, &DBCtrlGrid::onRowsChanged);
        connect(&data, &Dataset::currentRowChanged, this, &DBCtrlGrid::onCurrentRowChanged);
        connect(&data, &Dataset::rowChanged, this, &DBCtrlGrid::onRowChanged);
        connect(&data, &QObject::destroyed, this, &DBCtrlGrid::detachSource);
        connect(source, &DataSource::stateChange, this, [this] {
            placeMemo();
            viewport()->update();
        });
        connect(source, &QObject::destroyed, this, &DBCtrlGrid::detachSource);
    }
    onRowsChanged();
}

void DBCtrlGrid::detachSource()
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    if (m_dataset)
        disconnect(m_dataset, nullptr, this, nullptr);
    m_source = nullptr;
    m_dataset = nullptr;
    m_top = 0;
    updateScrollBar();
    placeMemo();
    loadMemo();
    viewport()->update();
}

const Field* DBCtrlGrid::field(const QString& name) const
{
    const Dataset* data = dataset();
    return data ? data->findField(name) : nullptr;
}

QColor DBCtrlGrid::captionColor() const
{
    return palette().color(QPalette::Active, QPalette::Highlight);
}

// ---------------------------------------------------------------------------
// Geometry

int DBCtrlGrid::panelHeight() const
{
    return std::max(1, viewport()->height() / kVisiblePanels);
}

int DBCtrlGrid::rowAtPanel(int panel) const
{
    const Dataset* data = dataset();
    if (!data || !data->isOpen() || panel < 0 || panel >= kVisiblePanels)
        return -1;
    const int row = m_top + panel;
    return row < data->recordCount() ? row : -1;
}

QRect DBCtrlGrid::panelRect(int panel) const
{
    return { 0, panel * panelHeight(), viewport()->width(), panelHeight() };
}

QRect DBCtrlGrid::captionRect(int panel) const
{
    const QRect panelArea = panelRect(panel);
    return { panelArea.left(), panelArea.top(), std::min(kCaptionWidth, panelArea.width()),
             panelArea.height() };
}

QRect DBCtrlGrid::textRect(int panel) const
{
    const QRect panelArea = panelRect(panel);
    return panelArea.adjusted(std::min(kCaptionWidth, panelArea.width()), 0, 0, 0);
}

int DBCtrlGrid::panelAt(const QPoint& viewportPos) const
{
    if (!viewport()->rect().contains(viewportPos))
        return -1;
    const int panel = viewportPos.y() / panelHeight();
    return panel < kVisiblePanels ? panel : -1;
}

QSize DBCtrlGrid::sizeHint() const
{
    return { 240, kVisiblePanels * kDesignPanelHeight + 2 * frameWidth() };
}

QSize DBCtrlGrid::minimumSizeHint() const
{
    return { kCaptionWidth + 40, kVisiblePanels * 20 + 2 * frameWidth() };
}

// ---------------------------------------------------------------------------
// Rows

void DBCtrlGrid::keepCurrentInView()
{
    const Dataset* data = dataset();
    const int rows = data && data->isOpen() ? data->recordCount() : 0;
    const int current = data && data->isOpen() ? data->currentRow() : -1;
    if (current >= 0) {
        if (current < m_top)
            m_top = current;
        else if (current >= m_top + kVisiblePanels)
            m_top = current - kVisiblePanels + 1;
    }
    m_top = std::clamp(m_top, 0, std::max(0, rows - kVisiblePanels));
}

void DBCtrlGrid::updateScrollBar()
{
    const Dataset* data = dataset();
    const int rows = data && data->isOpen() ? data->recordCount() : 0;
    m_settingScroll = true;
    // The bar stands for the rows, not for pixels: its value is the current row.
    if (rows > kVisiblePanels) {
        verticalScrollBar()->setRange(0, rows - 1);
        verticalScrollBar()->setPageStep(kVisiblePanels);
        verticalScrollBar()->setSingleStep(1);
        verticalScrollBar()->setValue(std::max(0, data->currentRow()));
    } else {
        verticalScrollBar()->setRange(0, 0);
    }
    m_settingScroll = false;
}

void DBCtrlGrid::onRowsChanged()
{
    keepCurrentInView();
    updateScrollBar();
    placeMemo();
    loadMemo();
    viewport()->update();
}

void DBCtrlGrid::onCurrentRowChanged()
{
    onRowsChanged();
}

void DBCtrlGrid::onRowChanged(int row)
{
    const Dataset* data = dataset();
    if (data && row == data->currentRow())
        loadMemo();
    viewport()->update();
}

void DBCtrlGrid::onScrollValueChanged(int value)
{
    if (!m_settingScroll)
        moveTo(value);
}

void DBCtrlGrid::scrollContentsBy(int, int)
{
    // The panels are laid out from the current row; nothing scrolls by pixels.
}

void DBCtrlGrid::moveTo(int row)
{
    Dataset* data = dataset();
    if (!data || !data->isOpen() || data->isEmpty())
        return;
    row = std::clamp(row, 0, data->recordCount() - 1);
    if (row != data->currentRow() && !guarded([&] { data->moveTo(row); }))
        updateScrollBar(); // refused: the bar goes back to where the dataset stands
}

void DBCtrlGrid::moveBy(int delta)
{
    const Dataset* data = dataset();
    if (data && data->isOpen() && data->currentRow() >= 0)
        moveTo(data->currentRow() + delta);
}

// ---------------------------------------------------------------------------
// The memo

void DBCtrlGrid::placeMemo()
{
    const Dataset* data = dataset();
    const Field* text = field(m_textField);
    const int panel = data && data->isOpen() ? data->currentRow() - m_top : -1;
    if (!text || !data || data->currentRow() < 0 || panel < 0 || panel >= kVisiblePanels) {
        if (m_memo->hasFocus())
            setFocus(Qt::OtherFocusReason);
        m_memo->hide();
        return;
    }
    m_memo->setGeometry(textRect(panel));
    m_memo->setReadOnly(!data->canModify() || text->isReadOnly());
    m_memo->show();
}

void DBCtrlGrid::loadMemo()
{
    if (m_writing)
        return;
    const Dataset* data = dataset();
    const Field* text = field(m_textField);
    const QString shown
        = text && data && data->isOpen() && data->currentRow() >= 0 ? text->asString() : QString();
    if (m_memo->toPlainText() == shown)
        return;
    m_loading = true;
    m_memo->setPlainText(shown);
    m_loading = false;
}

void DBCtrlGrid::onMemoChanged()
{
    const QPointer<DBCtrlGrid> self(this);
    Dataset* data = dataset();
    Field* text = data ? data->findField(m_textField) : nullptr;
    if (!m_loading && text && data->isOpen() && data->currentRow() >= 0) {
        const QString typed = m_memo->toPlainText();
        if (typed != text->asString()) {
            m_writing = true;
            const bool written = guarded([&] { text->setValue(typed); });
            if (!self)
                return;
            m_writing = false;
            if (!written)
                loadMemo(); // the row refused the change: show what it holds
        }
    }
    Q_EMIT memoTextChanged();
}

// ---------------------------------------------------------------------------
// Painting

void DBCtrlGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette& colors = palette();
    painter.fillRect(viewport()->rect(), colors.window());
    const Dataset* data = dataset();
    if (!data || !data->isOpen())
        return;
    const Field* date = field(m_dateField);
    const Field* time = field(m_timeField);
    const Field* text = field(m_textField);
    const int current = data->currentRow();
    const int margin = int(m_memo->document()->documentMargin());
    for (int panel = 0; panel < kVisiblePanels; ++panel) {
        const int row = rowAtPanel(panel);
        if (row < 0)
            break;
        const QRect caption = captionRect(panel);
        const QRect body = textRect(panel);
        painter.setPen(captionColor());
        const int half = caption.height() / 2;
        const QRect dateArea(caption.left() + 3, caption.top() + 1, caption.width() - 5, half - 1);
        const QRect timeArea(caption.left() + 3, caption.top() + half, caption.width() - 5,
                             caption.height() - half - 1);
        if (date)
            drawCaptionText(painter, dateArea, data->displayText(row, date->index()));
        if (time)
            drawCaptionText(painter, timeArea, data->displayText(row, time->index()));
        if (row != current || m_memo->isHidden()) {
            painter.fillRect(body, colors.base());
            if (text) {
                painter.setPen(colors.color(QPalette::Text));
                painter.drawText(body.adjusted(margin, margin, -margin, -margin),
                                 Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                                 data->displayText(row, text->index()));
            }
        }
        painter.setPen(colors.color(QPalette::Mid));
        painter.drawLine(panelRect(panel).bottomLeft(), panelRect(panel).bottomRight());
    }
    if (hasFocus() && current >= m_top && current < m_top + kVisiblePanels) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = captionRect(current - m_top).adjusted(1, 1, -1, -1);
        option.backgroundColor = colors.color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void DBCtrlGrid::drawCaptionText(QPainter& painter, const QRect& area, const QString& text) const
{
    // A long date or time format would be cut at the narrow caption; a
    // slightly smaller font keeps it whole.
    QFont small = font();
    for (int pixels = QFontInfo(small).pixelSize();
         pixels > 8 && QFontMetrics(small).horizontalAdvance(text) > area.width(); --pixels)
        small.setPixelSize(pixels - 1);
    painter.setFont(small);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, text);
    painter.setFont(font());
}

void DBCtrlGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    placeMemo();
}

// ---------------------------------------------------------------------------
// Mouse, keys, focus

void DBCtrlGrid::mousePressEvent(QMouseEvent* event)
{
    const int row = rowAtPanel(panelAt(event->position().toPoint()));
    if (row >= 0)
        moveTo(row);
    event->accept();
}

void DBCtrlGrid::wheelEvent(QWheelEvent* event)
{
    const int steps = -event->angleDelta().y() / 120;
    if (steps != 0)
        moveBy(steps);
    event->accept();
}

void DBCtrlGrid::keyPressEvent(QKeyEvent* event)
{
    // Keys the memo did not use come here too; they are the memo's.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    const QPointer<DBCtrlGrid> self(this);
    Q_EMIT keyDown(event->key(), event->modifiers());
    if (!self)
        return;
    const Dataset* data = dataset();
    const int rows = data && data->isOpen() ? data->recordCount() : 0;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        moveBy(-1);
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        moveBy(1);
        break;
    case Qt::Key_PageUp:
        moveBy(-kVisiblePanels);
        break;
    case Qt::Key_PageDown:
        moveBy(kVisiblePanels);
        break;
    case Qt::Key_Home:
        moveTo(0);
        break;
    case Qt::Key_End:
        moveTo(rows - 1);
        break;
    case Qt::Key_F2:
        if (m_memo->isVisible())
            m_memo->setFocus(Qt::OtherFocusReason);
        break;
    case Qt::Key_Escape:
        if (Dataset* editing = dataset(); editing && editing->isEditing()) {
            guarded([&] { editing->cancel(); });
            break;
        }
        event->ignore();
        return;
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
        // The owner's to act on (keyDown); the grid adds and deletes no rows.
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool DBCtrlGrid::contains(const QWidget* widget) const
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w == this)
            return true;
    }
    return false;
}

void DBCtrlGrid::onFocusChanged(QWidget* old, QWidget* now)
{
    if ((old && contains(old)) || (now && contains(now)))
        viewport()->update(); // the focus frame
    if (!now)
        return; // the program lost the focus; getting it back is no entry
    if (contains(now)) {
        const bool entering = !m_focusInside;
        m_focusInside = true;
        if (entering && !LineEdit::leaveRefusalPending())
            Q_EMIT enter();
    } else if (now->window() == window()) {
        // Only another control of this window takes the focus away.
        m_focusInside = false;
    }
}
