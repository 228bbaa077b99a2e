#include "PluginsPage.h"

#include "Guard.h"
#include "Maker.h"
#include "PluginSequences.h"
#include "Shell.h"
#include "TAboutPlg1.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScopeGuard>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* makeSpeedButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

PluginsPage::PluginsPage(const QString& folder, QWidget* parent)
    : QWidget(parent)
{
    auto* group = new QGroupBox(QStringLiteral("Available plug-ins"), this);
    group->setObjectName(QStringLiteral("GroupBox3"));

    m_lbPlugins = new QListWidget(group);
    m_lbPlugins->setObjectName(QStringLiteral("lbPlugins"));
    m_lbPlugins->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lbPlugins->installEventFilter(this);

    auto* findMore = makeSpeedButton(group, "RxSpeedButton1", QStringLiteral("Find &More"));
    connect(findMore, &QToolButton::clicked, this, [this] { RxSpeedButton1Click(); });
    m_btAbout = makeSpeedButton(group, "btAbout", QStringLiteral("&About"));
    m_btAbout->setEnabled(false);
    connect(m_btAbout, &QToolButton::clicked, this, [this] { btAboutClick(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(findMore);
    buttons->addStretch();
    buttons->addWidget(m_btAbout);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_lbPlugins);
    groupLayout->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group);

    listPlugins(folder);
}

void PluginsPage::listPlugins(const QString& folder)
{
    for (const QString& path : listPluginFiles(folder)) {
        std::optional<PluginIdentity> identity;
        guarded([&] { identity = identifyPlugin(path, PluginVersionQuery::Read); });
        if (!identity)
            continue;
        m_paths.append(path);
        m_names.append(identity->name);
        m_descriptions.append(identity->description);
        m_versions.append(identity->version);
    }
    m_lbPlugins->addItems(m_names);
    // A line is always selected while there is one, so About never has to
    // guess which plug-in is meant.
    if (!m_names.isEmpty())
        m_lbPlugins->setCurrentRow(0);
}

bool PluginsPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lbPlugins && event->type() == QEvent::FocusIn)
        lbPluginsEnter();
    return QWidget::eventFilter(watched, event);
}

void PluginsPage::lbPluginsEnter()
{
    m_btAbout->setEnabled(!m_names.isEmpty());
}

void PluginsPage::RxSpeedButton1Click()
{
    guarded([] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        shell().open(QString::fromLatin1(maker::pluginPage));
    });
}

void PluginsPage::btAboutClick()
{
    guarded([this] {
        const QList<QListWidgetItem*> selected = m_lbPlugins->selectedItems();
        if (selected.isEmpty())
            return;
        const int line = m_lbPlugins->row(selected.first());
        if (line < 0 || line >= m_paths.size())
            return;
        if (showPluginAbout(m_paths.at(line), window()) != PluginAboutOutcome::ShowHostDialog)
            return;
        TAboutPlg1 about(window());
        about.setPlugin(m_lbPlugins->item(line)->text(), m_versions.at(line), m_descriptions.at(line));
        about.exec();
    });
}
