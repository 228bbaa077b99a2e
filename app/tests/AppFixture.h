#pragma once

#include "FakeClock.h"
#include "FakeMessages.h"
#include "FakeShell.h"
#include "SettingsStore.h"
#include "TdbTesmora.h"
#include "TestDatabase.h"
#include "TfrmTesmora.h"

#include <QDir>
#include <QTemporaryDir>
#include <memory>
#include <optional>

// A main window on a real database file in a temporary working directory,
// with its settings in a temporary configuration folder and every message
// recorded. The window is created by start() and shown by show().
class AppFixture
{
public:
    AppFixture()
        : m_oldCwd(QDir::currentPath())
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        resetSettingsStore();
        QDir::setCurrent(db.folder());
    }
    ~AppFixture()
    {
        window.reset();
        module.reset();
        QDir::setCurrent(m_oldCwd);
        resetSettingsStore();
    }
    AppFixture(const AppFixture&) = delete;
    AppFixture& operator=(const AppFixture&) = delete;

    SettingsHive& userHive() { return settingsStore().user(); }
    SettingsKey settingsKey()
    {
        return *userHive().openKey(QStringLiteral("\\Software\\Nuvek\\Orvanta Light"), true);
    }

    TfrmTesmora& start()
    {
        module = std::make_unique<TdbTesmora>();
        window = std::make_unique<TfrmTesmora>(*module, settingsStore());
        return *window;
    }
    TfrmTesmora& show()
    {
        if (!window)
            start();
        window->show();
        return *window;
    }
    // Closes as the user would, answering the confirmation; true when closed.
    bool close(bool answerYes)
    {
        messages.setNextAnswers({ answerYes });
        return window->close();
    }

    FakeMessages messages;
    FakeShell shell;
    FakeClock clock;
    TestDatabase db;
    std::unique_ptr<TdbTesmora> module;
    std::unique_ptr<TfrmTesmora> window;

private:
    QString m_oldCwd;
    QTemporaryDir m_config;
};
