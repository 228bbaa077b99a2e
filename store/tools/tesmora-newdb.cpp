// Creates a new contacts database file, empty or with demo contacts.
#include "DemoData.h"
#include "Schema.h"
#include "Statement.h"
#include "UserError.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <sqlite3.h>

namespace {

int fail(const QString& text)
{
    std::fprintf(stderr, "tesmora-newdb: %s\n", qPrintable(text));
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tesmora-newdb"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Creates a new Orvanta Light database file."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("The database file to create."));
    const QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("Add demo contacts."));
    const QCommandLineOption contacts(QStringLiteral("contacts"),
                                      QStringLiteral("Number of demo contacts (default 50)."),
                                      QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the demo data (default 1)."), QStringLiteral("S"));
    parser.addOptions({ demo, contacts, seed });
    parser.process(app);

    const QStringList paths = parser.positionalArguments();
    if (paths.size() != 1)
        return fail(QStringLiteral("give exactly one PATH (see --help)"));

    DemoOptions options;
    bool ok = true;
    if (parser.isSet(contacts)) {
        options.contacts = parser.value(contacts).toInt(&ok);
        if (!ok || options.contacts < 0)
            return fail(QStringLiteral("--contacts takes a whole number of at least 0"));
    }
    if (parser.isSet(seed)) {
        options.seed = parser.value(seed).toUInt(&ok);
        if (!ok)
            return fail(QStringLiteral("--seed takes a whole non-negative number"));
    }

    const QString path = paths.front();
    try {
        Schema::createFile(path);
        if (parser.isSet(demo) || parser.isSet(contacts)) {
            sqlite3* db = nullptr;
            const QByteArray native = QFile::encodeName(path);
            if (sqlite3_open_v2(native.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
                const QString error = sqliteErrorText(db);
                sqlite3_close(db);
                QFile::remove(path);
                return fail(error);
            }
            try {
                generateDemoData(db, options);
            } catch (const UserError& error) {
                sqlite3_close(db);
                QFile::remove(path);
                QFile::remove(path + QStringLiteral("-wal"));
                QFile::remove(path + QStringLiteral("-shm"));
                return fail(error.text());
            }
            sqlite3_close(db);
        }
    } catch (const UserError& error) {
        return fail(error.text());
    }
    std::printf("Created %s\n", qPrintable(path));
    return 0;
}
