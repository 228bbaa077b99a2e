#pragma once

#include "EditMask.h"
#include "LineEdit.h"

// A one-line edit over an edit mask ("pattern;save;blank", see EditMask): the
// text shown is the mask's edit text, one character per position, with the
// blank character in unfilled positions; typing overwrites positions and steps
// over literals; Delete and Backspace blank positions and nothing shifts;
// letters are turned as the mask says. value() is the stored value (for
// "0000000000;0;_" the digits typed, without blanks). Without a mask it is a
// plain line edit whose value is its text.
//
// Leaving the field after the user changed its text while the mask is not
// complete is refused: a beep, the error "Invalid input value.  Use escape key
// to abandon changes" and the focus comes back. Text set by the program
// (setValue, setText, clear) is not a user change, so an emptied field can be
// left. Set the text through setValue; valueChanged reports each change of the
// stored value, by the user or by the program, once. UI thread only.
class MaskEdit : public LineEdit
{
    Q_OBJECT

public:
    static const QString kInvalidInputMessage;

    explicit MaskEdit(QWidget* parent = nullptr);
    explicit MaskEdit(const QString& mask, QWidget* parent = nullptr);
    ~MaskEdit() override;

    // Replaces the mask and shows the current value through the new one.
    void setEditMask(const QString& mask);
    const QString& editMask() const { return m_mask.mask(); }
    const EditMask& mask() const { return m_mask; }
    bool hasMask() const { return m_mask.hasMask(); }

    // The stored value of the text shown.
    QString value() const;
    // Shows a stored value; not a change by the user.
    void setValue(const QString& storedValue);
    // The text shown, blanks included.
    QString editText() const { return text(); }

    // Every required position is filled (always true without a mask).
    bool isComplete() const;
    // The text was changed by the user since the program last set it.
    bool isUserModified() const { return isModified(); }

    // Whether the field may be left now; when not, beeps, shows the error and
    // emits leaveRefused. Used on every focus loss while leaveCheck is on.
    bool validateOnLeave();
    // On by default; an owner that checks on its own (a grid's cell editor)
    // turns it off.
    void setLeaveCheck(bool on) { m_leaveCheck = on; }
    bool leaveCheck() const { return m_leaveCheck; }

    // Gives the focus back to a widget that refused to lose it. Meanwhile no
    // field refuses to give the focus up, so two refusing fields cannot take
    // it from each other in turn.
    static void reclaimFocus(QWidget& widget);
    static bool isReclaimingFocus() { return s_reclaiming; }

Q_SIGNALS:
    void valueChanged(const QString& value);
    void leaveRefused();

protected:
    void handleKey(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void typeText(const QString& typed);
    void clearRange(qsizetype from, qsizetype to, qsizetype cursor);
    void applyEdit(const QString& editText, qsizetype cursor);
    void pasteMasked();
    void cutMasked();
    void deleteMasked();
    void onTextChanged(const QString& text);
    bool isEditTextShape(const QString& text) const;
    qsizetype firstUnfilled() const;
    void emitValueIfChanged();

    EditMask m_mask;
    QString m_lastValue;
    bool m_correcting = false;
    bool m_refusing = false;
    bool m_leaveCheck = true;
    static bool s_reclaiming;
};
