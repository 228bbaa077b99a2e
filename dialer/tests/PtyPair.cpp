#include "PtyPair.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char* step)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(step), QString::fromLocal8Bit(std::strerror(errno)));
}

bool makeRaw(int fd)
{
    termios settings {};
    if (::tcgetattr(fd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

} // namespace

PtyPair::PtyPair()
{
    const int modem = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (modem < 0) {
        m_error = systemError("posix_openpt");
        return;
    }
    char name[128] = {};
    if (::grantpt(modem) != 0 || ::unlockpt(modem) != 0 || ::ptsname_r(modem, name, sizeof name) != 0) {
        m_error = systemError("unlockpt");
        ::close(modem);
        return;
    }
    const int device = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (device < 0 || !makeRaw(device)) {
        m_error = systemError("open device end");
        if (device >= 0)
            ::close(device);
        ::close(modem);
        return;
    }
    const QString link = m_folder.filePath(QStringLiteral("modem"));
    if (!m_folder.isValid() || !QFile::link(QString::fromLocal8Bit(name), link)) {
        m_error = QStringLiteral("cannot link the device end into a temporary folder");
        ::close(device);
        ::close(modem);
        return;
    }
    m_modem = modem;
    m_device = device;
    m_devicePath = link;
}

PtyPair::~PtyPair()
{
    unplug();
}

int PtyPair::pendingInput() const
{
    int count = 0;
    if (m_device < 0 || ::ioctl(m_device, TIOCINQ, &count) != 0)
        return -1;
    return count;
}

bool PtyPair::waitForPendingInput(int count, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    while (pendingInput() < count) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(1);
    }
    return true;
}

void PtyPair::unplug()
{
    if (!m_devicePath.isEmpty())
        QFile::remove(m_devicePath);
    if (m_device >= 0)
        ::close(m_device);
    if (m_modem >= 0)
        ::close(m_modem);
    m_device = -1;
    m_modem = -1;
}
