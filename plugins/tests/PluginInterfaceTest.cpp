// The contract between the program and a plug-in, checked against real
// libraries in C and in C++: identification, dispatch by type word and the
// argument each word names, fresh state per load, files that only look like
// libraries, and a plug-in's exception.
#include "FakeMessages.h"
#include "PluginFixture.h"
#include "PluginSequences.h"
#include "TesmoraPlugin.h"
#include "UserError.h"

#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <elf.h>
#include <sys/stat.h>

namespace {

// How far the loadable segments of an ELF image reach into its file.
qint64 loadedImageEnd(const QByteArray& image)
{
    const auto* header = reinterpret_cast<const Elf64_Ehdr*>(image.constData());
    qint64 end = 0;
    for (int i = 0; i < header->e_phnum; ++i) {
        const auto* segment = reinterpret_cast<const Elf64_Phdr*>(image.constData() + header->e_phoff
                                                                  + i * sizeof(Elf64_Phdr));
        if (segment->p_type == PT_LOAD)
            end = std::max<qint64>(end, qint64(segment->p_offset + segment->p_filesz));
    }
    return end;
}

} // namespace

class PluginInterfaceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void dispatchesByTypeWord_data();
    void dispatchesByTypeWord();
    void connectionStringReachesDataAndKolData_data();
    void connectionStringReachesDataAndKolData();
    void connectionStringHelperReadsOnlyWhatTheStructHolds_data();
    void connectionStringHelperReadsOnlyWhatTheStructHolds();
    void everyRunStartsWithFreshState_data();
    void everyRunStartsWithFreshState();
    void libraryIsMappedOnlyDuringItsCall();
    void identifies_data();
    void identifies();
    void passesOverFilesThatAreNotLibraries_data();
    void passesOverFilesThatAreNotLibraries();
    void pluginExceptionIsReportedAfterUnloading_data();
    void pluginExceptionIsReportedAfterUnloading();

private:
    PluginArguments arguments(const QString& connectionString
                              = QStringLiteral("Data Source=Tesmora.sdb")) const;

    std::unique_ptr<PluginFixture> m_fixture;
    std::unique_ptr<FakeMessages> m_messages;
    std::unique_ptr<QWidget> m_form;
    QWidget* m_grid1 = nullptr;
    QWidget* m_grid2 = nullptr;
    QWidget* m_grid3 = nullptr;
};

void PluginInterfaceTest::init()
{
    m_fixture = std::make_unique<PluginFixture>();
    QVERIFY(m_fixture->isValid());
    m_messages = std::make_unique<FakeMessages>();
    m_form = std::make_unique<QWidget>();
    m_form->setObjectName(QStringLiteral("frmTesmora"));
    m_grid1 = new QWidget(m_form.get());
    m_grid1->setObjectName(QStringLiteral("dbgClients"));
    m_grid2 = new QWidget(m_form.get());
    m_grid2->setObjectName(QStringLiteral("dbgParams"));
    m_grid3 = new QWidget(m_form.get());
    m_grid3->setObjectName(QStringLiteral("dbgHistory"));
}

void PluginInterfaceTest::cleanup()
{
    // Whatever a test did, no library of the folder may still be mapped.
    if (m_fixture)
        QCOMPARE(m_fixture->loadedLibraries(), QStringList());
    m_form.reset();
    m_messages.reset();
    m_fixture.reset();
}

PluginArguments PluginInterfaceTest::arguments(const QString& connectionString) const
{
    return PluginArguments { m_form.get(), m_grid1, m_grid2, m_grid3, connectionString };
}

void PluginInterfaceTest::dispatchesByTypeWord_data()
{
    QTest::addColumn<QString>("probe");
    QTest::addColumn<QString>("receives"); // what PluginExec or PlugKolExec got
    QTest::addColumn<int>("typeCalls"); // PluginType is asked before every comparison

    QTest::newRow("DATA") << "data"
                          << "connection" << 1;
    QTest::newRow("FORM") << "form"
                          << "form" << 2;
    QTest::newRow("GRID1") << "grid1"
                           << "grid1" << 3;
    QTest::newRow("GRID2") << "grid2"
                           << "grid2" << 4;
    QTest::newRow("GRID3") << "grid3"
                           << "grid3" << 5;
    QTest::newRow("KOLDATA") << "koldata"
                             << "kol" << 6;
    QTest::newRow("NIL") << "nil"
                         << "null" << 7;
    QTest::newRow("C++ DATA") << "cxx-data"
                              << "connection" << 1;
    QTest::newRow("C++ FORM") << "cxx-form"
                              << "form" << 2;
    QTest::newRow("C++ GRID2") << "cxx-grid2"
                               << "grid2" << 4;

    QTest::newRow("lower case") << "lower"
                                << "nothing" << 7;
    QTest::newRow("capitalised") << "capital"
                                 << "nothing" << 7;
    QTest::newRow("trailing blank") << "trailing"
                                    << "nothing" << 7;
    QTest::newRow("prefix of a word") << "short"
                                      << "nothing" << 7;
    QTest::newRow("empty word") << "emptytype"
                                << "nothing" << 7;
    QTest::newRow("null word") << "nulltype"
                               << "nothing" << 7;
    QTest::newRow("no PluginType") << "notype"
                                   << "nothing" << 0;
    QTest::newRow("DATA without PluginExec") << "noexec"
                                             << "nothing" << 1;
    QTest::newRow("KOLDATA without PlugKolExec") << "nokol"
                                                 << "nothing" << 6;
}

void PluginInterfaceTest::dispatchesByTypeWord()
{
    QFETCH(QString, probe);
    QFETCH(QString, receives);
    QFETCH(int, typeCalls);

    const QString connectionString = QStringLiteral("Data Source=/srv/contacts/Tesmora.sdb");
    invokePlugin(m_fixture->install(probe), arguments(connectionString));

    QCOMPARE(m_fixture->values(probe, QStringLiteral("type")).size(), typeCalls);
    const QStringList exec = m_fixture->values(probe, QStringLiteral("exec"));
    const QStringList kol = m_fixture->values(probe, QStringLiteral("kol"));
    const QStringList widget = m_fixture->values(probe, QStringLiteral("widget"));
    const bool cxx = probe.startsWith(QLatin1String("cxx-"));

    const QMap<QString, QWidget*> widgets { { QStringLiteral("form"), m_form.get() },
                                            { QStringLiteral("grid1"), m_grid1 },
                                            { QStringLiteral("grid2"), m_grid2 },
                                            { QStringLiteral("grid3"), m_grid3 } };
    if (receives == QLatin1String("nothing")) {
        QCOMPARE(exec, QStringList());
        QCOMPARE(kol, QStringList());
    } else if (receives == QLatin1String("kol")) {
        QCOMPARE(exec, QStringList());
        QCOMPARE(kol, QStringList { connectionString });
    } else if (receives == QLatin1String("null")) {
        QCOMPARE(kol, QStringList());
        QCOMPARE(exec, QStringList { QStringLiteral("0") });
    } else if (receives == QLatin1String("connection")) {
        QCOMPARE(kol, QStringList());
        QCOMPARE(exec.size(), 1);
        QVERIFY(exec.first() != QLatin1String("0"));
        QCOMPARE(m_fixture->values(probe, QStringLiteral("connection")), QStringList { connectionString });
        if (!cxx) {
            QCOMPARE(m_fixture->values(probe, QStringLiteral("connection-size")),
                     QStringList { QString::number(sizeof(TesmoraConnection)) });
        }
    } else {
        QWidget* expected = widgets.value(receives);
        QVERIFY(expected);
        QCOMPARE(kol, QStringList());
        QCOMPARE(exec, QStringList { pointerText(expected) });
        // A C++ plug-in can use it as the program's own widget.
        if (cxx)
            QCOMPARE(widget, QStringList { expected->objectName() });
    }
    QCOMPARE(m_messages->texts(), QStringList());
}

void PluginInterfaceTest::connectionStringReachesDataAndKolData_data()
{
    QTest::addColumn<QString>("connectionString");

    QTest::newRow("plain") << "Data Source=/home/anna/Tesmora.sdb";
    QTest::newRow("non-ASCII path") << "Data Source=/home/Анна/Kontakte für Jörg/Tesmora.sdb";
    QTest::newRow("empty, before the database opens") << "";
    QTest::newRow("longer than any fixed buffer") << QString(5000, u'p');
}

void PluginInterfaceTest::connectionStringReachesDataAndKolData()
{
    QFETCH(QString, connectionString);

    for (const char* probe : { "data", "koldata", "cxx-data" })
        invokePlugin(m_fixture->install(QString::fromLatin1(probe)), arguments(connectionString));

    const QStringList expected { connectionString };
    QCOMPARE(m_fixture->values(QStringLiteral("data"), QStringLiteral("connection")), expected);
    QCOMPARE(m_fixture->values(QStringLiteral("koldata"), QStringLiteral("kol")), expected);
    QCOMPARE(m_fixture->values(QStringLiteral("cxx-data"), QStringLiteral("connection")), expected);
}

void PluginInterfaceTest::connectionStringHelperReadsOnlyWhatTheStructHolds_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<quint32>("size");
    QTest::addColumn<bool>("withString");
    QTest::addColumn<QString>("expected");

    const auto full = quint32(sizeof(TesmoraConnection));
    QTest::newRow("whole struct") << true << full << true << "Data Source=x.sdb";
    QTest::newRow("no struct") << false << full << true << "";
    QTest::newRow("struct too short for the field") << true << quint32(sizeof(quint32)) << true << "";
    QTest::newRow("size never set") << true << quint32(0) << true << "";
    QTest::newRow("null string") << true << full << false << "";
}

void PluginInterfaceTest::connectionStringHelperReadsOnlyWhatTheStructHolds()
{
    QFETCH(bool, present);
    QFETCH(quint32, size);
    QFETCH(bool, withString);
    QFETCH(QString, expected);

    TesmoraConnection connection {};
    connection.size = size;
    connection.connectionString = withString ? "Data Source=x.sdb" : nullptr;
    const char* read = tesmoraConnectionString(present ? &connection : nullptr);
    QVERIFY(read);
    QCOMPARE(QString::fromUtf8(read), expected);
}

void PluginInterfaceTest::everyRunStartsWithFreshState_data()
{
    QTest::addColumn<QString>("probe");

    QTest::newRow("C static") << "nil";
    QTest::newRow("C static, KOLDATA") << "koldata";
    QTest::newRow("C++ static object") << "cxx-form";
}

void PluginInterfaceTest::everyRunStartsWithFreshState()
{
    QFETCH(QString, probe);

    const QString path = m_fixture->install(probe);
    invokePlugin(path, arguments());
    invokePlugin(path, arguments());

    // Each run counts its runs since the library was loaded.
    QCOMPARE(m_fixture->values(probe, QStringLiteral("runs")),
             (QStringList { QStringLiteral("1"), QStringLiteral("1") }));
}

void PluginInterfaceTest::libraryIsMappedOnlyDuringItsCall()
{
    const QString path = m_fixture->install(QStringLiteral("cxx-events"));
    QStringList duringCall;
    // The probe runs the event loop inside its call, which fires this.
    QTimer::singleShot(0, this, [&] { duringCall = m_fixture->loadedLibraries(); });

    invokePlugin(path, arguments());

    QCOMPARE(m_fixture->values(QStringLiteral("cxx-events"), QStringLiteral("events")),
             QStringList { QStringLiteral("processed") });
    QVERIFY2(!duringCall.isEmpty(), "the library should be mapped while it runs");
    QVERIFY(duringCall.first().contains(path));
    QCOMPARE(m_fixture->loadedLibraries(), QStringList());
}

void PluginInterfaceTest::identifies_data()
{
    QTest::addColumn<QString>("probe");
    QTest::addColumn<bool>("readVersion");
    QTest::addColumn<bool>("identified");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("version");

    QTest::newRow("menu: version not asked") << "nil" << false << true << "nil plug-in"
                                             << "nil description"
                                             << "";
    QTest::newRow("listing: everything") << "nil" << true << true << "nil plug-in"
                                         << "nil description"
                                         << "Version: nil";
    QTest::newRow("no PluginDescr") << "nodescr" << true << true << "nodescr plug-in"
                                    << ""
                                    << "Version: nodescr";
    QTest::newRow("no PluginVersion") << "noversion" << true << true << "noversion plug-in"
                                      << "noversion description"
                                      << "";
    QTest::newRow("null name reads as empty") << "nullname" << true << true << ""
                                              << "nullname description"
                                              << "Version: nullname";
    QTest::newRow("long name copied whole")
        << "longname" << false << true << QString(70000, u'x') << "longname description"
        << "";
    QTest::newRow("UTF-8 name") << "utf8name" << false << true << "Fax & Mail — Отчёт"
                                << "utf8name description"
                                << "";
    QTest::newRow("C++") << "cxx-grid2" << true << true << "cxx-grid2 plug-in"
                         << "cxx-grid2 description"
                         << "Version: cxx-grid2";
    QTest::newRow("no PluginName") << "noname" << true << false << ""
                                   << ""
                                   << "";
    QTest::newRow("exports nothing") << "bare" << true << false << ""
                                     << ""
                                     << "";
}

void PluginInterfaceTest::identifies()
{
    QFETCH(QString, probe);
    QFETCH(bool, readVersion);
    QFETCH(bool, identified);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, version);

    const auto identity = identifyPlugin(m_fixture->install(probe),
                                         readVersion ? PluginVersionQuery::Read : PluginVersionQuery::Skip);

    QCOMPARE(identity.has_value(), identified);
    if (identified) {
        QCOMPARE(identity->name, name);
        QCOMPARE(identity->description, description);
        QCOMPARE(identity->version, version);
        QCOMPARE(m_messages->texts(), QStringList());
    } else {
        QCOMPARE(m_messages->shown().size(), 1);
        QCOMPARE(m_messages->shown().first().kind, QStringLiteral("message"));
        QCOMPARE(m_messages->shown().first().text, QStringLiteral("dll is not identified."));
        // Given up at once: nothing else of the library is called.
        QCOMPARE(m_fixture->values(probe, QStringLiteral("descr")), QStringList());
    }
    if (!readVersion)
        QCOMPARE(m_fixture->values(probe, QStringLiteral("version")), QStringList());
    // Identification never runs the plug-in.
    QCOMPARE(m_fixture->values(probe, QStringLiteral("type")), QStringList());
    QCOMPARE(m_fixture->values(probe, QStringLiteral("exec")), QStringList());
}

void PluginInterfaceTest::passesOverFilesThatAreNotLibraries_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("text file") << "text";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("ELF header only") << "header";
    QTest::newRow("cut in the middle of the loaded part") << "half";
    QTest::newRow("cut one byte short of the loaded part") << "short";
    QTest::newRow("another machine's library") << "machine";
    QTest::newRow("directory") << "directory";
    QTest::newRow("dangling symbolic link") << "link";
    QTest::newRow("named pipe") << "fifo";
}

void PluginInterfaceTest::passesOverFilesThatAreNotLibraries()
{
    QFETCH(QString, kind);

    // Built from a plug-in that has every entry point, PluginAbout included.
    const QString probe = QStringLiteral("about");
    const QString path = m_fixture->folder() + QStringLiteral("broken.so");
    const qint64 loadedEnd = loadedImageEnd(PluginFixture::probeBytes(probe));
    QVERIFY(loadedEnd > 0);
    if (kind == QLatin1String("text"))
        m_fixture->installBytes(QStringLiteral("broken.so"), "This is not a plug-in.\n");
    else if (kind == QLatin1String("empty"))
        m_fixture->installBytes(QStringLiteral("broken.so"), {});
    else if (kind == QLatin1String("header"))
        m_fixture->installTruncated(probe, QStringLiteral("broken.so"), sizeof(Elf64_Ehdr));
    else if (kind == QLatin1String("half"))
        m_fixture->installTruncated(probe, QStringLiteral("broken.so"), loadedEnd / 2);
    else if (kind == QLatin1String("short"))
        m_fixture->installTruncated(probe, QStringLiteral("broken.so"), loadedEnd - 1);
    else if (kind == QLatin1String("machine"))
        m_fixture->installForeignMachine(probe, QStringLiteral("broken.so"));
    else if (kind == QLatin1String("directory"))
        QVERIFY(QDir().mkpath(path));
    else if (kind == QLatin1String("link"))
        QVERIFY(QFile::link(m_fixture->folder() + QStringLiteral("gone.so"), path));
    else if (kind == QLatin1String("fifo"))
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);

    QVERIFY(!identifyPlugin(path, PluginVersionQuery::Read));
    invokePlugin(path, arguments());
    QCOMPARE(showPluginAbout(path, m_form.get()), PluginAboutOutcome::NotLoaded);

    QCOMPARE(m_messages->texts(), QStringList());
    QCOMPARE(m_fixture->events().size(), 0);
}

void PluginInterfaceTest::pluginExceptionIsReportedAfterUnloading_data()
{
    QTest::addColumn<QString>("probe");
    QTest::addColumn<bool>("whenRun"); // else when identified
    QTest::addColumn<QString>("text");

    QTest::newRow("PluginExec throws") << "cxx-throw-exec" << true << "probe exec failure";
    QTest::newRow("PluginName throws") << "cxx-throw-name" << false << "probe name failure";
}

void PluginInterfaceTest::pluginExceptionIsReportedAfterUnloading()
{
    QFETCH(QString, probe);
    QFETCH(bool, whenRun);
    QFETCH(QString, text);

    const QString path = m_fixture->install(probe);
    try {
        if (whenRun)
            invokePlugin(path, arguments());
        else
            identifyPlugin(path, PluginVersionQuery::Read);
        QFAIL("the plug-in's exception was swallowed");
    } catch (const UserError& error) {
        QCOMPARE(error.text(), text);
        QCOMPARE(m_fixture->loadedLibraries(), QStringList());
    }
}

QTEST_MAIN(PluginInterfaceTest)
#include "PluginInterfaceTest.moc"
