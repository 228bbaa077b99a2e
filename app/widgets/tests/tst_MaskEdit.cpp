#include "FakeMessages.h"
#include "MaskEdit.h"
#include "UpperCaseEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

// The masked line edit: typing over positions, the stored value, and the
// refusal to leave a field the user left incomplete.
class TestMaskEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void typing_data();
    void typing();
    void editingKeys_data();
    void editingKeys();
    void valueSetByTheProgram();
    void refusesToLeaveIncomplete_data();
    void refusesToLeaveIncomplete();
    void twoRefusingFieldsDoNotTakeTurns();
    void leavesWhenCompleteOrEmptiedByTheProgram_data();
    void leavesWhenCompleteOrEmptiedByTheProgram();
    void keyDownComesBeforeTheEdit();
    void withoutMaskIsPlainEdit();
    void upperCaseEdit();

private:
    void showWindow();
    std::unique_ptr<FakeMessages> m_messages;
    std::unique_ptr<QWidget> m_window;
    MaskEdit* m_edit = nullptr;
    QLineEdit* m_other = nullptr;
};

void TestMaskEdit::init()
{
    m_messages = std::make_unique<FakeMessages>();
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_edit = new MaskEdit(QStringLiteral("0000000000;0;_"), m_window.get());
    m_other = new QLineEdit(m_window.get());
    layout->addWidget(m_edit);
    layout->addWidget(m_other);
}

void TestMaskEdit::cleanup()
{
    m_window.reset();
    m_messages.reset();
}

void TestMaskEdit::showWindow()
{
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_edit->setFocus();
    QTRY_VERIFY(m_edit->hasFocus());
}

void TestMaskEdit::typing_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<int>("beeps"); // one per refused character

    const QString digits = QStringLiteral("0000000000;0;_");
    const QString phone = QStringLiteral("000-000-0000;0;_");
    QTest::newRow("some digits") << digits << "123"
                                 << "123_______"
                                 << "123" << false << 0;
    QTest::newRow("all ten digits") << digits << "5551234567"
                                    << "5551234567"
                                    << "5551234567" << true << 0;
    QTest::newRow("a letter is refused") << digits << "12a3"
                                         << "123_______"
                                         << "123" << false << 1;
    QTest::newRow("no eleventh digit") << digits << "55512345678"
                                       << "5551234567"
                                       << "5551234567" << true << 1;
    QTest::newRow("literals are stepped over") << phone << "5551234567"
                                               << "555-123-4567"
                                               << "5551234567" << true << 0;
    QTest::newRow("a typed literal steps over it") << phone << "555-12"
                                                   << "555-12_-____"
                                                   << "55512" << false << 0;
    QTest::newRow("dashes typed along") << phone << "555-123-4567"
                                        << "555-123-4567"
                                        << "5551234567" << true << 0;
    QTest::newRow("letters turned upper") << ">LL-00;0;_"
                                          << "ab12"
                                          << "AB-12"
                                          << "AB12" << true << 0;
    QTest::newRow("stored literals") << "000-000;1;_"
                                     << "123456"
                                     << "123-456"
                                     << "123-456" << true << 0;
}

void TestMaskEdit::typing()
{
    QFETCH(QString, mask);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, value);
    QFETCH(bool, complete);
    QFETCH(int, beeps);

    m_edit->setEditMask(mask);
    m_edit->setCursorPosition(0);
    QSignalSpy values(m_edit, &MaskEdit::valueChanged);
    QTest::keyClicks(m_edit, typed);
    QCOMPARE(m_edit->text(), shown);
    QCOMPARE(m_edit->value(), value);
    QCOMPARE(m_edit->isComplete(), complete);
    QVERIFY(m_edit->isUserModified());
    QCOMPARE(m_messages->beeps(), beeps);
    QCOMPARE(m_edit->maxLength(), m_edit->mask().length());
    QVERIFY(!values.isEmpty());
    QCOMPARE(values.last().at(0).toString(), value);
}

void TestMaskEdit::editingKeys_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("start"); // stored value
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("selectionLength");
    QTest::addColumn<QString>("keys"); // "BS", "DEL", "PASTE:...", "CUT", or text to type
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("cursorAfter");

    const QString digits = QStringLiteral("0000000000;0;_");
    const QString phone = QStringLiteral("000-000-0000;0;_");
    QTest::newRow("backspace blanks the position before") << digits << "123" << 3 << 0 << "BS"
                                                          << "12________" << 2;
    QTest::newRow("delete blanks the position, nothing shifts") << digits << "123" << 0 << 0 << "DEL"
                                                                << "_23_______" << 0;
    QTest::newRow("backspace steps over a literal") << phone << "5551234567" << 4 << 0 << "BS"
                                                    << "55_-123-4567" << 2;
    QTest::newRow("typing replaces a selection") << digits << "123456" << 0 << 6 << "9"
                                                 << "9_________" << 1;
    QTest::newRow("delete blanks a selection") << phone << "5551234567" << 2 << 4 << "DEL"
                                               << "55_-__3-4567" << 2;
    QTest::newRow("paste types what fits") << phone << "" << 0 << 0 << "PASTE:555 12x3"
                                           << "555-123-____" << 8;
    QTest::newRow("cut blanks what it copies") << digits << "123456" << 1 << 3 << "CUT"
                                               << "1___56____" << 1;
}

void TestMaskEdit::editingKeys()
{
    QFETCH(QString, mask);
    QFETCH(QString, start);
    QFETCH(int, cursor);
    QFETCH(int, selectionLength);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(int, cursorAfter);

    m_edit->setEditMask(mask);
    m_edit->setValue(start);
    if (selectionLength > 0)
        m_edit->setSelection(cursor, selectionLength);
    else
        m_edit->setCursorPosition(cursor);
    if (keys == QLatin1String("BS")) {
        QTest::keyClick(m_edit, Qt::Key_Backspace);
    } else if (keys == QLatin1String("DEL")) {
        QTest::keyClick(m_edit, Qt::Key_Delete);
    } else if (keys.startsWith(QLatin1String("PASTE:"))) {
        QApplication::clipboard()->setText(keys.mid(6));
        QTest::keySequence(m_edit, QKeySequence::Paste);
    } else if (keys == QLatin1String("CUT")) {
        QTest::keySequence(m_edit, QKeySequence::Cut);
        QCOMPARE(QApplication::clipboard()->text(),
                 m_edit->mask().editText(start).mid(cursor, selectionLength));
    } else {
        QTest::keyClicks(m_edit, keys);
    }
    QCOMPARE(m_edit->text(), shown);
    QCOMPARE(m_edit->cursorPosition(), cursorAfter);
    QVERIFY(m_edit->isUserModified());
}

void TestMaskEdit::valueSetByTheProgram()
{
    QCOMPARE(m_edit->text(), QStringLiteral("__________"));
    QSignalSpy values(m_edit, &MaskEdit::valueChanged);
    m_edit->setValue(QStringLiteral("12"));
    QCOMPARE(m_edit->text(), QStringLiteral("12________"));
    QCOMPARE(m_edit->value(), QStringLiteral("12"));
    QVERIFY(!m_edit->isUserModified());
    // Plain QLineEdit calls show their text through the mask too, and the
    // value changes once.
    m_edit->clear();
    QCOMPARE(m_edit->text(), QStringLiteral("__________"));
    m_edit->setText(QStringLiteral("987"));
    QCOMPARE(m_edit->text(), QStringLiteral("987_______"));
    QCOMPARE(values.size(), 3);
    QCOMPARE(values.at(1).at(0).toString(), QString());
    QCOMPARE(values.at(2).at(0).toString(), QStringLiteral("987"));
    QVERIFY(!m_edit->isUserModified());

    // A new mask shows the same value through it.
    m_edit->setEditMask(QStringLiteral("000-000-0000;0;_"));
    QCOMPARE(m_edit->text(), QStringLiteral("987-___-____"));
    QCOMPARE(values.size(), 3);
}

void TestMaskEdit::refusesToLeaveIncomplete_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("typed");
    QTest::newRow("ten digits") << "0000000000;0;_"
                                << "555";
    QTest::newRow("phone with dashes") << "000-000-0000;0;_"
                                       << "555123";
    // Deleting every digit is a change by the user as well.
    QTest::newRow("all typed away") << "0000000000;0;_"
                                    << "\b";
}

void TestMaskEdit::refusesToLeaveIncomplete()
{
    QFETCH(QString, mask);
    QFETCH(QString, typed);

    m_edit->setEditMask(mask);
    m_edit->setValue(QStringLiteral("1"));
    showWindow();
    QSignalSpy refused(m_edit, &MaskEdit::leaveRefused);
    QSignalSpy entered(m_edit, &LineEdit::enter);
    m_edit->setCursorPosition(typed == QLatin1String("\b") ? 1 : 0);
    if (typed == QLatin1String("\b"))
        QTest::keyClick(m_edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(m_edit, typed);
    m_other->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(m_edit->hasFocus());
    QCOMPARE(m_messages->errors(),
             QStringList({ QStringLiteral("Invalid input value.  Use escape key to abandon changes") }));
    QCOMPARE(m_messages->beeps(), 1);
    QCOMPARE(refused.size(), 1);
    // Taking the focus back is no new entry, and nothing repeats.
    QCOMPARE(entered.size(), 0);
    QTest::qWait(20);
    QVERIFY(m_edit->hasFocus());
    QCOMPARE(m_messages->errors().size(), 1);
}

void TestMaskEdit::twoRefusingFieldsDoNotTakeTurns()
{
    auto* second = new MaskEdit(QStringLiteral("0000000000;0;_"), m_window.get());
    m_window->layout()->addWidget(second);
    showWindow();
    QTest::keyClicks(m_edit, QStringLiteral("12"));
    // The second field holds an incomplete change of its own.
    second->setValue(QStringLiteral("34"));
    second->setModified(true);
    second->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(m_edit->hasFocus());
    QTest::qWait(50);
    QVERIFY(m_edit->hasFocus());
    QCOMPARE(m_messages->errors().size(), 1);
}

void TestMaskEdit::leavesWhenCompleteOrEmptiedByTheProgram_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("emptyAfter");
    QTest::newRow("complete") << "5551234567" << false;
    QTest::newRow("emptied by the program, as Esc does") << "555" << true;
    QTest::newRow("never changed") << "" << false;
}

void TestMaskEdit::leavesWhenCompleteOrEmptiedByTheProgram()
{
    QFETCH(QString, typed);
    QFETCH(bool, emptyAfter);

    showWindow();
    QTest::keyClicks(m_edit, typed);
    if (emptyAfter)
        m_edit->setValue(QString());
    QVERIFY(m_edit->validateOnLeave());
    m_other->setFocus(Qt::TabFocusReason);
    QTest::qWait(20);
    QVERIFY(m_other->hasFocus());
    QVERIFY(m_messages->texts().isEmpty());
    QCOMPARE(m_messages->beeps(), 0);
}

void TestMaskEdit::keyDownComesBeforeTheEdit()
{
    QStringList seen;
    connect(m_edit, &LineEdit::keyDown, this, [&](int key, Qt::KeyboardModifiers modifiers) {
        if (key == Qt::Key_Shift)
            return; // the modifier's own key goes down first
        seen.append(QStringLiteral("%1 %2 %3").arg(key).arg(int(modifiers)).arg(m_edit->text()));
        if (key == Qt::Key_Escape)
            m_edit->setValue(QString());
    });
    QTest::keyClick(m_edit, Qt::Key_4);
    QTest::keyClick(m_edit, Qt::Key_Escape, Qt::ShiftModifier);
    QCOMPARE(
        seen,
        QStringList(
            { QStringLiteral("%1 0 __________").arg(int(Qt::Key_4)),
              QStringLiteral("%1 %2 4_________").arg(int(Qt::Key_Escape)).arg(int(Qt::ShiftModifier)) }));
    QCOMPARE(m_edit->text(), QStringLiteral("__________"));
    QVERIFY(m_edit->validateOnLeave());
    // Typing goes on at the first position again.
    QTest::keyClick(m_edit, Qt::Key_7);
    QCOMPARE(m_edit->text(), QStringLiteral("7_________"));
}

void TestMaskEdit::withoutMaskIsPlainEdit()
{
    m_edit->setEditMask(QString());
    QVERIFY(!m_edit->hasMask());
    m_edit->setValue(QStringLiteral("ab"));
    m_edit->setCursorPosition(1);
    QTest::keyClicks(m_edit, QStringLiteral("x y"));
    QCOMPARE(m_edit->text(), QStringLiteral("ax yb"));
    QCOMPARE(m_edit->value(), m_edit->text());
    QVERIFY(m_edit->isComplete());
    QVERIFY(m_edit->validateOnLeave());
}

void TestMaskEdit::upperCaseEdit()
{
    UpperCaseEdit edit;
    QSignalSpy keys(&edit, &LineEdit::keyDown);
    QTest::keyClicks(&edit, QStringLiteral("ab"));
    QCOMPARE(edit.text(), QStringLiteral("AB"));
    QCOMPARE(keys.size(), 2);
    edit.setText(QStringLiteral("crab"));
    QCOMPARE(edit.text(), QStringLiteral("CRAB"));
    edit.setCursorPosition(2);
    edit.insert(QStringLiteral("äx"));
    QCOMPARE(edit.text(), QStringLiteral("CRÄXAB"));
    QCOMPARE(edit.cursorPosition(), 4);
}

QTEST_MAIN(TestMaskEdit)
#include "tst_MaskEdit.moc"
