#include "DBNavigator.h"

#include "DataSource.h"
#include "Dataset.h"
#include "Guard.h"
#include "PendingEdits.h"

#include <QHBoxLayout>
#include <QToolButton>

QString DBNavigator::buttonName(Button button)
{
    static const char* const names[]
        = { "FIRST", "PRIOR", "NEXT", "LAST", "INSERT", "DELETE", "EDIT", "POST", "CANCEL", "REFRESH" };
    return QString::fromLatin1(names[int(button)]);
}

QString DBNavigator::buttonObjectName(Button button)
{
    static const char* const names[]
        = { "First", "Prior", "Next", "Last", "Insert", "Delete", "Edit", "Post", "Cancel", "Refresh" };
    return QString::fromLatin1(names[int(button)]);
}

QString DBNavigator::buttonHint(Button button)
{
    static const char* const hints[]
        = { "First record",  "Prior record", "Next record", "Last record", "Insert record",
            "Delete record", "Edit record",  "Post edit",   "Cancel edit", "Refresh data" };
    return QString::fromLatin1(hints[int(button)]);
}

DBNavigator::DBNavigator(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const Button b : kButtons) {
        auto* button = new QToolButton(this);
        button->setObjectName(buttonObjectName(b));
        button->setToolTip(buttonHint(b));
        button->setAccessibleName(buttonHint(b));
        button->setFocusPolicy(Qt::NoFocus);
        button->setIconSize(QSize(16, 16));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumSize(23, 23);
        connect(button, &QToolButton::clicked, this, [this, b] { doAction(b); });
        layout->addWidget(button);
        m_buttons[size_t(b)] = button;
    }
    button(Button::Refresh)->setVisible(false);
    setFocusPolicy(Qt::NoFocus);
    updateButtons();
}

void DBNavigator::setDataSource(DataSource* source)
{
    if (source == m_source)
        return;
    detachSource();
    m_source = source;
    if (source) {
        Dataset& dataset = source->dataset();
        connect(source, &DataSource::dataChange, this, &DBNavigator::updateButtons);
        connect(source, &DataSource::stateChange, this, &DBNavigator::updateButtons);
        connect(source, &QObject::destroyed, this, &DBNavigator::detachSource);
        connect(&dataset, &Dataset::rowsReset, this, &DBNavigator::updateButtons);
        connect(&dataset, &Dataset::rowInserted, this, &DBNavigator::updateButtons);
        connect(&dataset, &Dataset::rowRemoved, this, &DBNavigator::updateButtons);
        connect(&dataset, &Dataset::currentRowChanged, this, &DBNavigator::updateButtons);
        connect(&dataset, &QObject::destroyed, this, &DBNavigator::detachSource);
    }
    updateButtons();
}

void DBNavigator::detachSource()
{
    if (m_source) {
        disconnect(m_source, nullptr, this, nullptr);
        disconnect(&m_source->dataset(), nullptr, this, nullptr);
    }
    m_source = nullptr;
    updateButtons();
}

void DBNavigator::updateButtons()
{
    const Dataset* dataset = m_source ? &m_source->dataset() : nullptr;
    const bool open = dataset && dataset->isOpen();
    const bool editing = open && dataset->isEditing();
    const bool canModify = open && dataset->canModify();
    const auto set = [this](Button b, bool enabled) { button(b)->setEnabled(enabled); };
    set(Button::First, open && !dataset->atFirst());
    set(Button::Prior, open && !dataset->atFirst());
    set(Button::Next, open && !dataset->atLast());
    set(Button::Last, open && !dataset->atLast());
    set(Button::Insert, canModify);
    set(Button::Delete, canModify && dataset->recordCount() > 0);
    // Without a row there is nothing to edit.
    set(Button::Edit, canModify && !editing && dataset->recordCount() > 0);
    set(Button::Post, editing);
    set(Button::Cancel, editing);
    set(Button::Refresh, open);
}

bool DBNavigator::doAction(Button button)
{
    const bool completed = guarded([&] {
        if (m_source && m_source->dataset().isOpen()) {
            if (m_beforeAction)
                m_beforeAction(button);
            // The hook may have bound the navigator elsewhere or closed the dataset.
            if (m_source && m_source->dataset().isOpen())
                perform(button);
        }
    });
    if (completed)
        Q_EMIT click(button);
    return completed;
}

void DBNavigator::perform(Button button)
{
    Dataset& dataset = m_source->dataset();
    // An editor's typed text belongs to the row: it is written before any
    // step that may post, dropped by a cancel, and goes with a deleted row.
    if (button == Button::Cancel)
        PendingEdits::discardAll(dataset);
    else if (button != Button::Delete)
        PendingEdits::writeAll(dataset);
    switch (button) {
    case Button::First:
        dataset.first();
        break;
    case Button::Prior:
        dataset.prior();
        break;
    case Button::Next:
        dataset.next();
        break;
    case Button::Last:
        dataset.last();
        break;
    case Button::Insert:
        dataset.insert();
        break;
    case Button::Delete:
        dataset.remove();
        break;
    case Button::Edit:
        dataset.edit();
        break;
    case Button::Post:
        dataset.post();
        break;
    case Button::Cancel:
        dataset.cancel();
        break;
    case Button::Refresh:
        dataset.refresh();
        break;
    }
}
