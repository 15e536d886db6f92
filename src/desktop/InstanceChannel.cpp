#include "InstanceChannel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcChannel, "parlex.instance")

namespace {

const QByteArray ShowRequest = QByteArrayLiteral("show");
constexpr int WaitMs = 1000;

} // namespace

InstanceChannel::InstanceChannel(const QString& programFolder, QObject* parent)
    : QObject(parent)
    , m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = serverName(programFolder);
    if (!m_server->listen(name)) {
        // A program that died left its socket behind; the lock is ours now,
        // so the socket is too.
        QLocalServer::removeServer(name);
        if (!m_server->listen(name)) {
            qCWarning(lcChannel).noquote()
                << "later starts cannot reach this one:" << m_server->errorString();
        }
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readRequest(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            // The request may have arrived with the connection.
            readRequest(socket);
        }
    });
}

InstanceChannel::~InstanceChannel() = default;

void InstanceChannel::readRequest(QLocalSocket* socket) {
    if (!socket->canReadLine())
        return;
    const QByteArray request = socket->readLine().trimmed();
    socket->disconnectFromServer();
    if (request == ShowRequest)
        emit showRequested();
}

QString InstanceChannel::serverName(const QString& programFolder) {
    const QFileInfo info(programFolder);
    QString path = info.canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(info.absoluteFilePath());
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("parlex-") + QString::fromLatin1(hash.toHex().left(16));
}

bool InstanceChannel::askToShow(const QString& programFolder) {
    QLocalSocket socket;
    socket.connectToServer(serverName(programFolder));
    if (!socket.waitForConnected(WaitMs))
        return false;
    socket.write(ShowRequest + '\n');
    const bool sent = socket.waitForBytesWritten(WaitMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(WaitMs);
    return sent;
}
