#include "MaskEdit.h"

#include "Messages.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

bool MaskEdit::s_reclaiming = false;

const QString MaskEdit::kInvalidInputMessage
    = QStringLiteral("Invalid input value.  Use escape key to abandon changes");

MaskEdit::MaskEdit(QWidget* parent)
    : MaskEdit(QString(), parent)
{ }

MaskEdit::MaskEdit(const QString& mask, QWidget* parent)
    : LineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &MaskEdit::onTextChanged);
    setEditMask(mask);
}

void MaskEdit::setEditMask(const QString& mask)
{
    const QString current = value();
    const bool modified = isModified();
    m_mask = EditMask(mask);
    if (m_mask.hasMask()) {
        setMaxLength(int(m_mask.length()));
        // Drops would insert text past the mask's positions.
        setAcceptDrops(false);
    } else {
        setMaxLength(32767);
        setAcceptDrops(true);
    }
    m_correcting = true;
    setText(m_mask.hasMask() ? m_mask.editText(current) : current);
    m_correcting = false;
    setModified(modified);
    if (m_mask.hasMask())
        setCursorPosition(int(firstUnfilled()));
    emitValueIfChanged();
}

QString MaskEdit::value() const
{
    return m_mask.hasMask() ? m_mask.storedValue(text()) : text();
}

void MaskEdit::setValue(const QString& storedValue)
{
    setText(m_mask.hasMask() ? m_mask.editText(storedValue) : storedValue);
}

bool MaskEdit::isComplete() const
{
    return m_mask.isComplete(text());
}

bool MaskEdit::isEditTextShape(const QString& text) const
{
    if (text.size() != m_mask.length())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!m_mask.isEditable(i) && text[i] != m_mask.literalAt(i))
            return false;
    }
    return true;
}

void MaskEdit::onTextChanged(const QString& text)
{
    // Typing goes through applyEdit; anything else is the program's text
    // (setValue, setText, clear) or an undo.
    if (m_correcting)
        return;
    if (m_mask.hasMask()) {
        if (!isEditTextShape(text)) {
            // A bare value: show it through the mask.
            const bool modified = isModified();
            m_correcting = true;
            setText(m_mask.editText(text));
            m_correcting = false;
            setModified(modified);
        }
        // So that typing goes on where the value ends, not past the last position.
        setCursorPosition(int(firstUnfilled()));
    }
    emitValueIfChanged();
}

qsizetype MaskEdit::firstUnfilled() const
{
    const QString shown = text();
    for (qsizetype i = 0; i < m_mask.length() && i < shown.size(); ++i) {
        if (m_mask.isEditable(i) && shown[i] == m_mask.blank())
            return i;
    }
    return m_mask.length();
}

void MaskEdit::emitValueIfChanged()
{
    const QString now = value();
    if (now == m_lastValue)
        return;
    m_lastValue = now;
    Q_EMIT valueChanged(now);
}

void MaskEdit::applyEdit(const QString& editText, qsizetype cursor)
{
    if (editText != text()) {
        // Replacing the whole text through insert() keeps it a user edit:
        // modified, on the undo stack, announced with textEdited.
        m_correcting = true;
        selectAll();
        insert(editText);
        m_correcting = false;
        emitValueIfChanged();
    }
    setCursorPosition(int(cursor));
}

void MaskEdit::typeText(const QString& typed)
{
    QString edit = text();
    qsizetype cursor = cursorPosition();
    if (hasSelectedText()) {
        cursor = selectionStart();
        edit = m_mask.clear(edit, cursor, selectionEnd());
    }
    const EditMask::Typed result = m_mask.type(edit, cursor, typed);
    if (result.refused == typed.size() && typed.size() == 1 && !hasSelectedText()) {
        // Typing the literal that the cursor has just been moved past
        // ("555-" with the cursor already after the '-') is no mistake.
        for (qsizetype p = cursor - 1; p >= 0 && !m_mask.isEditable(p); --p) {
            if (m_mask.literalAt(p) == typed.front())
                return;
        }
    }
    if (result.refused > 0)
        messages().beep();
    if (result.refused == typed.size())
        return; // nothing fitted: the text stays, selection included
    applyEdit(result.editText, result.cursor);
}

void MaskEdit::clearRange(qsizetype from, qsizetype to, qsizetype cursor)
{
    applyEdit(m_mask.clear(text(), from, to), cursor);
}

void MaskEdit::deleteMasked()
{
    if (hasSelectedText()) {
        clearRange(selectionStart(), selectionEnd(), selectionStart());
        return;
    }
    const qsizetype position = m_mask.nextEditable(cursorPosition());
    if (position < m_mask.length())
        clearRange(position, position + 1, cursorPosition());
}

void MaskEdit::cutMasked()
{
    if (!hasSelectedText())
        return;
    copy();
    clearRange(selectionStart(), selectionEnd(), selectionStart());
}

void MaskEdit::pasteMasked()
{
    const QString pasted = QApplication::clipboard()->text();
    if (!pasted.isEmpty())
        typeText(pasted);
}

void MaskEdit::handleKey(QKeyEvent* event)
{
    if (!m_mask.hasMask() || isReadOnly()) {
        LineEdit::handleKey(event);
        return;
    }
    event->accept();
    if (event->matches(QKeySequence::Paste)) {
        pasteMasked();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        cutMasked();
        return;
    }
    if (event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteEndOfWord)) {
        clearRange(cursorPosition(), m_mask.length(), cursorPosition());
        return;
    }
    if (event->matches(QKeySequence::DeleteStartOfWord) || event->matches(QKeySequence::DeleteCompleteLine)) {
        const qsizetype to
            = event->matches(QKeySequence::DeleteCompleteLine) ? m_mask.length() : cursorPosition();
        clearRange(0, to, 0);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace: {
        if (hasSelectedText()) {
            clearRange(selectionStart(), selectionEnd(), selectionStart());
            return;
        }
        const qsizetype position = m_mask.previousEditable(cursorPosition());
        if (position >= 0)
            clearRange(position, position + 1, position);
        return;
    }
    case Qt::Key_Delete:
        if (event->modifiers() & Qt::ShiftModifier) {
            cutMasked();
            return;
        }
        deleteMasked();
        return;
    case Qt::Key_Insert:
        if (event->modifiers() & Qt::ShiftModifier) {
            pasteMasked();
            return;
        }
        break;
    default:
        break;
    }
    const QString typed = event->text();
    const bool commandKey = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!typed.isEmpty() && typed.at(0).isPrint() && !commandKey) {
        typeText(typed);
        return;
    }
    // Moving, selecting, copying, undo: the line edit's own keys, which keep
    // the positions as they are.
    event->ignore();
    LineEdit::handleKey(event);
}

void MaskEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!m_mask.hasMask() || isReadOnly()) {
        LineEdit::inputMethodEvent(event);
        return;
    }
    if (!event->commitString().isEmpty())
        typeText(event->commitString());
    event->accept();
}

void MaskEdit::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_mask.hasMask()) {
        LineEdit::contextMenuEvent(event);
        return;
    }
    // The standard menu's cut, paste and delete would shift the positions.
    QMenu menu(this);
    const bool editable = !isReadOnly();
    QAction* undoAction = menu.addAction(tr("&Undo"), this, [this] { undo(); });
    undoAction->setEnabled(editable && isUndoAvailable());
    QAction* redoAction = menu.addAction(tr("&Redo"), this, [this] { redo(); });
    redoAction->setEnabled(editable && isRedoAvailable());
    menu.addSeparator();
    menu.addAction(tr("Cu&t"), this, [this] { cutMasked(); })->setEnabled(editable && hasSelectedText());
    menu.addAction(tr("&Copy"), this, [this] { copy(); })->setEnabled(hasSelectedText());
    menu.addAction(tr("&Paste"), this, [this] { pasteMasked(); })
        ->setEnabled(editable && !QApplication::clipboard()->text().isEmpty());
    menu.addAction(tr("Delete"), this, [this] { deleteMasked(); })->setEnabled(editable && hasSelectedText());
    menu.addSeparator();
    menu.addAction(tr("Select All"), this, [this] { selectAll(); });
    menu.exec(event->globalPos());
}

bool MaskEdit::validateOnLeave()
{
    if (!m_mask.hasMask() || !isModified() || isComplete())
        return true;
    messages().beep();
    messages().showError(kInvalidInputMessage);
    Q_EMIT leaveRefused();
    return false;
}

MaskEdit::~MaskEdit()
{
    // A refusal cut short by the edit going away must not block every entry.
    if (m_refusing)
        setLeaveRefusalPending(false);
}

void MaskEdit::reclaimFocus(QWidget& widget)
{
    const bool outer = !s_reclaiming;
    s_reclaiming = true;
    widget.setFocus(Qt::OtherFocusReason);
    if (outer)
        s_reclaiming = false;
}

void MaskEdit::focusInEvent(QFocusEvent* event)
{
    LineEdit::focusInEvent(event);
    // Entering from the keyboard or the program puts the cursor where typing
    // goes on (a tab selects all, and typing then replaces it).
    if (m_mask.hasMask() && event->reason() != Qt::MouseFocusReason && !hasSelectedText()
        && cursorPosition() > firstUnfilled())
        setCursorPosition(int(firstUnfilled()));
}

void MaskEdit::focusOutEvent(QFocusEvent* event)
{
    LineEdit::focusOutEvent(event);
    if (!m_leaveCheck || m_refusing || s_reclaiming)
        return;
    // Another window, a message box or a menu taking the focus is no leaving.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason
        || !isActiveWindow())
        return;
    if (!m_mask.hasMask() || !isModified() || isComplete())
        return;
    // Qt offers no veto on a focus change: take the focus back once the change
    // is over, so that the message box does not open inside it.
    m_refusing = true;
    setLeaveRefusalPending(true);
    QTimer::singleShot(0, this, [this] {
        if (!validateOnLeave()) {
            setEnterSuppressed(true);
            reclaimFocus(*this);
            setEnterSuppressed(false);
        }
        setLeaveRefusalPending(false);
        m_refusing = false;
    });
}
