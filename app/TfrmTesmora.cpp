#include "TfrmTesmora.h"

#include "Connection.h"
#include "DBCtrlGrid.h"
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DialRequest.h"
#include "FormStorage.h"
#include "Guard.h"
#include "Messages.h"
#include "ModemProbe.h"
#include "PluginFolder.h"
#include "PluginHost.h"
#include "SettingNames.h"
#include "SettingsStore.h"
#include "StartupSettings.h"
#include "StoredDialSettings.h"
#include "TdbTesmora.h"
#include "TfrmDialer.h"
#include "UserError.h"
#include "WidgetImages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

const QString TfrmTesmora::kCaption = QStringLiteral("Orvanta Light");
const QString TfrmTesmora::kDatabaseFileName = QStringLiteral("Tesmora.sdb");

namespace {
QString g_pluginFolder;
} // namespace

void TfrmTesmora::setPluginFolder(const QString& folder)
{
    g_pluginFolder = folder;
}

namespace {

QGroupBox* makePane(const QString& name, const QString& caption, QWidget* parent)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    QFont bold = box->font();
    bold.setBold(true);
    box->setFont(bold);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    return box;
}

} // namespace

TfrmTesmora::TfrmTesmora(TdbTesmora& db, SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent,
                  Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                      | Qt::WindowCloseButtonHint)
    , m_db(db)
    , m_settings(settings)
    , m_layout(std::make_unique<FormStorage>(settings.user()))
    , m_dialSettings(std::make_unique<StoredDialSettings>(settings.user()))
    , m_modemProbe(std::make_unique<SerialModemProbe>())
    , m_dialer(std::make_unique<DialRequest>(*m_dialSettings, *m_modemProbe, this))
{
    setObjectName(QStringLiteral("frmTesmora"));
    setWindowTitle(kCaption);
    m_layout->setObjectName(QStringLiteral("frPlaceCall"));
    m_layout->setFormName(QStringLiteral("TfrmTesmora"));
    m_layout->addStoredValue(SettingNames::kAsc, true);
    m_layout->addStoredValue(SettingNames::kSortByName, true);
    m_layout->addStoredValue(SettingNames::kAscField, true);
    m_layout->addStoredValue(SettingNames::kSortById, false);
    m_layout->addStoredHeight(QStringLiteral("grbClients"));
    m_layout->addStoredHeight(QStringLiteral("grbParams"));
    m_layout->addStoredHeight(QStringLiteral("grbHistory"));
    m_layout->addStoredColumns(QStringLiteral("dbgClients"));
    m_layout->addStoredColumns(QStringLiteral("dbgParams"));
    buildWindow();
    guarded([this] { FormCreate(); });
}

TfrmTesmora::~TfrmTesmora()
{
    // The dialog goes before the settings and the probe it uses.
    m_dialer.reset();
}

void TfrmTesmora::buildWindow()
{
    buildToolBar();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    m_splitter = new QSplitter(Qt::Vertical, central);
    m_splitter->setObjectName(QStringLiteral("RxSplitter1"));
    m_splitter->setHandleWidth(3);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setStyleSheet(QStringLiteral("QSplitter::handle { background: red; }"));

    const QColor captionColour = palette().color(QPalette::Active, QPalette::Highlight);

    grbClients = makePane(QStringLiteral("grbClients"), QStringLiteral("Contacts"), m_splitter);
    buildSearchBar();
    grbClients->layout()->addWidget(SearchBar);
    dbgClients = new DBGrid(grbClients);
    dbgClients->setObjectName(QStringLiteral("dbgClients"));
    dbgClients->setDataSource(&m_db.dsCustomers);
    dbgClients->setColumnLayout({ { QStringLiteral("Client"), 189 }, { QStringLiteral("Phone"), 105 } });
    dbgClients->setFieldTextColor(QStringLiteral("Phone"), captionColour);
    grbClients->layout()->addWidget(dbgClients);

    grbParams = makePane(QStringLiteral("grbParams"), QStringLiteral("Contact Info"), m_splitter);
    dbgParams = new DBGrid(grbParams);
    dbgParams->setObjectName(QStringLiteral("dbgParams"));
    dbgParams->setDataSource(&m_db.dsClientParams);
    dbgParams->setColumnLayout({ { QStringLiteral("TypeID"), 28 },
                                 { QStringLiteral("ParamDescr"), 144 },
                                 { QStringLiteral("Value"), 129 } });
    dbgParams->setFieldTextColor(QStringLiteral("TypeID"), QColor(0, 0, 128));
    grbParams->layout()->addWidget(dbgParams);
    buildPopParams();

    grbHistory = makePane(QStringLiteral("grbHistory"), QStringLiteral("Call history"), m_splitter);
    dbgHistory = new DBCtrlGrid(grbHistory);
    dbgHistory->setObjectName(QStringLiteral("dbgHistory"));
    dbgHistory->setDataSource(&m_db.dsHistory);
    grbHistory->layout()->addWidget(dbgHistory);

    m_splitter->addWidget(grbClients);
    m_splitter->addWidget(grbParams);
    m_splitter->addWidget(grbHistory);
    m_splitter->setStretchFactor(0, 3);
    m_splitter->setStretchFactor(1, 2);
    m_splitter->setStretchFactor(2, 2);
    layout->addWidget(m_splitter, 1);

    Panel2 = new QWidget(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* bottom = new QHBoxLayout(Panel2);
    bottom->setContentsMargins(0, 0, 0, 0);
    dbnCall = new DBNavigator(Panel2);
    dbnCall->setObjectName(QStringLiteral("dbnCall"));
    dbnCall->setDataSource(&m_db.dsCustomers);
    bottom->addWidget(dbnCall);
    bottom->addStretch();
    layout->addWidget(Panel2);

    // Only the panes' captions are bold; the controls inside keep the
    // window's font. (A style sheet would do the same but slows down the
    // painting of everything inside.)
    for (QGroupBox* pane : { grbClients, grbParams, grbHistory }) {
        for (QWidget* child : pane->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            child->setFont(font());
    }

    setCentralWidget(central);
    resize(480, 640);
    connectPanes();
}

void TfrmTesmora::buildToolBar()
{
    ToolBar2 = new QToolBar(this);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setMovable(false);
    ToolBar2->setFloatable(false);
    ToolBar2->setToolButtonStyle(Qt::ToolButtonIconOnly);
    addToolBar(Qt::TopToolBarArea, ToolBar2);

    const auto addButton = [this](const QString& name, const QString& hint, const QIcon& icon) {
        auto* button = new QToolButton(ToolBar2);
        button->setObjectName(name);
        button->setToolTip(hint);
        button->setAutoRaise(true);
        button->setIcon(icon);
        ToolBar2->addWidget(button);
        return button;
    };
    const QStyle* s = style();
    addButton(QStringLiteral("BtnProperty"), QStringLiteral("Custom field manager"),
              s->standardIcon(QStyle::SP_FileDialogDetailedView));
    ToolBar2->addSeparator();
    m_plugins = new PluginHost(this);
    BtnPlugins = m_plugins->createToolButton(ToolBar2);
    BtnPlugins->setIcon(s->standardIcon(QStyle::SP_DirIcon));
    BtnPlugins->setAutoRaise(true);
    ToolBar2->addWidget(BtnPlugins);
    m_plugins->setArgumentProvider([this] {
        return PluginArguments { this, dbgClients, dbgParams, dbgHistory, sConnectionString };
    });
    ToolBar2->addSeparator();
    addButton(QStringLiteral("BtnOptions"), QStringLiteral("Program options"),
              s->standardIcon(QStyle::SP_FileDialogContentsView));
    ToolBar2->addSeparator();
    addButton(QStringLiteral("BtnHelp"), QStringLiteral("Orvanta help"),
              s->standardIcon(QStyle::SP_DialogHelpButton));
    addButton(QStringLiteral("BtnAbout"), QStringLiteral("About Orvanta"),
              s->standardIcon(QStyle::SP_MessageBoxInformation));
    ToolBar2->addSeparator();
    ToolBar2->addSeparator();
    QToolButton* minimise = addButton(QStringLiteral("BtnMinim"), QStringLiteral("Minimize window"),
                                      s->standardIcon(QStyle::SP_TitleBarMinButton));
    connect(minimise, &QToolButton::clicked, this, [this] { showMinimized(); });
    QToolButton* closeButton = addButton(QStringLiteral("BtnClose"), QStringLiteral("Close window"),
                                         s->standardIcon(QStyle::SP_DialogCloseButton));
    connect(closeButton, &QToolButton::clicked, this, [this] { close(); });
}

// ---------------------------------------------------------------------------
// Creation, show and close

void TfrmTesmora::LoadNavigatorGlyphs(DBNavigator& navigator)
{
    loadNavigatorGlyphs(navigator);
}

void TfrmTesmora::FormCreate()
{
    LoadNavigatorGlyphs(*dbnCall);
    m_screenLayout = false;
    m_mainLayout = false;
    m_layout->setRootKey(SettingNames::kSettingsKey);

    // A value of the wrong type ends the reading with its message; what was
    // read before it still applies, the rest of the creation is skipped.
    StartupSettings read;
    bool complete = true;
    try {
        readStartupSettings(m_settings.user(), read);
    } catch (const UserError& error) {
        complete = false;
        messages().showError(error.text());
    }
    if (read.systemTray)
        activateTrayIcon();
    if (read.callMask) {
        sCallMask = *read.callMask;
        m_db.setPhoneMask(sCallMask);
    }
    if (!complete)
        return;
    m_screenLayout = read.screenLayout;
    m_mainLayout = read.mainLayout;
    m_layout->setActive(read.layoutStoreActive);
    scanPlugins();
}

void TfrmTesmora::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (m_layout->isActive())
        m_layout->restore(this);
    guarded([this] { FormShow(); });
}

void TfrmTesmora::FormShow()
{
    if (m_layout->isActive()) {
        sort.bSortByName = m_layout->storedValue(SettingNames::kSortByName).toBool();
        sort.bSortById = m_layout->storedValue(SettingNames::kSortById).toBool();
        sort.bAsc = m_layout->storedValue(SettingNames::kAsc).toBool();
        sort.bAscField = m_layout->storedValue(SettingNames::kAscField).toBool();
    } else {
        sort = SortState();
    }
    sExeName = QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath();
    sDbPath = QDir::currentPath() + QDir::separator() + kDatabaseFileName;
    if (!QFileInfo::exists(sDbPath)) {
        messages().showTyped(Messages::Kind::Error,
                             QStringLiteral("The database file is not found: Tesmora.sdb."));
        return;
    }
    sConnectionString = Connection::connectionStringFor(sDbPath);
    try {
        m_db.connectTo(sConnectionString);
    } catch (const UserError& error) {
        messages().showMessage(QStringLiteral("The database connection error."));
        messages().showError(error.text());
        return;
    }
    m_db.openDatasets(sort);
    m_db.setPhoneMask(sCallMask);
    dbgClients->setFocus();
}

void TfrmTesmora::closeEvent(QCloseEvent* event)
{
    bool accepted = false;
    guarded([&] { accepted = FormCloseQuery(); });
    if (!accepted) {
        event->ignore();
        return;
    }
    guarded([this] { FormClose(); });
    event->accept();
    QMainWindow::closeEvent(event);
}

bool TfrmTesmora::FormCloseQuery()
{
    if (!messages().confirm(QStringLiteral("Do you really wish to close the application?")))
        return false;
    if (m_layout->isActive()) {
        m_layout->setStoredValue(SettingNames::kSortByName, sort.bSortByName);
        m_layout->setStoredValue(SettingNames::kSortById, sort.bSortById);
        m_layout->setStoredValue(SettingNames::kAsc, sort.bAsc);
        m_layout->setStoredValue(SettingNames::kAscField, sort.bAscField);
    }
    return true;
}

void TfrmTesmora::FormClose()
{
    // A pending change is kept, not dropped, when the program ends.
    for (Dataset* dataset : { &m_db.taCustomers, &m_db.quClientParams, &m_db.quHistory }) {
        if (dataset->isEditing())
            guarded([dataset] { dataset->checkBrowseMode(); });
    }
    if (m_layout->isActive())
        m_layout->save(this);
}

void TfrmTesmora::restoreAndRaise()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    showNormal();
    raise();
    activateWindow();
}

void TfrmTesmora::DialPhone(const QString& text)
{
    m_dialer->dialPhone(text);
}

void TfrmTesmora::setModemProbe(std::unique_ptr<ModemProbe> probe)
{
    m_dialer.reset();
    m_modemProbe = std::move(probe);
    m_dialer = std::make_unique<DialRequest>(*m_dialSettings, *m_modemProbe, this);
}

void TfrmTesmora::activateTrayIcon() { }

void TfrmTesmora::scanPlugins()
{
    // Always beside the program file, whatever the working directory.
    m_plugins->scanFolder(g_pluginFolder.isEmpty() ? defaultPluginFolder() : g_pluginFolder);
}
