#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

class PtyPair;
class QSocketNotifier;

// A modem on the far end of a pseudo-terminal: records every byte it is sent
// and answers each command line (ended by CR LF) with the next reply of its
// script, if any. Runs on the test's event loop. Bytes written to the device
// end reach the modem end a moment later (the kernel hands them over on its
// own schedule), so the waits below watch the modem end directly, without
// running the event loop.
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

    // Every byte received so far, in order.
    QByteArray received();
    // The complete command lines received so far, each with its CR LF.
    QList<QByteArray> commands();

    // Waits until at least count bytes have been received in all.
    bool waitForReceived(qsizetype count, int timeoutMs = 5000);
    // Waits until at least count command lines have been received in all.
    bool waitForCommands(qsizetype count, int timeoutMs = 5000);
    // Every byte received once the line has stayed quiet for quietMs: for
    // showing that nothing more was sent.
    QByteArray receivedWhenQuiet(int quietMs = 50);

    // Pulls the cable (see PtyPair::unplug()).
    void unplug();

private:
    // Waits up to timeoutMs for the modem end to become readable.
    bool pollModemEnd(int timeoutMs);

    PtyPair& m_line;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_received;
    qsizetype m_answeredUpTo = 0;
    QList<QByteArray> m_replies;
};
