#include "shell/HandOver.h"

#include "platform/LocalPath.h"

#include "platform/Log.h"
#include "platform/PrivateFiles.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>
#include <QtEndian>

#include <fcntl.h>
#include <malloc.h>
#include <map>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace handover {

namespace {

constexpr char kMagic[4] = {'P', 'K', 'H', 'O'};
constexpr qsizetype kHeaderBytes = 8;

void appendU32(QByteArray *out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out->append(bytes, 4);
}

bool readU32(const QByteArray &in, qsizetype *at, quint32 *value)
{
    if (in.size() - *at < 4)
        return false;
    *value = qFromBigEndian<quint32>(in.constData() + *at);
    *at += 4;
    return true;
}

Decode invalid(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return Decode::Invalid;
}

// The longest path a socket address holds, its closing NUL aside.
constexpr qsizetype kMaxSocketPath = qsizetype(sizeof(sockaddr_un::sun_path)) - 1;

// The folder open for the rest of the process, spelled through its descriptor
// ("/proc/self/fd/N"), so that a socket in a folder whose own path is too long for a socket
// address can still be bound and reached. Null when the folder is not a private folder of this
// user (a link there is not followed).
QString heldFolderPath(const QString &folder)
{
    static std::mutex lock;
    static std::map<QString, int> held; // never closed: a server's name must stay valid
    std::lock_guard guard(lock);
    auto it = held.find(folder);
    if (it == held.end()) {
        const int fd = ::open(LocalPath_ToBytes(folder).constData(),
                              O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        struct stat st;
        if (fd < 0)
            return {};
        if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
            (st.st_mode & 0777) != 0700) {
            ::close(fd);
            return {};
        }
        it = held.emplace(folder, fd).first;
    }
    return QStringLiteral("/proc/self/fd/%1").arg(it->second);
}

} // namespace

QByteArray encodeMessage(const QStringList &paths)
{
    QByteArray payload;
    appendU32(&payload, quint32(paths.size()));
    for (const QString &path : paths) {
        const QByteArray bytes = LocalPath_ToBytes(path); // a name's own bytes, UTF-8 or not
        appendU32(&payload, quint32(bytes.size()));
        payload += bytes;
    }
    QByteArray message(kMagic, 4);
    appendU32(&message, quint32(payload.size()));
    return message + payload;
}

Decode decodeMessage(const QByteArray &buffer, QStringList *paths, QString *why)
{
    const qsizetype known = std::min<qsizetype>(buffer.size(), 4);
    if (buffer.left(known) != QByteArray(kMagic, known))
        return invalid(why, QStringLiteral("not a hand-over message"));
    if (buffer.size() < kHeaderBytes)
        return Decode::NeedMore;
    qsizetype at = 4;
    quint32 length = 0;
    readU32(buffer, &at, &length);
    if (length > kMaxPayloadBytes)
        return invalid(why, QStringLiteral("message of %1 bytes is too long").arg(length));
    if (buffer.size() < kHeaderBytes + qsizetype(length))
        return Decode::NeedMore;
    if (buffer.size() > kHeaderBytes + qsizetype(length))
        return invalid(why, QStringLiteral("bytes after the message"));
    const QByteArray payload = buffer.mid(kHeaderBytes);
    at = 0;
    quint32 count = 0;
    if (!readU32(payload, &at, &count))
        return invalid(why, QStringLiteral("no path count"));
    if (count > quint32(kMaxPaths))
        return invalid(why, QStringLiteral("%1 paths are too many").arg(count));
    QStringList out;
    for (quint32 i = 0; i < count; ++i) {
        quint32 size = 0;
        if (!readU32(payload, &at, &size) || size == 0 || size > quint32(payload.size() - at))
            return invalid(why, QStringLiteral("path %1 is cut or empty").arg(i));
        // Paths are the file system's bytes: a name that is not UTF-8 names its own file.
        const QByteArray bytes(payload.constData() + at, size);
        if (bytes.contains('\0'))
            return invalid(why, QStringLiteral("path %1 holds a NUL byte").arg(i));
        // Absolute by its first byte: Qt would take ":name" for a resource and call it absolute.
        if (bytes.front() != '/')
            return invalid(why, QStringLiteral("path %1 is not absolute").arg(i));
        out.append(LocalPath_FromBytes(bytes));
        at += size;
    }
    if (at != payload.size())
        return invalid(why, QStringLiteral("bytes after the last path"));
    if (paths)
        *paths = out;
    return Decode::Complete;
}

QString serverNameFor(const QString &supportFolder)
{
    // Never a shared folder: a process of another user listening there would be handed the
    // paths this user opens. The session's runtime folder when it is this user's own; without
    // one (or with another user's, which anyone can make first in the temporary folder) a folder
    // of the support folder, where no other user can make anything.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(u'/')) {
        const QString name = serverNameIn(runtime, supportFolder);
        if (!name.isEmpty())
            return name;
    }
    const QString own = supportFolder + QStringLiteral("/run");
    if (supportFolder.isEmpty() || !platform::MakePrivateFolder(own))
        return {};
    return serverNameIn(own, supportFolder);
}

QString serverNameIn(const QString &runtimeFolder, const QString &supportFolder)
{
    if (!platform::IsPrivateFolder(runtimeFolder))
        return {};
    const QByteArray hash =
        QCryptographicHash::hash(supportFolder.toUtf8(), QCryptographicHash::Sha256).toHex();
    const QString name = QStringLiteral("/pelkomerge-") + QString::fromLatin1(hash.left(16));
    // The lock file beside it is longer still, but a plain file has no such limit.
    if (LocalPath_ToBytes(runtimeFolder + name).size() <= kMaxSocketPath)
        return runtimeFolder + name;
    const QString held = heldFolderPath(runtimeFolder);
    return held.isEmpty() ? QString() : held + name;
}

bool peerIsThisUser(qintptr socketDescriptor)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    if (socketDescriptor < 0 ||
        ::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
        size != sizeof peer)
        return false;
    return peer.uid == ::geteuid();
}

} // namespace handover

HandOverServer::HandOverServer(QObject *parent) : QObject(parent)
{}

HandOverServer::~HandOverServer()
{
    if (mServer)
        mServer->close();
}

bool HandOverServer::sendPaths(const QString &name, const QStringList &paths, bool *serverFound)
{
    if (serverFound)
        *serverFound = false;
    QDeadlineTimer deadline(handover::kAcknowledgementWaitMs);
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    if (serverFound)
        *serverFound = true;
    if (!handover::peerIsThisUser(socket.socketDescriptor())) {
        platform::Log(lcShell,
                      QStringLiteral("The hand-over socket %1 is served by a process of another "
                                     "user; nothing sent")
                          .arg(name));
        socket.abort();
        return false;
    }
    socket.write(handover::encodeMessage(paths));
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    while (!deadline.hasExpired()) {
        if (socket.bytesAvailable() > 0 || socket.waitForReadyRead(int(deadline.remainingTime()))) {
            char answer = 0;
            return socket.read(&answer, 1) == 1 && answer == handover::kAcknowledgement;
        }
        if (socket.state() != QLocalSocket::ConnectedState)
            break;
    }
    return false;
}

HandOverServer::Start HandOverServer::handOverOrListen(const QString &name,
                                                       const QStringList &paths)
{
    if (name.isEmpty()) {
        platform::Log(lcShell,
                      QStringLiteral("No folder private to this user for the hand-over socket; "
                                     "running without hand-over"));
        return Start::Alone;
    }
    // Two starts at the same moment: one listens, the other hands over.
    QLockFile lock(name + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    const bool locked = lock.tryLock(handover::kAcknowledgementWaitMs);
    bool serverFound = false;
    if (sendPaths(name, paths, &serverFound))
        return Start::HandedOver;
    if (serverFound || !locked) {
        platform::Log(lcShell,
                      QStringLiteral("The running Pelko Merge did not answer; running on its own"));
        return Start::Alone;
    }
    return listen(name) ? Start::Listening : Start::Alone;
}

bool HandOverServer::listen(const QString &name)
{
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a process that ended without closing it.
    QLocalServer::removeServer(name);
    if (!server->listen(name)) {
        platform::LogWarning(
            lcShell,
            QStringLiteral("Cannot take paths from other starts: %1").arg(server->errorString()));
        delete server;
        return false;
    }
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket *socket = server->nextPendingConnection())
            takeConnection(socket);
    });
    mServer = server;
    return true;
}

bool HandOverServer::isListening() const
{
    return mServer && mServer->isListening();
}

void HandOverServer::takeConnection(QLocalSocket *socket)
{
    socket->setParent(this);
    ++mTaken;
    QString refused;
    if (!handover::peerIsThisUser(socket->socketDescriptor()))
        refused = QStringLiteral("the sender runs as another user");
    else if (mConnections >= handover::kMaxConnections)
        refused = QStringLiteral("%1 connections are being served").arg(mConnections);
    if (!refused.isEmpty()) {
        platform::Log(lcShell, QStringLiteral("Refused a hand-over connection: %1").arg(refused));
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++mConnections;
    connect(socket, &QObject::destroyed, this, [this] {
        // What the connections held goes back to the system once none is left.
        if (--mConnections == 0)
            ::malloc_trim(0);
    });
    socket->setReadBufferSize(handover::kMaxPayloadBytes + 64);
    // One deadline for the whole message: bytes trickled in keep no connection open.
    auto *deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    deadline->setInterval(mDeadlineMs);
    auto buffer = std::make_shared<QByteArray>();
    auto release = [buffer] {
        buffer->clear();
        buffer->squeeze();
    };
    auto drop = [socket, release](const QString &why) {
        platform::LogWarning(lcShell, QStringLiteral("Dropped a hand-over message: %1").arg(why));
        release();
        socket->abort();
        socket->deleteLater();
    };
    connect(deadline, &QTimer::timeout, socket,
            [drop] { drop(QStringLiteral("the message did not arrive in time")); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, socket,
            [this, socket, deadline, buffer, drop, release] {
                if (socket->property("pelkoDone").toBool()) {
                    socket->readAll();
                    return;
                }
                *buffer += socket->readAll();
                QStringList paths;
                QString why;
                switch (handover::decodeMessage(*buffer, &paths, &why)) {
                case handover::Decode::NeedMore:
                    return;
                case handover::Decode::Invalid:
                    deadline->stop();
                    drop(why);
                    return;
                case handover::Decode::Complete:
                    deadline->stop();
                    release();
                    socket->setProperty("pelkoDone", true);
                    socket->write(&handover::kAcknowledgement, 1);
                    socket->flush();
                    socket->disconnectFromServer();
                    emit pathsReceived(paths);
                    return;
                }
            });
    deadline->start();
}
