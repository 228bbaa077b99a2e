#pragma once

#include "PluginFolder.h"

#include <QStringList>
#include <QWidget>

class QListWidget;
class QToolButton;

// The content of the options dialog's Plugins page: the group "Available
// plug-ins" with the list of plug-ins, "Find More" and "About". Lists the
// plug-in folder afresh when it is created, so it shows the folder as it is
// at that moment. The four lists (names, versions, descriptions, paths) are
// indexed alike, one entry per listed plug-in. The options dialog is the
// page's window(); it is what PluginAbout receives. UI thread only.
class PluginsPage : public QWidget
{
    Q_OBJECT

public:
    explicit PluginsPage(const QString& folder = defaultPluginFolder(), QWidget* parent = nullptr);

    const QStringList& pluginNames() const { return m_names; }
    const QStringList& pluginVersions() const { return m_versions; }
    const QStringList& pluginDescriptions() const { return m_descriptions; }
    const QStringList& pluginPaths() const { return m_paths; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void listPlugins(const QString& folder);
    void lbPluginsEnter();
    void RxSpeedButton1Click();
    void btAboutClick();

    QListWidget* m_lbPlugins;
    QToolButton* m_btAbout;
    QStringList m_names;
    QStringList m_versions;
    QStringList m_descriptions;
    QStringList m_paths;
};
