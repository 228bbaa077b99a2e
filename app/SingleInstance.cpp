#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace {

const QByteArray kComeForward = QByteArrayLiteral("come-forward\n");

} // namespace

QString SingleInstance::defaultName(const QString& settingsFolder)
{
    const QByteArray folderHash
        = QCryptographicHash::hash(settingsFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("Tesmora-%1-%2").arg(::getuid()).arg(QString::fromLatin1(folderHash));
}

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent)
    , m_name(name)
{ }

SingleInstance::~SingleInstance() = default;

bool SingleInstance::askRunningCopyToComeForward(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kComeForward);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The first copy answers once it has taken the request, so this copy
    // never ends before its request was heard.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // Nobody answered under this name, so what is left of it is stale.
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == kComeForward) {
                    socket->write("ok\n");
                    socket->flush();
                    Q_EMIT comeForwardRequested();
                }
            });
        }
    });
    return true;
}
