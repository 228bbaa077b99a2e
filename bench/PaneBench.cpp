#include "PaneBench.h"

#include "DBNavigator.h"
#include "FakeMessages.h"
#include "SettingsStore.h"
#include "TdbTesmora.h"
#include "TfrmTesmora.h"
#include "UpperCaseEdit.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

namespace {

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Runs the action, then lets every view repaint what it changed.
double timeUntilDrawn(const std::function<void()>& action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    QApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

void typeKey(QWidget* target, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

} // namespace

void runPaneBench(const QString& databasePath,
                  const std::function<void(const char*, double, const char*)>& print)
{
    // The window works in the database's folder with settings of its own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    resetSettingsStore();
    const QString oldCwd = QDir::currentPath();
    QTemporaryDir work;
    QFile::link(databasePath, work.filePath(QStringLiteral("Tesmora.sdb")));
    QDir::setCurrent(work.path());

    FakeMessages messages; // answers every question No, shows nothing
    {
        TdbTesmora module;
        TfrmTesmora window(module, settingsStore());
        window.show();
        QApplication::processEvents();

        // ORVANTA_BENCH_PANES names the figures to run (all when unset), so a
        // profiler can look at one of them alone.
        const QByteArray only = qgetenv("ORVANTA_BENCH_PANES");
        const auto wanted = [&](const char* name) { return only.isEmpty() || only.contains(name); };

        // A keystroke in the name search until the list, the contact's fields
        // and its notes are drawn again.
        if (wanted("search")) {
            window.meName->setFocus();
            QApplication::processEvents();
            std::vector<double> keystrokes;
            for (int round = 0; round < 5; ++round) {
                keystrokes.push_back(
                    timeUntilDrawn([&] { typeKey(window.meName, Qt::Key_A, QStringLiteral("a")); }));
                keystrokes.push_back(
                    timeUntilDrawn([&] { typeKey(window.meName, Qt::Key_N, QStringLiteral("n")); }));
                keystrokes.push_back(
                    timeUntilDrawn([&] { typeKey(window.meName, Qt::Key_Backspace, QString()); }));
                keystrokes.push_back(
                    timeUntilDrawn([&] { typeKey(window.meName, Qt::Key_Backspace, QString()); }));
            }
            print("pane_search_keystroke", median(keystrokes), "ms");
        }

        // A move to the next contact with the navigator.
        if (wanted("move")) {
            window.dbnCall->setDataSource(&module.dsCustomers);
            std::vector<double> moves;
            for (int i = 0; i < 200; ++i)
                moves.push_back(timeUntilDrawn([&] { window.dbnCall->doAction(DBNavigator::Button::Next); }));
            print("pane_move_next", median(moves), "ms");
        }

        // A title click that sorts all contacts again.
        if (wanted("sort")) {
            std::vector<double> clicks;
            Field& name = module.taCustomers.fieldByName(QStringLiteral("Client"));
            for (int i = 0; i < 7; ++i)
                clicks.push_back(timeUntilDrawn([&] { window.dbgClientsTitleClick(&name); }));
            print("pane_title_sort", median(clicks), "ms");
        }
    }
    QDir::setCurrent(oldCwd);
}
