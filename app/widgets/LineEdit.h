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

private:
    bool m_enterSuppressed = false;
};
