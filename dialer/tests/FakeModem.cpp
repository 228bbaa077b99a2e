#include "FakeModem.h"

#include "PtyPair.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <algorithm>
#include <poll.h>
#include <unistd.h>

namespace {

const QByteArray kEndOfLine = QByteArrayLiteral("\r\n");

} // namespace

FakeModem::FakeModem(PtyPair& line, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    if (m_line.modemFd() >= 0) {
        m_notifier = new QSocketNotifier(m_line.modemFd(), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &FakeModem::drain);
    }
}

FakeModem::~FakeModem() = default;

void FakeModem::send(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size() && m_line.modemFd() >= 0) {
        const ssize_t n = ::write(m_line.modemFd(), bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return;
        done += n;
    }
}

void FakeModem::drain()
{
    if (m_line.modemFd() < 0)
        return;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_line.modemFd(), buffer, sizeof buffer);
        if (n <= 0)
            break;
        m_received.append(buffer, n);
    }
    for (;;) {
        const qsizetype end = m_received.indexOf(kEndOfLine, m_answeredUpTo);
        if (end < 0)
            break;
        m_answeredUpTo = end + kEndOfLine.size();
        if (!m_replies.isEmpty())
            send(m_replies.takeFirst());
    }
}

QByteArray FakeModem::received()
{
    drain();
    return m_received;
}

QList<QByteArray> FakeModem::commands()
{
    drain();
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_received.indexOf(kEndOfLine, start);
        if (end < 0)
            break;
        lines.append(m_received.mid(start, end + kEndOfLine.size() - start));
        start = end + kEndOfLine.size();
    }
    return lines;
}

bool FakeModem::pollModemEnd(int timeoutMs)
{
    if (m_line.modemFd() < 0)
        return false;
    pollfd modemEnd { m_line.modemFd(), POLLIN, 0 };
    return ::poll(&modemEnd, 1, timeoutMs) > 0;
}

bool FakeModem::waitForReceived(qsizetype count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        drain();
        if (m_received.size() >= count)
            return true;
        if (deadline.hasExpired() || m_line.modemFd() < 0)
            return false;
        pollModemEnd(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
}

bool FakeModem::waitForCommands(qsizetype count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (commands().size() >= count)
            return true;
        if (deadline.hasExpired() || m_line.modemFd() < 0)
            return false;
        pollModemEnd(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
}

QByteArray FakeModem::receivedWhenQuiet(int quietMs)
{
    do
        drain();
    while (pollModemEnd(quietMs));
    return m_received;
}

void FakeModem::unplug()
{
    drain();
    if (m_notifier)
        m_notifier->setEnabled(false);
    m_line.unplug();
}
