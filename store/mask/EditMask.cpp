#include "EditMask.h"

#include <algorithm>

namespace {

constexpr QChar DefaultBlank = u'_';
constexpr QChar FieldSeparator = u';';

bool isAsciiDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

bool takes(EditMask::CharClass charClass, QChar ch)
{
    switch (charClass) {
    case EditMask::CharClass::Digit:
        return isAsciiDigit(ch);
    case EditMask::CharClass::DigitOrSign:
        return isAsciiDigit(ch) || ch == u'+' || ch == u'-';
    case EditMask::CharClass::Letter:
        return ch.isLetter();
    case EditMask::CharClass::LetterOrDigit:
        return ch.isLetter() || isAsciiDigit(ch);
    case EditMask::CharClass::Any:
        return true;
    case EditMask::CharClass::Literal:
        break;
    }
    return false;
}

// A character an editor can hold in one position: printable and a whole character.
bool isTypeable(QChar ch)
{
    return ch.isPrint() && !ch.isSurrogate();
}

QChar turned(EditMask::CaseTurn turn, QChar ch)
{
    switch (turn) {
    case EditMask::CaseTurn::Upper:
        return ch.toUpper();
    case EditMask::CaseTurn::Lower:
        return ch.toLower();
    case EditMask::CaseTurn::None:
        break;
    }
    return ch;
}

// QLocale has no separator accessor; the short formats carry them between their fields.
QChar separatorOf(const QString& format, QChar fallback)
{
    bool quoted = false;
    for (const QChar ch : format) {
        if (ch == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted || ch.isLetterOrNumber() || ch.isSpace())
            continue;
        return ch;
    }
    return fallback;
}

bool hasSurrogate(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar ch) { return ch.isSurrogate(); });
}

} // namespace

EditMask::EditMask(const QString& mask, const QLocale& locale)
    : m_mask(mask)
{
    const qsizetype size = mask.size();
    std::vector<bool> escaped(static_cast<std::size_t>(size), false);
    for (qsizetype i = 0; i + 1 < size; ++i) {
        if (mask[i] == u'\\' && !escaped[i])
            escaped[i + 1] = true;
    }

    std::vector<qsizetype> separators;
    if (size >= 4) {
        for (qsizetype i = size - 4; i < size; ++i) {
            if (mask[i] == FieldSeparator && !escaped[i])
                separators.push_back(i);
        }
    }

    qsizetype patternEnd = size;
    if (!separators.empty()) {
        patternEnd = separators.front();
        // With two separators the save character follows the one before the last.
        const qsizetype saveSeparator
            = separators.size() >= 2 ? separators[separators.size() - 2] : separators.back();
        if (saveSeparator + 1 < size && mask[saveSeparator + 1] == u'0')
            m_storesLiterals = false;
        // The blank is only read when a save part stands before it.
        if (separators.size() >= 2 && separators.back() == size - 2
            && separators[separators.size() - 2] >= size - 4)
            m_blank = mask[size - 1];
    }

    const QChar dateSeparator = separatorOf(locale.dateFormat(QLocale::ShortFormat), u'/');
    const QChar timeSeparator = separatorOf(locale.timeFormat(QLocale::ShortFormat), u':');

    CaseTurn turn = CaseTurn::None;
    const auto addLiteral = [this](QChar ch) {
        Position position;
        position.literal = ch;
        m_positions.push_back(position);
    };
    const auto addEditable = [this, &turn](CharClass charClass, bool required) {
        Position position;
        position.charClass = charClass;
        position.required = required;
        position.caseTurn = turn;
        m_positions.push_back(position);
    };

    for (qsizetype i = 0; i < patternEnd; ++i) {
        const QChar ch = mask[i];
        if (escaped[i]) {
            addLiteral(ch);
            continue;
        }
        switch (ch.unicode()) {
        case u'\\':
            break;
        case u'>':
            turn = (i > 0 && mask[i - 1] == u'<' && !escaped[i - 1]) ? CaseTurn::None : CaseTurn::Upper;
            break;
        case u'<':
            turn = CaseTurn::Lower;
            break;
        case u'!':
            m_alignsRight = true;
            break;
        case u'/':
            addLiteral(dateSeparator);
            break;
        case u':':
            addLiteral(timeSeparator);
            break;
        case u'0':
            addEditable(CharClass::Digit, true);
            break;
        case u'9':
            addEditable(CharClass::Digit, false);
            break;
        case u'#':
            addEditable(CharClass::DigitOrSign, false);
            break;
        case u'L':
            addEditable(CharClass::Letter, true);
            break;
        case u'l':
            addEditable(CharClass::Letter, false);
            break;
        case u'A':
            addEditable(CharClass::LetterOrDigit, true);
            break;
        case u'a':
            addEditable(CharClass::LetterOrDigit, false);
            break;
        case u'C':
            addEditable(CharClass::Any, true);
            break;
        case u'c':
            addEditable(CharClass::Any, false);
            break;
        default:
            addLiteral(ch);
            break;
        }
    }

    m_hasMask = std::any_of(m_positions.cbegin(), m_positions.cend(),
                            [](const Position& p) { return p.charClass != CharClass::Literal; });
    if (!m_hasMask) {
        m_positions.clear();
        return;
    }

    const bool blankCollides
        = std::any_of(m_positions.cbegin(), m_positions.cend(), [this](const Position& p) {
              return p.charClass != CharClass::Literal && p.charClass != CharClass::Any
                  && takes(p.charClass, m_blank);
          });
    if (blankCollides || !isTypeable(m_blank))
        m_blank = DefaultBlank;
}

const EditMask::Position* EditMask::at(qsizetype position) const
{
    if (position < 0 || position >= length())
        return nullptr;
    return &m_positions[static_cast<std::size_t>(position)];
}

bool EditMask::isEditable(qsizetype position) const
{
    const Position* p = at(position);
    return p && p->charClass != CharClass::Literal;
}

bool EditMask::isRequired(qsizetype position) const
{
    const Position* p = at(position);
    return p && p->required;
}

EditMask::CharClass EditMask::charClass(qsizetype position) const
{
    const Position* p = at(position);
    return p ? p->charClass : CharClass::Literal;
}

EditMask::CaseTurn EditMask::caseTurn(qsizetype position) const
{
    const Position* p = at(position);
    return p ? p->caseTurn : CaseTurn::None;
}

QChar EditMask::literalAt(qsizetype position) const
{
    const Position* p = at(position);
    return p ? p->literal : QChar();
}

qsizetype EditMask::nextEditable(qsizetype position) const
{
    for (qsizetype i = std::max<qsizetype>(position, 0); i < length(); ++i) {
        if (isEditable(i))
            return i;
    }
    return length();
}

qsizetype EditMask::previousEditable(qsizetype position) const
{
    for (qsizetype i = std::min(position, length()) - 1; i >= 0; --i) {
        if (isEditable(i))
            return i;
    }
    return -1;
}

std::optional<QChar> EditMask::accept(qsizetype position, QChar ch) const
{
    if (!m_hasMask)
        return isTypeable(ch) ? std::optional<QChar>(ch) : std::nullopt;
    const Position* p = at(position);
    if (!p || p->charClass == CharClass::Literal || ch == m_blank || !isTypeable(ch)
        || !takes(p->charClass, ch))
        return std::nullopt;
    return turned(p->caseTurn, ch);
}

// A space counts as filled only where any character is allowed, as the toolkit had it.
bool EditMask::isUnfilled(const Position& position, QChar ch) const
{
    return ch.isNull() || ch == m_blank || (ch == u' ' && position.charClass != CharClass::Any);
}

// One character per position: the literal, a character of the value, or a
// null QChar for an unfilled editable position. With stored literals the
// value's own literals mark where its groups end, so "12-345-6789" lands as
// "12 -345-6789" and a value stored without them still fills in order.
std::vector<QChar> EditMask::place(const QString& value, bool* fitted) const
{
    std::vector<QChar> placed(m_positions.size());
    for (std::size_t i = 0; i < m_positions.size(); ++i)
        placed[i] = m_positions[i].literal;

    std::vector<std::size_t> editable;
    for (std::size_t i = 0; i < m_positions.size(); ++i) {
        if (m_positions[i].charClass != CharClass::Literal)
            editable.push_back(i);
    }

    const qsizetype size = value.size();
    qsizetype used = 0;
    if (!m_storesLiterals) {
        const auto slots = static_cast<qsizetype>(editable.size());
        const qsizetype count = std::min(size, slots);
        const qsizetype offset = m_alignsRight ? slots - count : 0;
        for (qsizetype i = 0; i < count; ++i)
            placed[editable[static_cast<std::size_t>(offset + i)]] = value[i];
        used = count;
    } else {
        const qsizetype positions = length();
        qsizetype p = 0;
        while (p < positions) {
            const Position& position = m_positions[static_cast<std::size_t>(p)];
            if (position.charClass == CharClass::Literal) {
                if (used < size && value[used] == position.literal)
                    ++used;
                ++p;
                continue;
            }
            qsizetype end = p;
            while (end < positions && isEditable(end))
                ++end;
            const qsizetype room = end - p;
            qsizetype take = std::min(room, size - used);
            if (end < positions) {
                const qsizetype literal = value.indexOf(literalAt(end), used);
                if (literal >= 0 && literal - used <= room)
                    take = literal - used;
            }
            const qsizetype offset = m_alignsRight ? room - take : 0;
            for (qsizetype i = 0; i < take; ++i)
                placed[static_cast<std::size_t>(p + offset + i)] = value[used + i];
            used += take;
            p = end;
        }
    }
    if (fitted)
        *fitted = used >= size && !hasSurrogate(value);
    return placed;
}

QString EditMask::format(const QString& storedValue) const
{
    if (!m_hasMask)
        return storedValue;
    bool fitted = false;
    const std::vector<QChar> placed = place(storedValue, &fitted);
    if (!fitted)
        return storedValue;
    QString text;
    text.reserve(length());
    for (const QChar ch : placed)
        text.append(ch.isNull() ? QChar(u' ') : ch);
    return text;
}

QString EditMask::editText(const QString& storedValue) const
{
    if (!m_hasMask)
        return storedValue;
    const std::vector<QChar> placed = place(storedValue, nullptr);
    QString text;
    text.reserve(length());
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const Position& position = m_positions[i];
        const bool unfilled = position.charClass != CharClass::Literal && isUnfilled(position, placed[i]);
        text.append(unfilled ? m_blank : placed[i]);
    }
    return text;
}

bool EditMask::fits(const QString& storedValue) const
{
    if (!m_hasMask)
        return true;
    bool fitted = false;
    place(storedValue, &fitted);
    return fitted;
}

bool EditMask::isComplete(const QString& editText) const
{
    if (!m_hasMask)
        return true;
    if (editText.size() > length())
        return false;
    for (qsizetype i = 0; i < length(); ++i) {
        const Position& position = m_positions[static_cast<std::size_t>(i)];
        if (position.charClass == CharClass::Literal)
            continue;
        const QChar ch = i < editText.size() ? editText[i] : QChar();
        if (isUnfilled(position, ch)) {
            if (position.required)
                return false;
            continue;
        }
        if (!isTypeable(ch) || !takes(position.charClass, ch))
            return false;
    }
    return true;
}

bool EditMask::isBlank(const QString& editText) const
{
    if (!m_hasMask)
        return editText.isEmpty();
    for (qsizetype i = 0; i < length(); ++i) {
        const Position& position = m_positions[static_cast<std::size_t>(i)];
        if (position.charClass == CharClass::Literal)
            continue;
        if (!isUnfilled(position, i < editText.size() ? editText[i] : QChar()))
            return false;
    }
    return true;
}

QString EditMask::storedValue(const QString& editText) const
{
    if (!m_hasMask)
        return editText;

    // Null marks an unfilled position until the trimming below is done.
    std::vector<QChar> chars;
    chars.reserve(m_positions.size());
    bool anyFilled = false;
    for (qsizetype i = 0; i < length(); ++i) {
        const Position& position = m_positions[static_cast<std::size_t>(i)];
        if (position.charClass == CharClass::Literal) {
            if (m_storesLiterals)
                chars.push_back(position.literal);
            continue;
        }
        const QChar ch = i < editText.size() ? editText[i] : QChar();
        if (isUnfilled(position, ch)) {
            chars.push_back(QChar());
        } else {
            chars.push_back(turned(position.caseTurn, ch));
            anyFilled = true;
        }
    }

    // An untouched field stores nothing, not a row of literals.
    if (!anyFilled)
        return QString();

    auto begin = chars.cbegin();
    auto end = chars.cend();
    if (!m_storesLiterals) {
        if (m_alignsRight) {
            while (begin != end && begin->isNull())
                ++begin;
        } else {
            while (end != begin && (end - 1)->isNull())
                --end;
        }
    }
    QString value;
    value.reserve(end - begin);
    for (auto it = begin; it != end; ++it)
        value.append(it->isNull() ? QChar(u' ') : *it);
    return value;
}

// Pads or cuts a text to one character per position; the literals are put back.
QString EditMask::normalized(const QString& editText) const
{
    QString text = editText.left(length());
    for (qsizetype i = 0; i < length(); ++i) {
        if (!isEditable(i)) {
            if (i < text.size())
                text[i] = literalAt(i);
            else
                text.append(literalAt(i));
        } else if (i >= text.size()) {
            text.append(m_blank);
        }
    }
    return text;
}

EditMask::Typed EditMask::type(const QString& editText, qsizetype cursor, QStringView typed) const
{
    Typed result;
    if (!m_hasMask) {
        const qsizetype at = std::clamp<qsizetype>(cursor, 0, editText.size());
        QString inserted;
        for (const QChar ch : typed) {
            if (isTypeable(ch))
                inserted.append(ch);
            else
                ++result.refused;
        }
        result.editText = editText;
        result.editText.insert(at, inserted);
        result.cursor = at + inserted.size();
        return result;
    }

    result.editText = normalized(editText);
    qsizetype position = std::clamp<qsizetype>(cursor, 0, length());
    for (const QChar ch : typed) {
        if (position < length() && !isEditable(position) && literalAt(position) == ch) {
            ++position;
            continue;
        }
        const qsizetype target = nextEditable(position);
        const std::optional<QChar> accepted = accept(target, ch);
        if (!accepted) {
            ++result.refused;
            continue;
        }
        result.editText[target] = *accepted;
        position = target + 1;
    }
    result.cursor = nextEditable(position);
    return result;
}

QString EditMask::clear(const QString& editText, qsizetype from, qsizetype to) const
{
    if (!m_hasMask) {
        const qsizetype begin = std::clamp<qsizetype>(from, 0, editText.size());
        const qsizetype end = std::clamp<qsizetype>(to, begin, editText.size());
        QString text = editText;
        text.remove(begin, end - begin);
        return text;
    }
    QString text = normalized(editText);
    for (qsizetype i = std::max<qsizetype>(from, 0); i < std::min(to, length()); ++i) {
        if (isEditable(i))
            text[i] = m_blank;
    }
    return text;
}

QString EditMask::toQtInputMask() const
{
    if (!m_hasMask)
        return QString();
    static const QString qtMeta = QStringLiteral("AaNnXx90Dd#HhBb><!\\[]{};");
    QString qt;
    CaseTurn current = CaseTurn::None;
    for (const Position& position : m_positions) {
        if (position.charClass == CharClass::Literal) {
            // Qt ends its mask at the first ';', escaped or not.
            if (position.literal == FieldSeparator)
                return QString();
            if (qtMeta.contains(position.literal))
                qt.append(u'\\');
            qt.append(position.literal);
            continue;
        }
        if (position.caseTurn != current) {
            current = position.caseTurn;
            qt.append(current == CaseTurn::Upper ? u'>' : current == CaseTurn::Lower ? u'<' : u'!');
        }
        // Qt swaps the meaning of '0' and '9' and names letters 'A' and alphanumerics 'N'.
        switch (position.charClass) {
        case CharClass::Digit:
            qt.append(position.required ? u'9' : u'0');
            break;
        case CharClass::DigitOrSign:
            qt.append(u'#');
            break;
        case CharClass::Letter:
            qt.append(position.required ? u'A' : u'a');
            break;
        case CharClass::LetterOrDigit:
            qt.append(position.required ? u'N' : u'n');
            break;
        case CharClass::Any:
            qt.append(position.required ? u'X' : u'x');
            break;
        case CharClass::Literal:
            break;
        }
    }
    qt.append(FieldSeparator);
    qt.append(m_blank);
    return qt;
}
