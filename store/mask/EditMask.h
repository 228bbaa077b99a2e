#pragma once

#include <QChar>
#include <QLocale>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

// An input mask in the notation of the classic desktop masked edit: up to three
// parts separated by ';', "pattern;save;blank", for instance "000-000-0000;0;_".
//
// Parsing
//   - The ';' separators are recognised only among the last four characters of
//     the mask (and only when the mask has at least four characters), so a ';'
//     earlier in the mask is a literal of the pattern. An escaped "\;" is never
//     a separator.
//   - save: literals are stored with the value unless the first character after
//     the separator is '0'. Without that part, literals are stored.
//   - blank: the character shown for an unfilled position; '_' unless the mask
//     ends in ";x" right after the save part. A blank that a digit, letter or
//     sign position could accept (say "0000;0;0") would make a typed character
//     indistinguishable from an empty position, so '_' is used instead.
//   - Pattern characters: '0' digit required, '9' digit optional, '#' digit or
//     sign optional, 'L'/'l' letter required/optional, 'A'/'a' letter or digit
//     required/optional, 'C'/'c' any character required/optional; '>' and '<'
//     turn what follows to upper/lower case, "<>" stops turning; '!' aligns a
//     short value to the right (unfilled positions lead and are dropped from
//     the front when storing); '\' makes the next character a literal; '/' and
//     ':' are the locale's date and time separators; anything else is a literal.
//   - Digits are the ASCII digits; a letter is any Unicode letter. A position
//     holds one UTF-16 code unit, so characters outside the Basic Multilingual
//     Plane are refused rather than split.
//   - A mask without any editable position ("" or only literals and directives)
//     is no mask: every text passes through unchanged and hasMask() is false.
//
// The three texts
//   - stored value: what the database holds. Without stored literals it is the
//     characters of the editable positions, trailing unfilled ones dropped
//     (leading ones with '!'), inner unfilled ones as ' '. With stored literals
//     it is the whole masked text, unfilled positions as ' ', or "" when no
//     position is filled.
//   - display text (format()): the stored value put through the mask, unfilled
//     positions as ' '. A value that cannot be placed without dropping
//     characters is displayed as stored, so nothing is hidden.
//   - edit text: what an editor shows and works on; exactly length()
//     characters, one per position, literals at their places and the blank
//     character in unfilled positions (editText(), for instance "123-45_-____").
//
// Editor contract (a line edit wrapper keeps the edit text and its cursor):
//   - When hasMask() is false, behave as a plain line edit and pass the text
//     through storedValue()/format() unchanged.
//   - Start from editText(stored value); the maximum length is length().
//   - Only editable positions change; literals never move. A keystroke goes
//     through type() (or accept() for one position); Delete/Backspace/cut
//     blank positions through clear(); nothing shifts.
//   - On leaving a modified field, refuse to go while isComplete() is false.
//   - Store storedValue(edit text); it applies the case turning again.
class EditMask
{
public:
    enum class CharClass
    {
        Literal,
        Digit,
        DigitOrSign,
        Letter,
        LetterOrDigit,
        Any,
    };
    enum class CaseTurn
    {
        None,
        Upper,
        Lower,
    };

    // The result of typing a run of characters into an edit text.
    struct Typed
    {
        QString editText;
        qsizetype cursor = 0; // the editable position after the last one typed, or length()
        qsizetype refused = 0; // characters that fitted no position (the editor may beep)
    };

    EditMask() = default;
    // The locale gives the date and time separators for '/' and ':'.
    explicit EditMask(const QString& mask, const QLocale& locale = QLocale::system());

    const QString& mask() const { return m_mask; }
    bool hasMask() const { return m_hasMask; }
    bool storesLiterals() const { return m_storesLiterals; }
    QChar blank() const { return m_blank; }
    bool alignsRight() const { return m_alignsRight; }

    // Positions of the edit text, 0 .. length() - 1.
    qsizetype length() const { return static_cast<qsizetype>(m_positions.size()); }
    bool isEditable(qsizetype position) const;
    bool isRequired(qsizetype position) const;
    CharClass charClass(qsizetype position) const;
    CaseTurn caseTurn(qsizetype position) const;
    // The literal shown at a non-editable position; a null QChar elsewhere.
    QChar literalAt(qsizetype position) const;
    // The first editable position at or after position, or length() when none.
    qsizetype nextEditable(qsizetype position) const;
    // The last editable position before position, or -1 when none.
    qsizetype previousEditable(qsizetype position) const;
    // The character as it goes into the position (case turned), or nothing
    // when the position does not take it. The blank character is never taken.
    std::optional<QChar> accept(qsizetype position, QChar ch) const;

    QString format(const QString& storedValue) const;
    // A value that does not fit is cut to the positions; check fits() first
    // where the editor must not shorten a value the user leaves unchanged.
    QString editText(const QString& storedValue) const;
    QString emptyEditText() const { return editText(QString()); }
    // Whether the stored value can be placed in the positions without dropping characters.
    bool fits(const QString& storedValue) const;

    // Every required position holds a character of its kind, and every filled
    // optional position too.
    bool isComplete(const QString& editText) const;
    // No editable position is filled.
    bool isBlank(const QString& editText) const;
    // Characters beyond length() are not part of an edit text and are ignored.
    QString storedValue(const QString& editText) const;

    // Types the characters at the cursor, overwriting: a character equal to the
    // literal at the cursor steps over it; any other goes into the next
    // editable position if that position takes it, else it is refused (counted
    // and skipped, the cursor stays).
    Typed type(const QString& editText, qsizetype cursor, QStringView typed) const;
    // Blanks the editable positions in [from, to).
    QString clear(const QString& editText, qsizetype from, qsizetype to) const;

    // The same positions in QLineEdit::inputMask notation, whose display text
    // then equals the edit text here. Qt has no counterpart for '!' (it only
    // affects display and storing) and its 'N' also takes non-ASCII digits. Empty when
    // there is no mask or the pattern holds a ';' literal, which Qt cannot express.
    QString toQtInputMask() const;

private:
    struct Position
    {
        CharClass charClass = CharClass::Literal;
        bool required = false;
        CaseTurn caseTurn = CaseTurn::None;
        QChar literal;
    };

    const Position* at(qsizetype position) const;
    bool isUnfilled(const Position& position, QChar ch) const;
    std::vector<QChar> place(const QString& value, bool* fitted) const;
    QString normalized(const QString& editText) const;

    QString m_mask;
    std::vector<Position> m_positions;
    QChar m_blank = u'_';
    bool m_storesLiterals = true;
    bool m_alignsRight = false;
    bool m_hasMask = false;
};
