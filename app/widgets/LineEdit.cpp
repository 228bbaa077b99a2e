#include "LineEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>

LineEdit::LineEdit(QWidget* parent)
    : QLineEdit(parent)
{ }

void LineEdit::keyPressEvent(QKeyEvent* event)
{
    const QPointer<LineEdit> self(this);
    Q_EMIT keyDown(event->key(), event->modifiers());
    // The handler may have closed the window this edit lives in.
    if (self)
        handleKey(event);
}

void LineEdit::handleKey(QKeyEvent* event)
{
    QLineEdit::keyPressEvent(event);
}

void LineEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (m_enterSuppressed || s_leaveRefusalPending || event->reason() == Qt::ActiveWindowFocusReason
        || event->reason() == Qt::PopupFocusReason)
        return;
    Q_EMIT enter();
}
