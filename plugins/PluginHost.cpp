#include "PluginHost.h"

#include "Guard.h"
#include "Messages.h"

#include <QAction>
#include <QMenu>
#include <QScopeGuard>
#include <QToolButton>

namespace {

// A plug-in's name is shown as it stands, so an ampersand in it must not
// turn into a mnemonic.
QString menuCaption(const QString& name)
{
    QString caption = name;
    return caption.replace(u'&', QStringLiteral("&&"));
}

} // namespace

PluginHost::PluginHost(QWidget* window)
    : QObject(window)
    , m_menu(new QMenu(window))
{
    m_menu->setObjectName(QStringLiteral("mnuPlugins"));
    m_menu->setToolTipsVisible(true);
}

QToolButton* PluginHost::createToolButton(QWidget* parent) const
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("BtnPlugins"));
    button->setToolTip(QStringLiteral("Available plug-ins"));
    button->setMenu(m_menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setAutoRaise(true);
    return button;
}

void PluginHost::scanFolder(const QString& folder)
{
    m_menu->clear();
    m_pluginPaths.clear();
    for (const QString& path : listPluginFiles(folder))
        addPlugin(path);
}

bool PluginHost::addPlugin(const QString& path)
{
    std::optional<PluginIdentity> identity;
    // One plug-in that fails must not keep the others out of the menu.
    guarded([&] { identity = identifyPlugin(path, PluginVersionQuery::Skip); });
    if (!identity)
        return false;

    const int index = int(m_pluginPaths.size());
    auto* item = new QAction(menuCaption(identity->name), m_menu);
    item->setToolTip(identity->description);
    item->setStatusTip(identity->description);
    connect(item, &QAction::triggered, this, [this, index] { invoke(index); });
    // Path and item go in together, so PluginPaths stays aligned with the menu.
    m_pluginPaths.append(path);
    m_menu->addAction(item);
    return true;
}

void PluginHost::invoke(int index)
{
    if (index < 0 || index >= m_pluginPaths.size())
        return;
    // A plug-in's window runs its own event loop inside the call, so the menu
    // can be picked again meanwhile. A second run would share the first one's
    // loaded library and its state (the report wizard's work tables among
    // them), so it is refused.
    if (m_running) {
        messages().beep();
        return;
    }
    m_running = true;
    const auto reset = qScopeGuard([this] { m_running = false; });
    const QString path = m_pluginPaths.at(index);
    guarded([&] { invokePlugin(path, m_arguments ? m_arguments() : PluginArguments {}); });
}
