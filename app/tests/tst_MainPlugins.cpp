#include "AppFixture.h"
#include "DBCtrlGrid.h"
#include "DBGrid.h"
#include "PluginHost.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QToolButton>

// The main window's plug-in menu with real libraries beside it: listed at
// creation, run with the main window's own widgets and connection.
class TestMainPlugins : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void menuListsPluginsAtCreation();
    void runsWithTheWindowsArguments_data();
    void runsWithTheWindowsArguments();

private:
    QString copyProbe(const QString& id, const QString& as = {});
    QStringList log() const;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestMainPlugins::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    TfrmTesmora::setPluginFolder(m_folder->path() + QStringLiteral("/"));
    qputenv("ORVANTA_PROBE_LOG", m_folder->filePath(QStringLiteral("probe.log")).toLocal8Bit());
}

QString TestMainPlugins::copyProbe(const QString& id, const QString& as)
{
    const QString target = m_folder->filePath((as.isEmpty() ? id : as) + QStringLiteral(".so"));
    QFile::copy(QStringLiteral(PROBE_DIR "/") + id + QStringLiteral(".so"), target);
    return target;
}

QStringList TestMainPlugins::log() const
{
    QFile file(m_folder->filePath(QStringLiteral("probe.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestMainPlugins::menuListsPluginsAtCreation()
{
    copyProbe(QStringLiteral("nil"));
    {
        QFile text(m_folder->filePath(QStringLiteral("readme.so")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a library");
    }
    AppFixture app;
    TfrmTesmora& window = app.start();
    QToolButton* button = window.findChild<QToolButton*>(QStringLiteral("BtnPlugins"));
    QVERIFY(button);
    QCOMPARE(button->toolTip(), QStringLiteral("Available plug-ins"));
    QVERIFY(button->menu());
    QCOMPARE(button->menu()->actions().size(), 1);
    QCOMPARE(button->menu()->actions().front()->text(), QStringLiteral("nil plug-in"));
    QCOMPARE(window.pluginHost().pluginPaths(), QStringList { m_folder->filePath(QStringLiteral("nil.so")) });

    // A library copied in later is not in the menu of this run.
    copyProbe(QStringLiteral("data"));
    app.show();
    QCOMPARE(button->menu()->actions().size(), 1);
}

void TestMainPlugins::runsWithTheWindowsArguments_data()
{
    QTest::addColumn<QString>("probe");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("argument"); // "form", "grid1", ..., "connection"
    QTest::newRow("DATA") << "data"
                          << "connection"
                          << "connection";
    QTest::newRow("KOLDATA") << "koldata"
                             << "kol"
                             << "connection";
    QTest::newRow("FORM") << "form"
                          << "exec"
                          << "form";
    QTest::newRow("GRID1") << "grid1"
                           << "exec"
                           << "grid1";
    QTest::newRow("GRID2") << "grid2"
                           << "exec"
                           << "grid2";
    QTest::newRow("GRID3") << "grid3"
                           << "exec"
                           << "grid3";
}

void TestMainPlugins::runsWithTheWindowsArguments()
{
    QFETCH(QString, probe);
    QFETCH(QString, event);
    QFETCH(QString, argument);
    copyProbe(probe);
    AppFixture app;
    TfrmTesmora& window = app.show();
    QVERIFY(window.sConnectionString.startsWith(QLatin1String("Provider=SQLite;")));
    window.pluginHost().invoke(0);
    const auto pointer = [](const void* p) { return QString::number(quintptr(p), 16); };
    QString expected;
    if (argument == QLatin1String("connection"))
        expected = window.sConnectionString;
    else if (argument == QLatin1String("form"))
        expected = pointer(static_cast<QWidget*>(&window));
    else if (argument == QLatin1String("grid1"))
        expected = pointer(static_cast<QWidget*>(window.dbgClients));
    else if (argument == QLatin1String("grid2"))
        expected = pointer(static_cast<QWidget*>(window.dbgParams));
    else
        expected = pointer(static_cast<QWidget*>(window.dbgHistory));
    QVERIFY2(log().contains(probe + QLatin1Char('\t') + event + QLatin1Char('\t') + expected),
             qPrintable(log().join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestMainPlugins)
#include "tst_MainPlugins.moc"
