#pragma once

#include <QLineEdit>

// A one-line edit that tells its owner about a key before handling it
// (keyDown, so that a handler can react to Esc or Enter first) and about
// receiving the focus (enter). Switching windows or closing a pop-up menu
// gives the focus back without an enter. UI thread only.
class LineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit LineEdit(QWidget* parent = nullptr);

    // True while a masked edit refuses to be left and is about to take the
    // focus back: the control that has the focus for that moment was not
    // entered, and announces no entry.
    static bool leaveRefusalPending() { return s_leaveRefusalPending; }

Q_SIGNALS:
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void enter();

protected:
    void keyPressEvent(QKeyEvent* event) final;
    void focusInEvent(QFocusEvent* event) override;
    // The edit's own handling of a key, after keyDown.
    virtual void handleKey(QKeyEvent* event);
    // While set, receiving the focus is not announced (the edit takes it back).
    void setEnterSuppressed(bool suppressed) { m_enterSuppressed = suppressed; }

    static void setLeaveRefusalPending(bool pending) { s_leaveRefusalPending = pending; }

private:
    static inline bool s_leaveRefusalPending = false;
    bool m_enterSuppressed = false;
};
