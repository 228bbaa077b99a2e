#pragma once

#include <QString>

// The names, under the settings key of the user hive, of every value the
// program keeps, and the fixed texts that go with them.
namespace SettingNames {

inline const QString kSettingsKey = QStringLiteral("\\Software\\Nuvek\\Orvanta Light");

inline const QString kPath = QStringLiteral("Path");
inline const QString kSystemTray = QStringLiteral("SystemTray");
inline const QString kCallMask = QStringLiteral("CallMask");
inline const QString kScreenLayout = QStringLiteral("ScreenLayout");
inline const QString kMainLayout = QStringLiteral("MainLayout");
inline const QString kStartUp = QStringLiteral("StartUp");
inline const QString kDialMode = QStringLiteral("DialMode");
inline const QString kPort = QStringLiteral("Port");

inline const QString kDefaultPort = QStringLiteral("COM1");
inline const QString kPluginDefaultCallMask = QStringLiteral("000-000-0000;0;_");

// The main window's layout store: its key, the two column-layout keys beside
// it, the pane heights and the stored sort flags.
inline const QString kFormKey = QStringLiteral("TfrmTesmora");
inline const QString kClientsColumnsKey = QStringLiteral("TfrmTesmora.dbgClients_Columns");
inline const QString kParamsColumnsKey = QStringLiteral("TfrmTesmora.dbgParams_Columns");
inline const QString kClientsHeight = QStringLiteral("grbClients_Height");
inline const QString kParamsHeight = QStringLiteral("grbParams_Height");
inline const QString kHistoryHeight = QStringLiteral("grbHistory_Height");
inline const QString kSortByName = QStringLiteral("bSortByName");
inline const QString kAsc = QStringLiteral("bAsc");
inline const QString kSortById = QStringLiteral("bSortById");
inline const QString kAscField = QStringLiteral("bAscField");

// The start-up entry, and the machine key it stands for where there is a
// registry.
inline const QString kStartupEntryName = QStringLiteral("Orvanta Light");
inline const QString kRunKey = QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");

} // namespace SettingNames
