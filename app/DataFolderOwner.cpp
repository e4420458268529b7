#include "app/DataFolderOwner.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

// The owner's door for later copies: one name per data folder and user.
QString ServerName(const QString& Folder)
{
    const QByteArray key = QDir(Folder).absolutePath().toUtf8();
    return QStringLiteral("brindletop-") +
           QString::fromLatin1(
               QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
}

// How long a later copy waits for the owner to take its knock.
constexpr int KnockMs = 3000;

} // namespace

TDataFolderOwner::TDataFolderOwner(const QString& Folder, QObject* Parent)
    : QObject(Parent), FFolder(Folder), FLock(Folder + QLatin1Char('/') + LockFileName())
{
    // Held for the whole run: only a lock whose process is gone is stale, never an old one.
    FLock.setStaleLockTime(0);
}

TDataFolderOwner::~TDataFolderOwner() = default;

TDataFolderOwner::TClaim TDataFolderOwner::Claim()
{
    QDir().mkpath(FFolder);
    // A lock of a copy that crashed names a process that is gone: tryLock removes it.
    if (!FLock.tryLock(0) && FLock.error() == QLockFile::LockFailedError) {
        QLocalSocket knock;
        knock.connectToServer(ServerName(FFolder));
        if (knock.waitForConnected(KnockMs)) {
            knock.write("forward\n");
            knock.waitForBytesWritten(KnockMs);
            knock.disconnectFromServer();
        }
        return TClaim::OtherRunning;
    }
    FServer = new QLocalServer(this);
    // Only this user's copies may knock.
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = ServerName(FFolder);
    // A socket file left by a crashed owner would keep the name taken.
    QLocalServer::removeServer(name);
    FServer->listen(name);
    connect(FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* knock = FServer->nextPendingConnection()) {
            connect(knock, &QLocalSocket::disconnected, knock, &QObject::deleteLater);
            Q_EMIT ComeForward();
        }
    });
    return TClaim::Owner;
}
