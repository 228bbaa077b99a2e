// The program's side of plug-ins, with real libraries: the plug-in menu and
// PluginPaths, runs from the menu, the options dialog's Plugins page with its
// About rules, and the About plug-in dialog.
#include "PluginHost.h"

#include "FakeMessages.h"
#include "FakeShell.h"
#include "Maker.h"
#include "PluginFixture.h"
#include "PluginsPage.h"
#include "TAboutPlg1.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>
#include <functional>

namespace {

// Hands every modal window that opens while it lives to `inspect`, then
// closes it, so that no test ever blocks in a dialog's event loop.
class ModalWatcher : public QObject
{
public:
    explicit ModalWatcher(std::function<void(QWidget*)> inspect)
        : m_inspect(std::move(inspect))
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++m_seen;
                m_inspect(modal);
                modal->close();
            }
        });
        m_timer.start();
    }
    int seen() const { return m_seen; }

private:
    std::function<void(QWidget*)> m_inspect;
    QTimer m_timer;
    int m_seen = 0;
};

// Records the cursor in force when the shell is asked to open something.
class CursorShell final : public Shell
{
public:
    CursorShell() { setShell(this); }
    ~CursorShell() override { setShell(nullptr); }
    CursorShell(const CursorShell&) = delete;
    CursorShell& operator=(const CursorShell&) = delete;

    void open(const QString& target) override
    {
        opened.append(target);
        const QCursor* cursor = QApplication::overrideCursor();
        shapes.append(cursor ? cursor->shape() : Qt::ArrowCursor);
    }
    void start(const QString&, const QStringList&) override { }

    QStringList opened;
    QList<Qt::CursorShape> shapes;
};

// The options dialog as far as the page needs it: a window with a control
// before the page that holds the focus when it opens, as the tree does.
struct OptionsDialog
{
    explicit OptionsDialog(const QString& folder)
    {
        dialog.setObjectName(QStringLiteral("frmOptions"));
        auto* layout = new QVBoxLayout(&dialog);
        tree = new QLineEdit(&dialog);
        layout->addWidget(tree);
        page = new PluginsPage(folder, &dialog);
        layout->addWidget(page);
        list = page->findChild<QListWidget*>(QStringLiteral("lbPlugins"));
        about = page->findChild<QToolButton*>(QStringLiteral("btAbout"));
        tree->setFocus();
    }

    bool open()
    {
        dialog.show();
        return QTest::qWaitForWindowActive(&dialog);
    }

    bool focusList()
    {
        list->setFocus();
        return QTest::qWaitFor([this] { return list->hasFocus(); });
    }

    QDialog dialog;
    QLineEdit* tree = nullptr;
    PluginsPage* page = nullptr;
    QListWidget* list = nullptr;
    QToolButton* about = nullptr;
};

} // namespace

class PluginHostTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void menuHoldsPluginsInListingOrder();
    void menuStaysEmpty_data();
    void menuStaysEmpty();
    void missingDescriptionGivesEmptyHint();
    void captionShowsTheNameAsItIs();
    void secondPickRunsAFreshLibrary();
    void pickWhileAPluginRunsIsRefused();
    void failingPluginIsReportedAndOthersStay();
    void copiedInLibraryReachesThePageNotTheMenu();
    void notIdentifiedIsToldAtEveryCreation();
    void pageListsAlignedLists();
    void aboutButtonWaitsForTheListFocus_data();
    void aboutButtonWaitsForTheListFocus();
    void aboutShowsTheListingInTheHostDialog_data();
    void aboutShowsTheListingInTheHostDialog();
    void pluginAboutReplacesTheHostDialog_data();
    void pluginAboutReplacesTheHostDialog();
    void aboutDoesNothing_data();
    void aboutDoesNothing();
    void findMoreOpensThePluginPage();
    void aboutDialogLinks_data();
    void aboutDialogLinks();
    void aboutDialogCloses();

private:
    std::unique_ptr<PluginFixture> m_fixture;
    std::unique_ptr<FakeMessages> m_messages;
    std::unique_ptr<QWidget> m_window;
    QWidget* m_grid1 = nullptr;
    QWidget* m_grid2 = nullptr;
    PluginHost* m_host = nullptr;
};

void PluginHostTest::init()
{
    m_fixture = std::make_unique<PluginFixture>();
    QVERIFY(m_fixture->isValid());
    m_messages = std::make_unique<FakeMessages>();
    m_window = std::make_unique<QWidget>();
    m_window->setObjectName(QStringLiteral("frmTesmora"));
    m_grid1 = new QWidget(m_window.get());
    m_grid1->setObjectName(QStringLiteral("dbgClients"));
    m_grid2 = new QWidget(m_window.get());
    m_grid2->setObjectName(QStringLiteral("dbgParams"));
    m_host = new PluginHost(m_window.get());
    m_host->setArgumentProvider([this] {
        return PluginArguments { m_window.get(), m_grid1, m_grid2, nullptr,
                                 QStringLiteral("Data Source=x.sdb") };
    });
}

void PluginHostTest::cleanup()
{
    if (m_fixture)
        QCOMPARE(m_fixture->loadedLibraries(), QStringList());
    m_window.reset();
    m_messages.reset();
    m_fixture.reset();
}

void PluginHostTest::menuHoldsPluginsInListingOrder()
{
    const QStringList paths = m_fixture->installInListingOrder(
        { QStringLiteral("grid1"), QStringLiteral("noname"), QStringLiteral("grid2") });
    QCOMPARE(paths.size(), 3);

    m_host->scanFolder(m_fixture->folder());

    const QList<QAction*> items = m_host->menu()->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->text(), QStringLiteral("grid1 plug-in"));
    QCOMPARE(items[1]->text(), QStringLiteral("grid2 plug-in"));
    QCOMPARE(items[0]->toolTip(), QStringLiteral("grid1 description"));
    QCOMPARE(items[1]->toolTip(), QStringLiteral("grid2 description"));
    QCOMPARE(m_host->pluginPaths(), (QStringList { paths[0], paths[2] }));
    QCOMPARE(m_messages->texts(), QStringList { QStringLiteral("dll is not identified.") });
    QCOMPARE(m_fixture->loadedLibraries(), QStringList());

    // Each item runs its own library, the one not identified between them
    // notwithstanding.
    items[1]->trigger();
    QCOMPARE(m_fixture->values(QStringLiteral("grid2"), QStringLiteral("exec")),
             QStringList { pointerText(m_grid2) });
    QCOMPARE(m_fixture->values(QStringLiteral("grid1"), QStringLiteral("exec")), QStringList());
    items[0]->trigger();
    QCOMPARE(m_fixture->values(QStringLiteral("grid1"), QStringLiteral("exec")),
             QStringList { pointerText(m_grid1) });
    QCOMPARE(m_fixture->values(QStringLiteral("noname"), QStringLiteral("exec")), QStringList());

    // The toolbar button drops down this very menu.
    const QToolButton* button = m_host->createToolButton(m_window.get());
    QCOMPARE(button->objectName(), QStringLiteral("BtnPlugins"));
    QCOMPARE(button->toolTip(), QStringLiteral("Available plug-ins"));
    QCOMPARE(button->menu(), m_host->menu());
    QCOMPARE(m_host->menu()->objectName(), QStringLiteral("mnuPlugins"));
}

void PluginHostTest::menuStaysEmpty_data()
{
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<QStringList>("fileNames");

    QTest::newRow("no folder") << false << QStringList();
    QTest::newRow("empty folder") << true << QStringList();
    QTest::newRow("no name matches the pattern")
        << true
        << QStringList { QStringLiteral("nil.so.1"), QStringLiteral("nil.SO"), QStringLiteral("nil.dll"),
                         QStringLiteral("nilso"), QStringLiteral("nil.so.txt") };
}

void PluginHostTest::menuStaysEmpty()
{
    QFETCH(bool, folderExists);
    QFETCH(QStringList, fileNames);

    for (const QString& name : fileNames)
        m_fixture->install(QStringLiteral("nil"), name);
    QString folder = m_fixture->folder();
    if (!folderExists)
        folder += QStringLiteral("Missing/");

    m_host->scanFolder(folder);
    const PluginsPage page(folder);

    QCOMPARE(m_host->menu()->actions().size(), 0);
    QCOMPARE(m_host->pluginPaths(), QStringList());
    QCOMPARE(page.pluginNames(), QStringList());
    QCOMPARE(m_messages->texts(), QStringList());
    QCOMPARE(m_fixture->events().size(), 0);
}

void PluginHostTest::missingDescriptionGivesEmptyHint()
{
    QCOMPARE(m_fixture->installInListingOrder({ QStringLiteral("nodescr"), QStringLiteral("nil") }).size(),
             2);

    m_host->scanFolder(m_fixture->folder());

    const QList<QAction*> items = m_host->menu()->actions();
    QCOMPARE(items.size(), 2);
    // toolTip() would fall back to the caption; the status tip does not.
    QCOMPARE(items[0]->statusTip(), QString());
    QCOMPARE(items[1]->statusTip(), QStringLiteral("nil description"));
    QCOMPARE(items[1]->toolTip(), QStringLiteral("nil description"));
}

void PluginHostTest::captionShowsTheNameAsItIs()
{
    m_fixture->install(QStringLiteral("utf8name"));

    m_host->scanFolder(m_fixture->folder());

    QCOMPARE(m_host->menu()->actions().size(), 1);
    // What the menu shows, with mnemonics resolved.
    QCOMPARE(m_host->menu()->actions().first()->iconText(), QStringLiteral("Fax & Mail — Отчёт"));
}

void PluginHostTest::secondPickRunsAFreshLibrary()
{
    m_fixture->install(QStringLiteral("nil"));
    m_host->scanFolder(m_fixture->folder());
    QAction* item = m_host->menu()->actions().value(0);
    QVERIFY(item);

    item->trigger();
    QCOMPARE(m_fixture->loadedLibraries(), QStringList());
    item->trigger();

    QCOMPARE(m_fixture->values(QStringLiteral("nil"), QStringLiteral("exec")),
             (QStringList { QStringLiteral("0"), QStringLiteral("0") }));
    QCOMPARE(m_fixture->values(QStringLiteral("nil"), QStringLiteral("runs")),
             (QStringList { QStringLiteral("1"), QStringLiteral("1") }));
}

void PluginHostTest::pickWhileAPluginRunsIsRefused()
{
    m_fixture->install(QStringLiteral("cxx-events"));
    m_host->scanFolder(m_fixture->folder());
    QAction* item = m_host->menu()->actions().value(0);
    QVERIFY(item);

    bool runningInside = false;
    // Fires inside the plug-in's call, which runs the event loop.
    QTimer::singleShot(0, this, [&] {
        runningInside = m_host->isRunning();
        item->trigger();
    });
    item->trigger();

    QVERIFY(runningInside);
    QCOMPARE(m_fixture->values(QStringLiteral("cxx-events"), QStringLiteral("runs")),
             QStringList { QStringLiteral("1") });
    QCOMPARE(m_messages->beeps(), 1);
    QVERIFY(!m_host->isRunning());

    // Once the run is over the item works again.
    item->trigger();
    QCOMPARE(m_fixture->values(QStringLiteral("cxx-events"), QStringLiteral("runs")),
             (QStringList { QStringLiteral("1"), QStringLiteral("1") }));
}

void PluginHostTest::failingPluginIsReportedAndOthersStay()
{
    m_fixture->install(QStringLiteral("cxx-throw-name"));
    m_fixture->install(QStringLiteral("cxx-throw-exec"));
    m_fixture->install(QStringLiteral("nil"));

    m_host->scanFolder(m_fixture->folder());

    QCOMPARE(m_messages->errors(), QStringList { QStringLiteral("probe name failure") });
    QStringList captions;
    for (const QAction* item : m_host->menu()->actions())
        captions.append(item->text());
    captions.sort();
    QCOMPARE(captions,
             (QStringList { QStringLiteral("cxx-throw-exec plug-in"), QStringLiteral("nil plug-in") }));

    m_messages->clear();
    for (QAction* item : m_host->menu()->actions())
        item->trigger();
    QCOMPARE(m_messages->errors(), QStringList { QStringLiteral("probe exec failure") });
    QCOMPARE(m_fixture->values(QStringLiteral("nil"), QStringLiteral("runs")),
             QStringList { QStringLiteral("1") });
    QVERIFY(!m_host->isRunning());
}

void PluginHostTest::copiedInLibraryReachesThePageNotTheMenu()
{
    const QString first = m_fixture->install(QStringLiteral("nil"));
    m_host->scanFolder(m_fixture->folder());
    const PluginsPage before(m_fixture->folder());

    const QString added = m_fixture->install(QStringLiteral("grid1"));
    const PluginsPage after(m_fixture->folder());

    QCOMPARE(before.pluginPaths(), QStringList { first });
    QCOMPARE(QSet<QString>(after.pluginPaths().cbegin(), after.pluginPaths().cend()),
             (QSet<QString> { first, added }));
    QCOMPARE(m_host->pluginPaths(), QStringList { first });
    QCOMPARE(m_host->menu()->actions().size(), 1);
}

void PluginHostTest::notIdentifiedIsToldAtEveryCreation()
{
    m_fixture->install(QStringLiteral("noname"));
    m_fixture->install(QStringLiteral("nil"));
    const QString message = QStringLiteral("dll is not identified.");

    m_host->scanFolder(m_fixture->folder());
    QCOMPARE(m_messages->texts(), QStringList { message });
    {
        const PluginsPage page(m_fixture->folder());
    }
    QCOMPARE(m_messages->texts(), (QStringList { message, message }));
    {
        const PluginsPage page(m_fixture->folder());
    }
    QCOMPARE(m_messages->texts(), (QStringList { message, message, message }));
}

void PluginHostTest::pageListsAlignedLists()
{
    const QStringList paths
        = m_fixture->installInListingOrder({ QStringLiteral("nodescr"), QStringLiteral("noname"),
                                             QStringLiteral("noversion"), QStringLiteral("nil") });
    QCOMPARE(paths.size(), 4);

    const PluginsPage page(m_fixture->folder());

    QCOMPARE(page.pluginPaths(), (QStringList { paths[0], paths[2], paths[3] }));
    QCOMPARE(page.pluginNames(),
             (QStringList { QStringLiteral("nodescr plug-in"), QStringLiteral("noversion plug-in"),
                            QStringLiteral("nil plug-in") }));
    QCOMPARE(page.pluginDescriptions(),
             (QStringList { QString(), QStringLiteral("noversion description"),
                            QStringLiteral("nil description") }));
    QCOMPARE(page.pluginVersions(),
             (QStringList { QStringLiteral("Version: nodescr"), QString(), QStringLiteral("Version: nil") }));
    const auto* list = page.findChild<QListWidget*>(QStringLiteral("lbPlugins"));
    QVERIFY(list);
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown.append(list->item(i)->text());
    QCOMPARE(shown, page.pluginNames());
    QCOMPARE(m_fixture->loadedLibraries(), QStringList());
}

void PluginHostTest::aboutButtonWaitsForTheListFocus_data()
{
    QTest::addColumn<QStringList>("probes");
    QTest::addColumn<bool>("focusList");
    QTest::addColumn<bool>("enabled");

    const QStringList two { QStringLiteral("nil"), QStringLiteral("grid1") };
    QTest::newRow("plug-ins, list never focused") << two << false << false;
    QTest::newRow("plug-ins, list focused") << two << true << true;
    QTest::newRow("no plug-in, list focused") << QStringList() << true << false;
    QTest::newRow("only one not identified, list focused")
        << QStringList { QStringLiteral("noname") } << true << false;
}

void PluginHostTest::aboutButtonWaitsForTheListFocus()
{
    QFETCH(QStringList, probes);
    QFETCH(bool, focusList);
    QFETCH(bool, enabled);

    for (const QString& probe : probes)
        m_fixture->install(probe);
    OptionsDialog options(m_fixture->folder());
    QVERIFY(options.about);
    QVERIFY(!options.about->isEnabled());
    QVERIFY(options.open());
    QVERIFY(!options.list->hasFocus());
    if (focusList)
        QVERIFY(options.focusList());

    QCOMPARE(options.about->isEnabled(), enabled);
}

void PluginHostTest::aboutShowsTheListingInTheHostDialog_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("description");

    QTest::newRow("everything") << "nil plug-in"
                                << "Version: nil"
                                << "nil description";
    QTest::newRow("no description") << "nodescr plug-in"
                                    << "Version: nodescr"
                                    << "";
    QTest::newRow("no version") << "noversion plug-in"
                                << ""
                                << "noversion description";
}

void PluginHostTest::aboutShowsTheListingInTheHostDialog()
{
    QFETCH(QString, name);
    QFETCH(QString, version);
    QFETCH(QString, description);

    for (const char* probe : { "nodescr", "nil", "noversion" })
        m_fixture->install(QString::fromLatin1(probe));
    OptionsDialog options(m_fixture->folder());
    QVERIFY(options.open());
    QVERIFY(options.focusList());
    const int line = int(options.page->pluginNames().indexOf(name));
    QVERIFY(line >= 0);
    options.list->setCurrentRow(line);

    QString caption, shownName, shownVersion, shownDescription;
    QStringList loadedMeanwhile;
    ModalWatcher watcher([&](QWidget* modal) {
        QVERIFY(qobject_cast<TAboutPlg1*>(modal));
        caption = modal->windowTitle();
        shownName = modal->findChild<QTextEdit*>(QStringLiteral("memPlgName"))->toPlainText();
        shownVersion = modal->findChild<QLabel*>(QStringLiteral("laPlgVers"))->text();
        shownDescription = modal->findChild<QTextEdit*>(QStringLiteral("memPlgDescr"))->toPlainText();
        loadedMeanwhile = m_fixture->loadedLibraries();
    });
    QTest::mouseClick(options.about, Qt::LeftButton);

    QCOMPARE(watcher.seen(), 1);
    QCOMPARE(caption, QStringLiteral("About plug-in"));
    QCOMPARE(shownName, name);
    QCOMPARE(shownVersion, version);
    QCOMPARE(shownDescription, description);
    QCOMPARE(loadedMeanwhile, QStringList());
    // The dialog was made for this click and is gone with it.
    QCOMPARE(options.dialog.findChildren<TAboutPlg1*>().size(), 0);
}

void PluginHostTest::pluginAboutReplacesTheHostDialog_data()
{
    QTest::addColumn<QString>("probe");

    QTest::newRow("C") << "about";
    QTest::newRow("C++") << "cxx-grid2";
}

void PluginHostTest::pluginAboutReplacesTheHostDialog()
{
    QFETCH(QString, probe);

    m_fixture->install(probe);
    OptionsDialog options(m_fixture->folder());
    QVERIFY(options.open());
    QVERIFY(options.focusList());

    ModalWatcher watcher([](QWidget*) {});
    QTest::mouseClick(options.about, Qt::LeftButton);

    QCOMPARE(watcher.seen(), 0);
    QCOMPARE(m_fixture->values(probe, QStringLiteral("about")), QStringList { pointerText(&options.dialog) });
    if (probe.startsWith(QLatin1String("cxx-")))
        QCOMPARE(m_fixture->values(probe, QStringLiteral("about-window")),
                 QStringList { QStringLiteral("frmOptions") });
}

void PluginHostTest::aboutDoesNothing_data()
{
    QTest::addColumn<QString>("situation");

    QTest::newRow("no line selected") << "unselected";
    QTest::newRow("library removed since listing") << "removed";
    QTest::newRow("library no longer loads") << "replaced";
}

void PluginHostTest::aboutDoesNothing()
{
    QFETCH(QString, situation);

    const QString path = m_fixture->install(QStringLiteral("about"));
    OptionsDialog options(m_fixture->folder());
    QVERIFY(options.open());
    QVERIFY(options.focusList());
    if (situation == QLatin1String("unselected"))
        options.list->clearSelection();
    else if (situation == QLatin1String("removed"))
        QVERIFY(QFile::remove(path));
    else
        m_fixture->installBytes(QFileInfo(path).fileName(), "not a library any more");
    m_fixture->clearLog();

    ModalWatcher watcher([](QWidget*) {});
    QTest::mouseClick(options.about, Qt::LeftButton);

    QCOMPARE(watcher.seen(), 0);
    QCOMPARE(m_fixture->events().size(), 0);
    QCOMPARE(m_messages->texts(), QStringList());
}

void PluginHostTest::findMoreOpensThePluginPage()
{
    const PluginsPage page(m_fixture->folder());
    auto* findMore = page.findChild<QToolButton*>(QStringLiteral("RxSpeedButton1"));
    QVERIFY(findMore);
    QCOMPARE(findMore->text(), QStringLiteral("Find &More"));
    CursorShell recorder;

    findMore->click();

    QCOMPARE(recorder.opened, QStringList { QString::fromLatin1(maker::pluginPage) });
    QCOMPARE(recorder.shapes, QList<Qt::CursorShape> { Qt::WaitCursor });
    QVERIFY(!QApplication::overrideCursor());
}

void PluginHostTest::aboutDialogLinks_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QStringList>("opened");

    QTest::newRow("logo") << "Image1" << QStringList { QString::fromLatin1(maker::webSite) };
    QTest::newRow("support address") << "laSupport"
                                     << QStringList { QStringLiteral("mailto:")
                                                      + QString::fromLatin1(maker::supportMail) };
    QTest::newRow("author address") << "laAuthor"
                                    << QStringList { QStringLiteral("mailto:")
                                                     + QString::fromLatin1(maker::authorMail) };
    QTest::newRow("caption of an address") << "Label5" << QStringList();
    QTest::newRow("notice") << "laNotice" << QStringList();
}

void PluginHostTest::aboutDialogLinks()
{
    QFETCH(QString, widget);
    QFETCH(QStringList, opened);

    FakeShell shell;
    TAboutPlg1 about;
    about.setPlugin(QStringLiteral("A"), QStringLiteral("Version: 1"), QStringLiteral("B"));
    about.show();
    auto* target = about.findChild<QWidget*>(widget);
    QVERIFY(target);

    QTest::mouseClick(target, Qt::LeftButton);

    QCOMPARE(shell.opened, opened);
}

void PluginHostTest::aboutDialogCloses()
{
    TAboutPlg1 about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    auto* close = about.findChild<QPushButton*>(QStringLiteral("btClose"));
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("Close"));

    QTest::mouseClick(close, Qt::LeftButton);

    QVERIFY(!about.isVisible());
}

QTEST_MAIN(PluginHostTest)
#include "PluginHostTest.moc"
