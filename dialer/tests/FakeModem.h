#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

class PtyPair;
class QSocketNotifier;

// A modem on the far end of a pseudo-terminal: records every byte it is sent
// and answers each command line (ended by CR LF) with the next reply of its
// script, if any. Runs on the test's event loop; drain() reads synchronously,
// so a test can see what was written without waiting.
class FakeModem : public QObject
{
    Q_OBJECT

public:
    explicit FakeModem(PtyPair& line, QObject* parent = nullptr);
    ~FakeModem() override;

    // Replies for the next command lines, one each, in order.
    void setReplies(const QList<QByteArray>& replies) { m_replies = replies; }
    // Sends bytes to the device end at once.
    void send(const QByteArray& bytes);
    // Takes in whatever the device end has written so far.
    void drain();

    // Every byte received, in order.
    QByteArray received();
    // The complete command lines received, each with its CR LF.
    QList<QByteArray> commands();

    // Pulls the cable (see PtyPair::unplug()).
    void unplug();

private:
    PtyPair& m_line;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_received;
    qsizetype m_answeredUpTo = 0;
    QList<QByteArray> m_replies;
};
