#pragma once

#include "DataSource.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
class QToolButton;

// The record navigator: ten buttons, First to Refresh, acting on the dataset
// of the data source it is bound to, enabled by that dataset's state (all off
// while it is closed; First and Prior off at the first row, Next and Last at
// the last; Insert, Delete and Edit only when the dataset can be changed,
// Delete and Edit only with a row, Edit only when not editing; Post and
// Cancel only while editing). Refresh is hidden. The buttons never take the focus, so the
// grid the user works in keeps it. The navigator asks nothing before a
// delete: that is for its owner's before-action hook.
//
// An action is one operation however it starts (doAction): when the bound
// dataset is open, the before-action hook runs, then the action; then click
// is emitted. A refusal (the hook throws OperationAborted) or a failure
// (UserError, shown with the default error box) ends it there, without click.
// UI thread only; the navigator does not own its data source.
class DBNavigator : public QWidget
{
    Q_OBJECT

public:
    enum class Button
    {
        First,
        Prior,
        Next,
        Last,
        Insert,
        Delete,
        Edit,
        Post,
        Cancel,
        Refresh
    };
    Q_ENUM(Button)
    static constexpr int kButtonCount = 10;
    static constexpr std::array<Button, kButtonCount> kButtons {
        Button::First,  Button::Prior, Button::Next, Button::Last,   Button::Insert,
        Button::Delete, Button::Edit,  Button::Post, Button::Cancel, Button::Refresh
    };

    // "FIRST" ... "REFRESH", as the glyph resources are named.
    static QString buttonName(Button button);
    // "First" ... "Refresh", the buttons' object names.
    static QString buttonObjectName(Button button);
    // "First record" ... "Cancel edit" (and "Refresh data").
    static QString buttonHint(Button button);

    explicit DBNavigator(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }

    QToolButton* button(Button button) const { return m_buttons[size_t(button)]; }

    // Runs before each action on an open dataset; throws OperationAborted to
    // abandon the action silently, UserError to abandon it with a message.
    using BeforeAction = std::function<void(Button)>;
    void setBeforeAction(BeforeAction hook) { m_beforeAction = std::move(hook); }

    // The one navigator operation; true when it ran to the end (click emitted).
    bool doAction(Button button);

    // Sets the buttons' enabled states from the dataset; runs on every change.
    void updateButtons();

Q_SIGNALS:
    // After an action, or after a button press while the dataset was closed.
    void click(DBNavigator::Button button);

private:
    void perform(Button button);
    void detachSource();

    std::array<QToolButton*, kButtonCount> m_buttons {};
    QPointer<DataSource> m_source;
    BeforeAction m_beforeAction;
};
