#pragma once

#include "FakeClock.h"
#include "FakeMessages.h"
#include "SortState.h"
#include "TdbTesmora.h"
#include "TestDatabase.h"

#include <QDateTime>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <memory>

// Another window takes the focus for a while (as a message box or another
// program does) and gives it back to `window` when it goes.
inline void letAnotherWindowHoldTheFocus(QWidget& window)
{
    QWidget dialog;
    auto* field = new QLineEdit(&dialog);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    dialog.hide();
    window.activateWindow();
}

// A real database file with known contacts (Anna, Bob, Carl, Dora and any
// number of "Extra nnn"), Anna's fields and call notes, and the data module
// connected to it and opened in the default sort order (by name ascending).
struct DataModuleFixture
{
    explicit DataModuleFixture(int extraContacts = 0, int annasNotes = 6)
    {
        anna = db.addContact(QStringLiteral("Anna"), QStringLiteral("5550001111"));
        bob = db.addContact(QStringLiteral("Bob"), QStringLiteral("5550002222"));
        db.addContact(QStringLiteral("Carl"), QStringLiteral("5550003333"));
        db.addContact(QStringLiteral("Dora"), QStringLiteral("555"));
        if (extraContacts > 0) {
            db.exec(QStringLiteral("BEGIN"));
            for (int i = 0; i < extraContacts; ++i)
                db.addContact(QStringLiteral("Extra %1").arg(i, 3, 10, QLatin1Char('0')),
                              QStringLiteral("5559%1").arg(i, 6, 10, QLatin1Char('0')));
            db.exec(QStringLiteral("COMMIT"));
        }
        db.addValue(anna, QStringLiteral("E-mail"), QStringLiteral("anna@example.com"));
        db.addValue(anna, QStringLiteral("Fax"), QStringLiteral("5550100"));
        db.addValue(bob, QStringLiteral("Company"), QStringLiteral("Bob & Co"));
        const QDateTime start(QDate(2026, 1, 5), QTime(9, 30));
        for (int i = 0; i < annasNotes; ++i)
            db.addNote(anna, start.addDays(i), QStringLiteral("Note %1").arg(i));
        module = std::make_unique<TdbTesmora>();
        module->connectTo(db.connectionString());
        module->openDatasets(SortState());
    }

    Dataset& customers() const { return module->taCustomers; }
    Dataset& fields() const { return module->quClientParams; }
    Dataset& notes() const { return module->quHistory; }

    static QStringList column(const Dataset& dataset, const QString& field)
    {
        QStringList values;
        const int index = dataset.fieldIndex(field);
        for (int row = 0; row < dataset.recordCount(); ++row)
            values.append(dataset.value(row, index).toString());
        return values;
    }

    FakeMessages messages;
    FakeClock clock;
    TestDatabase db;
    qint64 anna = 0;
    qint64 bob = 0;
    std::unique_ptr<TdbTesmora> module;
};
