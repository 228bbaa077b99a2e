#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Keeps one copy of the program per user and settings folder. The first copy
// listens under a per-user name; a later copy asks it to come forward and
// ends. A name left behind by a copy that crashed is taken over.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // The name for the current user and settings folder ("Tesmora-<uid>-...").
    static QString defaultName(const QString& settingsFolder);

    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when another copy answered and was asked to come forward.
    bool askRunningCopyToComeForward(int timeoutMs = 1000);
    // Starts answering later copies; false when the name could not be taken.
    bool listen();

Q_SIGNALS:
    void comeForwardRequested();

private:
    QString m_name;
    QLocalServer* m_server = nullptr;
};
