#pragma once

#include "PluginFolder.h"
#include "PluginSequences.h"

#include <QObject>
#include <QStringList>
#include <functional>

class QMenu;
class QToolButton;
class QWidget;

// The main window's plug-in menu: identifies the libraries of the plug-in
// folder once, when the window is created, puts one item per plug-in into
// mnuPlugins and runs a plug-in when its item is picked. PluginPaths stays
// aligned with the menu's items. The menu is a child of the window given at
// construction; so is the host. UI thread only.
class PluginHost : public QObject
{
    Q_OBJECT

public:
    // Supplies the arguments of a run when it starts, since the connection
    // string is known only once the database has been opened.
    using ArgumentProvider = std::function<PluginArguments()>;

    explicit PluginHost(QWidget* window);

    // The drop-down menu of plug-ins, object name "mnuPlugins".
    QMenu* menu() const { return m_menu; }
    // A toolbar button "BtnPlugins" whose drop-down arrow opens the menu; the
    // button itself has no action of its own. The caller gives it its icon.
    QToolButton* createToolButton(QWidget* parent) const;

    void setArgumentProvider(ArgumentProvider provider) { m_arguments = std::move(provider); }

    // Empties the menu, then hands every matching entry of the folder, in
    // listing order, to addPlugin().
    void scanFolder(const QString& folder = defaultPluginFolder());
    // The menu builder: identifies the library and, when it is a plug-in,
    // appends its item (caption its name, hint its description) and its path.
    bool addPlugin(const QString& path);

    // PluginPaths: entry i belongs to the menu's item i.
    const QStringList& pluginPaths() const { return m_pluginPaths; }

    // The click of item i: loads the library afresh, runs it and unloads it.
    // Errors go to the default error box. A pick while a plug-in is running
    // is refused with a beep.
    void invoke(int index);
    bool isRunning() const { return m_running; }

private:
    QMenu* m_menu;
    QStringList m_pluginPaths;
    ArgumentProvider m_arguments;
    bool m_running = false;
};
