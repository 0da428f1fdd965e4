#include "ui/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

#include <unistd.h>

namespace kelvanto
{

namespace
{

constexpr const char* kShowRequest = "show\n";
constexpr const char* kShowAnswer = "ok\n";

} // namespace

QString SingleInstance::socketName(const QString& dataFolder)
{
    const QByteArray folderHash
        = QCryptographicHash::hash(QDir::cleanPath(dataFolder).toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const QString name = QStringLiteral("%1%2-%3.sock")
                             .arg(QLatin1String(kMutexName))
                             .arg(getuid())
                             .arg(QString::fromLatin1(folderHash));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString folder = !runtime.isEmpty() && QDir(runtime).exists() ? runtime : QDir::tempPath();
    return QDir(folder).filePath(name);
}

bool SingleInstance::askRunningToShow(const QString& name, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine() == kShowAnswer;
}

SingleInstance::SingleInstance(QObject* parent)
    : QObject(parent)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* connection = m_server.nextPendingConnection()) {
            connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
            connect(connection, &QLocalSocket::readyRead, this, [this, connection] {
                if (!connection->canReadLine())
                    return;
                const bool show = connection->readLine() == kShowRequest;
                if (show) {
                    connection->write(kShowAnswer);
                    connection->flush();
                }
                connection->disconnectFromServer();
                // Queued: showing may ask for the login, and the connection is done with first.
                if (show)
                    QMetaObject::invokeMethod(this, &SingleInstance::showRequested, Qt::QueuedConnection);
            });
        }
    });
}

bool SingleInstance::listen(const QString& name)
{
    QLocalServer::removeServer(name);
    return m_server.listen(name);
}

} // namespace kelvanto
