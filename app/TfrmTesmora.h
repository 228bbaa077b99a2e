#pragma once

#include "DBNavigator.h"
#include "SortState.h"

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>

class DBCtrlGrid;
class Field;
class MaskEdit;
class QAction;
class QButtonGroup;
class QMenu;
class QPainter;
class UpperCaseEdit;
class DialRequest;
class ModemProbe;
class StoredDialSettings;
class DBGrid;
class DBNavigator;
class FormStorage;
class PluginHost;
class QGroupBox;
class QSplitter;
class QToolBar;
class QToolButton;
class QWidget;
class SettingsStore;
class TdbTesmora;
class DataSource;
class Dataset;

// The main window: three panes over the data module's datasets (contacts,
// contact info, call history), one record navigator, the toolbar. It reads
// the settings when it is created, opens the database when it is first shown
// and asks before it closes. It lives for the whole run; UI thread only.
class TfrmTesmora : public QMainWindow
{
    Q_OBJECT

public:
    TfrmTesmora(TdbTesmora& db, SettingsStore& settings, QWidget* parent = nullptr);
    ~TfrmTesmora() override;

    static const QString kCaption;
    static const QString kDatabaseFileName;

    // Program-wide values.
    QString sExeName;
    QString sDbPath;
    QString sConnectionString;
    QString sCallMask;
    SortState sort;

    TdbTesmora& dbTesmora() const { return m_db; }
    FormStorage& frPlaceCall() const { return *m_layout; }
    PluginHost& pluginHost() const { return *m_plugins; }
    // The folder searched for plug-ins; beside the program file unless a
    // test points it elsewhere before the window is created.
    static void setPluginFolder(const QString& folder);

    // Turns a phone field's text into a call.
    void DialPhone(const QString& text);
    DialRequest& dialRequest() const { return *m_dialer; }
    // Replaces the modem-status probe (tests script the modem's lines).
    void setModemProbe(std::unique_ptr<ModemProbe> probe);

    // Brings the window back from a minimised or hidden state to the front.
    void restoreAndRaise();

    // Gives the navigator's buttons their pictures.
    static void LoadNavigatorGlyphs(DBNavigator& navigator);

    // The value the contact info pane's pop-up items act on.
    const QString& actionValue() const { return sActionValue; }

    // Contacts pane.
    void dbgClientsTitleClick(Field* field);
    void dbgClientsDrawColumnCell(QPainter* painter, const QRect& titleRect, int dataColumn);
    void dbgClientsMouseMove(Qt::KeyboardModifiers modifiers, int x, int y);
    void dbgClientsDblClick();
    void meNameChange();
    void mePhoneChange();
    void meNameEnter();
    void mePhoneEnter();
    void meNameKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void mePhoneKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void NameBtnClick();
    void PhoneBtnClick();
    void FilterBtnClick();

    // Contact info pane.
    void dbgParamsTitleClick(Field* field);
    void dbgParamsDrawColumnCell(QPainter* painter, const QRect& titleRect, int dataColumn);
    void dbgParamsMouseMove(Qt::KeyboardModifiers modifiers, int x, int y);
    void dbgParamsCellClick(int dataColumn, Field* field, Qt::MouseButton button);
    void imnEmailClick();
    void imnBrowserClick();
    void imnFaxClick();

    // Call history pane and the navigator.
    void dbnCallBeforeAction(DBNavigator::Button button);
    void dbnCallClick(DBNavigator::Button button);
    void dbgClientsEnter();
    void dbgParamsEnter();
    void dbgHistoryEnter();
    void dbgClientsKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void dbgParamsKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void dbgHistoryKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void dbmHistoryChange();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildSearchBar();
    void buildPopParams();
    void connectPanes();
    void enterPane(DataSource& source);
    void resortKeepingWidths(DBGrid& grid, const std::function<void()>& reopen);
    bool navigatorEditing() const;
    void drawSortGlyph(QPainter* painter, const QRect& titleRect, int dataColumn, const Dataset& dataset,
                       bool firstColumnSorted, bool ascending);
    void buildWindow();
    void buildToolBar();
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormClose();

    void activateTrayIcon();
    void scanPlugins();

    TdbTesmora& m_db;
    SettingsStore& m_settings;
    std::unique_ptr<FormStorage> m_layout;
    PluginHost* m_plugins = nullptr;
    std::unique_ptr<StoredDialSettings> m_dialSettings;
    std::unique_ptr<ModemProbe> m_modemProbe;
    std::unique_ptr<DialRequest> m_dialer;
    bool m_shown = false;
    bool m_closing = false;
    bool m_screenLayout = false;
    bool m_mainLayout = false;

    QToolBar* ToolBar2 = nullptr;
    QGroupBox* grbClients = nullptr;
    QGroupBox* grbParams = nullptr;
    QGroupBox* grbHistory = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* Panel2 = nullptr;
    QString sActionValue;

public:
    QWidget* SearchBar = nullptr;
    QToolButton* NameBtn = nullptr;
    UpperCaseEdit* meName = nullptr;
    QToolButton* FilterBtn = nullptr;
    MaskEdit* mePhone = nullptr;
    QToolButton* PhoneBtn = nullptr;
    QMenu* popParams = nullptr;
    QAction* imnEmail = nullptr;
    QAction* imnBrowser = nullptr;
    QAction* imnFax = nullptr;
    DBGrid* dbgClients = nullptr;
    DBGrid* dbgParams = nullptr;
    DBCtrlGrid* dbgHistory = nullptr;
    DBNavigator* dbnCall = nullptr;
    QToolButton* BtnPlugins = nullptr;
};
