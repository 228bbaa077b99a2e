#include "EditMask.h"

#include <QLineEdit>
#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The positions written back in mask notation, so a table row shows the parse at a glance.
QString describe(const EditMask& mask)
{
    QString text;
    EditMask::CaseTurn turn = EditMask::CaseTurn::None;
    for (qsizetype i = 0; i < mask.length(); ++i) {
        if (!mask.isEditable(i)) {
            text += u'\\' + QString(mask.literalAt(i));
            continue;
        }
        if (mask.caseTurn(i) != turn) {
            turn = mask.caseTurn(i);
            text += turn == EditMask::CaseTurn::Upper ? u">"_s
                : turn == EditMask::CaseTurn::Lower   ? u"<"_s
                                                      : u"<>"_s;
        }
        const bool required = mask.isRequired(i);
        switch (mask.charClass(i)) {
        case EditMask::CharClass::Digit:
            text += required ? u'0' : u'9';
            break;
        case EditMask::CharClass::DigitOrSign:
            text += u'#';
            break;
        case EditMask::CharClass::Letter:
            text += required ? u'L' : u'l';
            break;
        case EditMask::CharClass::LetterOrDigit:
            text += required ? u'A' : u'a';
            break;
        case EditMask::CharClass::Any:
            text += required ? u'C' : u'c';
            break;
        case EditMask::CharClass::Literal:
            text += u'?';
            break;
        }
    }
    return text;
}

const QLocale us(QLocale::English, QLocale::UnitedStates);

} // namespace

class EditMaskTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void format_data();
    void format();
    void editText_data();
    void editText();
    void storedValue_data();
    void storedValue();
    void roundTrip_data();
    void roundTrip();
    void completeness_data();
    void completeness();
    void accept_data();
    void accept();
    void type_data();
    void type();
    void clearAndNavigation();
    void localeSeparators_data();
    void localeSeparators();
    void qtInputMask_data();
    void qtInputMask();
    void qtLineEditAgrees_data();
    void qtLineEditAgrees();
};

void EditMaskTest::parse_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("hasMask");
    QTest::addColumn<bool>("storesLiterals");
    QTest::addColumn<QString>("blank");
    QTest::addColumn<bool>("alignsRight");
    QTest::addColumn<QString>("positions");

    QTest::newRow("phone, literals not stored")
        << u"000-000-0000;0;_"_s << true << false << u"_"_s << false << u"000\\-000\\-0000"_s;
    QTest::newRow("phone, literals stored")
        << u"000-000-0000;1;_"_s << true << true << u"_"_s << false << u"000\\-000\\-0000"_s;
    QTest::newRow("any other save character stores")
        << u"000-0;x;_"_s << true << true << u"_"_s << false << u"000\\-0"_s;
    QTest::newRow("pattern alone stores literals")
        << u"000-000-0000"_s << true << true << u"_"_s << false << u"000\\-000\\-0000"_s;
    QTest::newRow("search field mask")
        << u"0000000000;0;_"_s << true << false << u"_"_s << false << u"0000000000"_s;
    QTest::newRow("own blank") << u"(999) 000;0;*"_s << true << false << u"*"_s << false
                               << u"\\(999\\)\\ 000"_s;
    QTest::newRow("space as blank") << u"aa;0; "_s << true << false << u" "_s << false << u"aa"_s;
    QTest::newRow("';' before the last four is a literal")
        << u"00;00;0;_"_s << true << false << u"_"_s << false << u"00\\;00"_s;
    QTest::newRow("escaped ';' in the last four is a literal")
        << u"00\\;0;1;_"_s << true << true << u"_"_s << false << u"00\\;0"_s;
    QTest::newRow("escaped ';' is no separator")
        << u"0000\\;"_s << true << true << u"_"_s << false << u"0000\\;"_s;
    QTest::newRow("too short for separators") << u"0;0"_s << true << true << u"_"_s << false << u"0\\;0"_s;
    QTest::newRow("empty save part stores") << u"0000;"_s << true << true << u"_"_s << false << u"0000"_s;
    QTest::newRow("save part without blank")
        << u"00000;0"_s << true << false << u"_"_s << false << u"00000"_s;
    QTest::newRow("empty blank part") << u"0000;0;"_s << true << false << u"_"_s << false << u"0000"_s;
    QTest::newRow("long save part: first character counts")
        << u"00000;0_"_s << true << false << u"_"_s << false << u"00000"_s;
    QTest::newRow("blank a digit could be") << u"0000;0;0"_s << true << false << u"_"_s << false << u"0000"_s;
    QTest::newRow("blank a sign could be") << u"###0;0;+"_s << true << false << u"_"_s << false << u"###0"_s;
    QTest::newRow("control character blank")
        << u"0000;0;\t"_s << true << false << u"_"_s << false << u"0000"_s;
    QTest::newRow("right alignment") << u"!999;0;_"_s << true << false << u"_"_s << true << u"999"_s;
    QTest::newRow("escaped '!' is a literal")
        << u"\\!999"_s << true << true << u"_"_s << false << u"\\!999"_s;
    QTest::newRow("escaped mask characters")
        << u"\\0\\9\\\\0"_s << true << true << u"_"_s << false << u"\\0\\9\\\\0"_s;
    QTest::newRow("trailing backslash") << u"00\\"_s << true << true << u"_"_s << false << u"00"_s;
    QTest::newRow("all classes") << u"09#LlAaCc"_s << true << true << u"_"_s << false << u"09#LlAaCc"_s;
    QTest::newRow("case turning") << u">LL<ll<>cc"_s << true << true << u"_"_s << false << u">LL<ll<>cc"_s;
    QTest::newRow("escaped '<' does not end turning")
        << u">L\\<>L"_s << true << true << u"_"_s << false << u">L\\<L"_s;
    QTest::newRow("empty mask") << QString() << false << true << u"_"_s << false << QString();
    QTest::newRow("directives only") << u"><"_s << false << true << u"_"_s << false << QString();
    QTest::newRow("literals only") << u"---;0;_"_s << false << false << u"_"_s << false << QString();
}

void EditMaskTest::parse()
{
    QFETCH(QString, mask);
    QFETCH(bool, hasMask);
    QFETCH(bool, storesLiterals);
    QFETCH(QString, blank);
    QFETCH(bool, alignsRight);
    QFETCH(QString, positions);

    const EditMask parsed(mask, us);
    QCOMPARE(parsed.mask(), mask);
    QCOMPARE(parsed.hasMask(), hasMask);
    QCOMPARE(parsed.storesLiterals(), storesLiterals);
    QCOMPARE(QString(parsed.blank()), blank);
    QCOMPARE(parsed.alignsRight(), alignsRight);
    QCOMPARE(describe(parsed), positions);
}

void EditMaskTest::format_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("display");
    QTest::addColumn<bool>("fits");

    const QString phone = u"000-000-0000;0;_"_s;
    const QString phoneWithLiterals = u"000-000-0000;1;_"_s;
    QTest::newRow("ten digits") << phone << u"1234567890"_s << u"123-456-7890"_s << true;
    QTest::newRow("fewer digits leave blanks") << phone << u"12345"_s << u"123-45 -    "_s << true;
    QTest::newRow("nothing stored") << phone << QString() << u"   -   -    "_s << true;
    QTest::newRow("too long is shown as stored") << phone << u"12345678901"_s << u"12345678901"_s << false;
    QTest::newRow("no literals") << u"0000000000;0;_"_s << u"12345"_s << u"12345     "_s << true;
    QTest::newRow("stored literals") << phoneWithLiterals << u"123-456-7890"_s << u"123-456-7890"_s << true;
    QTest::newRow("stored literals missing")
        << phoneWithLiterals << u"1234567890"_s << u"123-456-7890"_s << true;
    QTest::newRow("stored literals end a short group")
        << phoneWithLiterals << u"12-345-6789"_s << u"12 -345-6789"_s << true;
    QTest::newRow("stored literals, partly filled")
        << phoneWithLiterals << u"123-45 -    "_s << u"123-45 -    "_s << true;
    QTest::newRow("stored literals, group too long")
        << phoneWithLiterals << u"123-4567-890"_s << u"123-4567-890"_s << false;
    QTest::newRow("leading literal") << u"(999) 000-0000;1;_"_s << u"(555) 123-4567"_s << u"(555) 123-4567"_s
                                     << true;
    QTest::newRow("right aligned") << u"!999-999;0;_"_s << u"12345"_s << u" 12-345"_s << true;
    QTest::newRow("right aligned with literals") << u"!999;1;_"_s << u"12"_s << u" 12"_s << true;
    QTest::newRow("inner blanks kept") << u"999-999;0;_"_s << u"1  23"_s << u"1  -23 "_s << true;
    QTest::newRow("display does not turn case") << u">LLL;0;_"_s << u"abc"_s << u"abc"_s << true;
    QTest::newRow("character outside the BMP")
        << u"000;0;_"_s << u"1\U0001D400"_s << u"1\U0001D400"_s << false;
    QTest::newRow("no mask") << QString() << u"+49 30 1234"_s << u"+49 30 1234"_s << true;
}

void EditMaskTest::format()
{
    QFETCH(QString, mask);
    QFETCH(QString, stored);
    QFETCH(QString, display);
    QFETCH(bool, fits);

    const EditMask parsed(mask, us);
    QCOMPARE(parsed.format(stored), display);
    QCOMPARE(parsed.fits(stored), fits);
}

void EditMaskTest::editText_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("edit");

    QTest::newRow("fewer digits") << u"000-000-0000;0;_"_s << u"12345"_s << u"123-45_-____"_s;
    QTest::newRow("nothing stored") << u"000-000-0000;0;_"_s << QString() << u"___-___-____"_s;
    QTest::newRow("stored literals") << u"000-000-0000;1;_"_s << u"123-45 -    "_s << u"123-45_-____"_s;
    QTest::newRow("inner space is a blank") << u"999;0;*"_s << u"1 3"_s << u"1*3"_s;
    QTest::newRow("space of an any-character position stays") << u"CCC;0;_"_s << u"a c"_s << u"a c"_s;
    QTest::newRow("right aligned") << u"!999;0;_"_s << u"12"_s << u"_12"_s;
    QTest::newRow("too long is cut to the positions") << u"0000;0;_"_s << u"123456"_s << u"1234"_s;
    QTest::newRow("no mask") << QString() << u"abc"_s << u"abc"_s;
}

void EditMaskTest::editText()
{
    QFETCH(QString, mask);
    QFETCH(QString, stored);
    QFETCH(QString, edit);

    const EditMask parsed(mask, us);
    QCOMPARE(parsed.editText(stored), edit);
    if (parsed.hasMask())
        QCOMPARE(parsed.editText(stored).size(), parsed.length());
}

void EditMaskTest::storedValue_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("stored");

    const QString phone = u"000-000-0000;0;_"_s;
    const QString phoneWithLiterals = u"000-000-0000;1;_"_s;
    QTest::newRow("digits alone") << phone << u"123-456-7890"_s << u"1234567890"_s;
    QTest::newRow("trailing blanks dropped") << phone << u"123-45_-____"_s << u"12345"_s;
    QTest::newRow("untouched") << phone << u"___-___-____"_s << QString();
    QTest::newRow("with literals") << phoneWithLiterals << u"123-456-7890"_s << u"123-456-7890"_s;
    QTest::newRow("with literals, partly filled")
        << phoneWithLiterals << u"123-45_-____"_s << u"123-45 -    "_s;
    QTest::newRow("with literals, untouched") << phoneWithLiterals << u"___-___-____"_s << QString();
    QTest::newRow("search field") << u"0000000000;0;_"_s << u"12345_____"_s << u"12345"_s;
    QTest::newRow("inner blanks become spaces") << u"999-999;0;_"_s << u"1__-23_"_s << u"1  23"_s;
    QTest::newRow("leading blanks kept") << u"999;0;_"_s << u"_12"_s << u" 12"_s;
    QTest::newRow("right aligned drops leading blanks") << u"!999;0;_"_s << u"_12"_s << u"12"_s;
    QTest::newRow("right aligned keeps trailing blanks") << u"!999;0;_"_s << u"12_"_s << u"12 "_s;
    QTest::newRow("upper case") << u">LLL;0;_"_s << u"abc"_s << u"ABC"_s;
    QTest::newRow("lower case, non-ASCII") << u"<LLL;0;_"_s << u"ÄBC"_s << u"äbc"_s;
    QTest::newRow("turning ends") << u">L<L<>L;0;_"_s << u"aBc"_s << u"Abc"_s;
    QTest::newRow("turning with literals") << u">LL-ll;1;_"_s << u"ab-cd"_s << u"AB-CD"_s;
    QTest::newRow("space as blank") << u"000;0; "_s << u"12 "_s << u"12"_s;
    QTest::newRow("short edit text") << u"000;0;_"_s << u"1"_s << u"1"_s;
    QTest::newRow("beyond the positions ignored") << u"000;0;_"_s << u"1234"_s << u"123"_s;
    QTest::newRow("no mask keeps everything") << QString() << u" text "_s << u" text "_s;
}

void EditMaskTest::storedValue()
{
    QFETCH(QString, mask);
    QFETCH(QString, edit);
    QFETCH(QString, stored);

    QCOMPARE(EditMask(mask, us).storedValue(edit), stored);
}

void EditMaskTest::roundTrip_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("stored");

    QTest::newRow("ten digits") << u"000-000-0000;0;_"_s << u"1234567890"_s;
    QTest::newRow("fewer digits") << u"000-000-0000;0;_"_s << u"12345"_s;
    QTest::newRow("empty") << u"000-000-0000;0;_"_s << QString();
    QTest::newRow("literals full") << u"000-000-0000;1;_"_s << u"123-456-7890"_s;
    QTest::newRow("literals partly") << u"000-000-0000;1;_"_s << u"123-45 -    "_s;
    QTest::newRow("right aligned") << u"!999;0;_"_s << u"12"_s;
    QTest::newRow("right aligned, literals") << u"!999-99;1;_"_s << u"  1-23"_s;
    QTest::newRow("inner blanks") << u"999-999;0;_"_s << u"1  23"_s;
    QTest::newRow("any characters") << u"CCC;0;_"_s << u"a c"_s;
}

// What an editor shows for a stored value is stored again unchanged when left alone.
void EditMaskTest::roundTrip()
{
    QFETCH(QString, mask);
    QFETCH(QString, stored);

    const EditMask parsed(mask, us);
    QCOMPARE(parsed.storedValue(parsed.editText(stored)), stored);
}

void EditMaskTest::completeness_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<bool>("blank");

    const QString phone = u"000-000-0000;0;_"_s;
    QTest::newRow("all digits") << phone << u"123-456-7890"_s << true << false;
    QTest::newRow("one missing") << phone << u"123-456-789_"_s << false << false;
    QTest::newRow("one missing inside") << phone << u"123-4_6-7890"_s << false << false;
    QTest::newRow("untouched") << phone << u"___-___-____"_s << false << true;
    QTest::newRow("space is no digit") << phone << u"123-456-789 "_s << false << false;
    QTest::newRow("short text") << u"0000000000;0;_"_s << u"12345"_s << false << false;
    QTest::newRow("too long") << u"000;0;_"_s << u"1234"_s << false << false;
    QTest::newRow("optional left unfilled") << u"000-999;0;_"_s << u"123-___"_s << true << false;
    QTest::newRow("optional partly filled") << u"000-999;0;_"_s << u"123-4_6"_s << true << false;
    QTest::newRow("letter in a digit position") << u"000;0;_"_s << u"12a"_s << false << false;
    QTest::newRow("wrong kind in an optional position") << u"999;0;_"_s << u"1a_"_s << false << false;
    QTest::newRow("space fills an any-character position") << u"CCC;0;_"_s << u"a b"_s << true << false;
    QTest::newRow("blank in an any-character position") << u"CCC;0;_"_s << u"a_b"_s << false << false;
    QTest::newRow("space is no letter") << u"LLL;0;_"_s << u"a b"_s << false << false;
    QTest::newRow("Unicode letters") << u"LLL;0;_"_s << u"éЖ字"_s << true << false;
    QTest::newRow("letters and digits") << u"AAA;0;_"_s << u"a1Ж"_s << true << false;
    QTest::newRow("signs") << u"###;0;_"_s << u"+-1"_s << true << false;
    QTest::newRow("nothing required") << u"###;0;_"_s << u"___"_s << true << true;
    QTest::newRow("no mask, empty") << QString() << QString() << true << true;
    QTest::newRow("no mask, text") << QString() << u"x"_s << true << false;
}

void EditMaskTest::completeness()
{
    QFETCH(QString, mask);
    QFETCH(QString, edit);
    QFETCH(bool, complete);
    QFETCH(bool, blank);

    const EditMask parsed(mask, us);
    QCOMPARE(parsed.isComplete(edit), complete);
    QCOMPARE(parsed.isBlank(edit), blank);
}

void EditMaskTest::accept_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<int>("position");
    QTest::addColumn<QChar>("typed");
    QTest::addColumn<QString>("accepted"); // empty when refused

    QTest::newRow("digit") << u"0"_s << 0 << QChar(u'5') << u"5"_s;
    QTest::newRow("letter for a digit") << u"0"_s << 0 << QChar(u'a') << QString();
    QTest::newRow("Arabic-Indic digit") << u"9"_s << 0 << QChar(u'\u0663') << QString();
    QTest::newRow("plus") << u"#"_s << 0 << QChar(u'+') << u"+"_s;
    QTest::newRow("minus") << u"#"_s << 0 << QChar(u'-') << u"-"_s;
    QTest::newRow("letter for a sign") << u"#"_s << 0 << QChar(u'x') << QString();
    QTest::newRow("accented letter") << u"L"_s << 0 << QChar(u'é') << u"é"_s;
    QTest::newRow("Cyrillic letter") << u"l"_s << 0 << QChar(u'Ж') << u"Ж"_s;
    QTest::newRow("digit for a letter") << u"L"_s << 0 << QChar(u'1') << QString();
    QTest::newRow("digit for letter or digit") << u"A"_s << 0 << QChar(u'7') << u"7"_s;
    QTest::newRow("sharp s") << u"a"_s << 0 << QChar(u'ß') << u"ß"_s;
    QTest::newRow("sign for letter or digit") << u"A"_s << 0 << QChar(u'%') << QString();
    QTest::newRow("any character") << u"C"_s << 0 << QChar(u'%') << u"%"_s;
    QTest::newRow("space for any character") << u"c"_s << 0 << QChar(u' ') << u" "_s;
    QTest::newRow("tab") << u"C"_s << 0 << QChar(u'\t') << QString();
    QTest::newRow("the blank itself") << u"C"_s << 0 << QChar(u'_') << QString();
    QTest::newRow("literal position") << u"0-0"_s << 1 << QChar(u'-') << QString();
    QTest::newRow("past the end") << u"0"_s << 5 << QChar(u'1') << QString();
    QTest::newRow("before the start") << u"0"_s << -1 << QChar(u'1') << QString();
    QTest::newRow("turned up") << u">L"_s << 0 << QChar(u'é') << u"É"_s;
    QTest::newRow("turned down") << u"<L"_s << 0 << QChar(u'Ж') << u"ж"_s;
    QTest::newRow("turning ended") << u">L<>L"_s << 1 << QChar(u'a') << u"a"_s;
    QTest::newRow("digit unaffected by turning") << u">A"_s << 0 << QChar(u'3') << u"3"_s;
}

void EditMaskTest::accept()
{
    QFETCH(QString, mask);
    QFETCH(int, position);
    QFETCH(QChar, typed);
    QFETCH(QString, accepted);

    const std::optional<QChar> result = EditMask(mask, us).accept(position, typed);
    QCOMPARE(result ? QString(*result) : QString(), accepted);
}

void EditMaskTest::type_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("start"); // null: the empty edit text
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<int>("newCursor");
    QTest::addColumn<int>("refused");

    const QString phone = u"000-000-0000;0;_"_s;
    QTest::newRow("ten digits") << phone << QString() << 0 << u"1234567890"_s << u"123-456-7890"_s << 12 << 0;
    QTest::newRow("typed literals step over")
        << phone << QString() << 0 << u"123-456-7890"_s << u"123-456-7890"_s << 12 << 0;
    QTest::newRow("letter refused") << phone << QString() << 0 << u"12a3"_s << u"123-___-____"_s << 4 << 1;
    QTest::newRow("no room left") << u"0000;0;_"_s << QString() << 0 << u"123456"_s << u"1234"_s << 4 << 2;
    QTest::newRow("continue at the cursor")
        << phone << u"123-___-____"_s << 4 << u"45"_s << u"123-45_-____"_s << 6 << 0;
    QTest::newRow("overwrite") << phone << u"123-456-7890"_s << 0 << u"9"_s << u"923-456-7890"_s << 1 << 0;
    QTest::newRow("digit at a literal goes past it")
        << u"000-000;0;_"_s << u"123-___"_s << 3 << u"4"_s << u"123-4__"_s << 5 << 0;
    QTest::newRow("leading literal") << u"(000)"_s << QString() << 0 << u"5"_s << u"(5__)"_s << 2 << 0;
    QTest::newRow("case turned") << u">LL;0;_"_s << QString() << 0 << u"ab"_s << u"AB"_s << 2 << 0;
    QTest::newRow("character outside the BMP")
        << u"LL;0;_"_s << QString() << 0 << u"\U0001D400"_s << u"__"_s << 0 << 2;
    QTest::newRow("short start text padded")
        << phone << u"12"_s << 2 << u"3"_s << u"123-___-____"_s << 4 << 0;
    QTest::newRow("no mask inserts") << QString() << u"ab"_s << 1 << u"X"_s << u"aXb"_s << 2 << 0;
}

void EditMaskTest::type()
{
    QFETCH(QString, mask);
    QFETCH(QString, start);
    QFETCH(int, cursor);
    QFETCH(QString, typed);
    QFETCH(QString, edit);
    QFETCH(int, newCursor);
    QFETCH(int, refused);

    const EditMask parsed(mask, us);
    const EditMask::Typed result
        = parsed.type(start.isNull() ? parsed.emptyEditText() : start, cursor, typed);
    QCOMPARE(result.editText, edit);
    QCOMPARE(result.cursor, newCursor);
    QCOMPARE(result.refused, refused);
}

void EditMaskTest::clearAndNavigation()
{
    const EditMask phone(u"(000) 000"_s, us);
    QCOMPARE(phone.length(), 9);
    QCOMPARE(phone.nextEditable(0), 1);
    QCOMPARE(phone.nextEditable(4), 6);
    QCOMPARE(phone.nextEditable(9), 9);
    QCOMPARE(phone.previousEditable(6), 3);
    QCOMPARE(phone.previousEditable(1), -1);
    QCOMPARE(phone.previousEditable(100), 8);

    // Clearing blanks positions in place; the literals and later digits do not move.
    const EditMask dashed(u"000-000-0000;0;_"_s, us);
    QCOMPARE(dashed.clear(u"123-456-7890"_s, 2, 5), u"12_-_56-7890"_s);
    QCOMPARE(dashed.clear(u"123-456-7890"_s, -3, 100), u"___-___-____"_s);
    QCOMPARE(dashed.storedValue(dashed.clear(u"123-456-7890"_s, 2, 5)), u"12  567890"_s);

    QCOMPARE(EditMask().clear(u"abcd"_s, 1, 3), u"ad"_s);
}

void EditMaskTest::localeSeparators_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("display");

    QTest::newRow("German date") << u"de_DE"_s << u"00/00/0000;0;_"_s << u"01022024"_s << u"01.02.2024"_s;
    QTest::newRow("US date") << u"en_US"_s << u"00/00/0000;0;_"_s << u"01022024"_s << u"01/02/2024"_s;
    QTest::newRow("Korean date") << u"ko_KR"_s << u"0000/00/00;0;_"_s << u"20240102"_s << u"2024.01.02"_s;
    QTest::newRow("C locale falls back to '/'") << u"C"_s << u"00/00;0;_"_s << u"0102"_s << u"01/02"_s;
    QTest::newRow("Finnish time") << u"fi_FI"_s << u"00:00;0;_"_s << u"1230"_s << u"12.30"_s;
    QTest::newRow("US time") << u"en_US"_s << u"00:00;0;_"_s << u"1230"_s << u"12:30"_s;
    QTest::newRow("escaped '/' stays") << u"de_DE"_s << u"00\\/00;0;_"_s << u"0102"_s << u"01/02"_s;
    QTest::newRow("stored separators") << u"de_DE"_s << u"00/00;1;_"_s << u"01.02"_s << u"01.02"_s;
}

void EditMaskTest::localeSeparators()
{
    QFETCH(QString, locale);
    QFETCH(QString, mask);
    QFETCH(QString, stored);
    QFETCH(QString, display);

    const EditMask parsed(mask, QLocale(locale));
    QCOMPARE(parsed.format(stored), display);
    QCOMPARE(parsed.storedValue(parsed.editText(stored)), stored);
}

void EditMaskTest::qtInputMask_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("qt");

    QTest::newRow("phone") << u"000-000-0000;0;_"_s << u"999-999-9999;_"_s;
    QTest::newRow("all classes") << u"09#LlAaCc;0;*"_s << u"90#AaNnXx;*"_s;
    QTest::newRow("case turning") << u">LL<ll<>cc"_s << u">AA<aa!xx;_"_s;
    QTest::newRow("Qt mask characters as literals") << u"\\A0[0]\\!;0;_"_s << u"\\A9\\[9\\]\\!;_"_s;
    QTest::newRow("right alignment has no counterpart") << u"!999;0;_"_s << u"000;_"_s;
    QTest::newRow("';' literal cannot be expressed") << u"00\\;0;1;_"_s << QString();
    QTest::newRow("no mask") << QString() << QString();
}

void EditMaskTest::qtInputMask()
{
    QFETCH(QString, mask);
    QFETCH(QString, qt);

    QCOMPARE(EditMask(mask, us).toQtInputMask(), qt);
}

void EditMaskTest::qtLineEditAgrees_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("typed");

    QTest::newRow("phone") << u"000-000-0000;0;_"_s << u"1234567"_s;
    QTest::newRow("parentheses") << u"(999) 000-0000;0;_"_s << u"5551234567"_s;
    QTest::newRow("case turning") << u">LL<ll;0;_"_s << u"abCD"_s;
    QTest::newRow("letters and digits") << u"AAA-aa;0;*"_s << u"x1y2z"_s;
    QTest::newRow("signs") << u"#99;0;_"_s << u"+12"_s;
    QTest::newRow("Qt mask characters as literals") << u"\\A0[0];0;_"_s << u"12"_s;
}

// The converted mask drives a real line edit to the same edit text as typing here.
void EditMaskTest::qtLineEditAgrees()
{
    QFETCH(QString, mask);
    QFETCH(QString, typed);

    const EditMask parsed(mask, us);
    QLineEdit edit;
    edit.setInputMask(parsed.toQtInputMask());
    QCOMPARE(edit.displayText(), parsed.emptyEditText());
    QCOMPARE(edit.maxLength(), parsed.length());

    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, typed);
    QCOMPARE(edit.displayText(), parsed.type(parsed.emptyEditText(), 0, typed).editText);
}

QTEST_MAIN(EditMaskTest)
#include "EditMaskTest.moc"
