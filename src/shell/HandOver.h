#pragma once
// One process per user and support folder: a second start hands its paths to the running
// process over a local socket and ends. Messages are framed and bounded; anything else is dropped
// and logged, and a client that does not complete its message in time is cut off. The socket
// lives only in a folder private to this user, and both ends talk only to a peer of this user.
//
// Frame: "PKHO", payload length (32-bit big-endian), payload. Payload: the number of paths, then
// for each its UTF-8 length and bytes (lengths 32-bit big-endian). No paths asks for a start
// window. The server answers one byte, kAcknowledgement, once it has taken the paths.

#include <QObject>
#include <QPointer>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace handover {

inline constexpr int kMaxPaths = 1000;
inline constexpr qint64 kMaxPayloadBytes = 1024 * 1024;
// The whole message must arrive within this time, however it is trickled.
inline constexpr int kMessageDeadlineMs = 2000;
// Connections served at once; more are closed at once.
inline constexpr int kMaxConnections = 8;
inline constexpr int kAcknowledgementWaitMs = 3000;
inline constexpr char kAcknowledgement = '\x06';

QByteArray encodeMessage(const QStringList &paths);

enum class Decode { NeedMore, Complete, Invalid };
// Reads one message from the start of the buffer. Complete only when the buffer holds exactly one
// message of absolute paths within the limits; *why says what was wrong with an invalid one.
Decode decodeMessage(const QByteArray &buffer, QStringList *paths, QString *why);

// The socket that belongs to this support folder, so that processes with other homes or support
// folders never meet: in the runtime folder (XDG_RUNTIME_DIR) when that is private to this user
// (owned by the user, 0700), else in the support folder's own "run" folder, made private. Null
// only when neither can be had: then there is no hand-over. A folder whose path leaves no room
// for the name in a socket address (a long home) is held open for the process's life and the
// name spelled through its descriptor ("/proc/self/fd/N/..."), which every process of the user
// resolves to the same socket.
QString serverNameFor(const QString &supportFolder);
// The same inside a given runtime folder (null when it is not private to this user).
QString serverNameIn(const QString &runtimeFolder, const QString &supportFolder);

// True when the peer of the connected local socket runs as this process's user.
bool peerIsThisUser(qintptr socketDescriptor);

} // namespace handover

class HandOverServer : public QObject
{
    Q_OBJECT
public:
    explicit HandOverServer(QObject *parent = nullptr);
    ~HandOverServer() override;

    enum class Start { HandedOver, Listening, Alone };
    // Hands the paths to a process already serving `name` (HandedOver), else removes a stale
    // socket and serves `name` itself (Listening). Alone when neither worked: a process that
    // answers too slowly keeps its socket, and this one runs on its own.
    Start handOverOrListen(const QString &name, const QStringList &paths);

    // Sends the paths and waits for the acknowledgement. *serverFound is false when nobody
    // listens on the socket.
    static bool sendPaths(const QString &name, const QStringList &paths, bool *serverFound);
    bool listen(const QString &name);
    bool isListening() const;
    // Connections being read now, and taken (served or refused) since the server began.
    int connectionsServed() const { return mConnections; }
    qint64 connectionsTaken() const { return mTaken; }
    // The time a client has for its whole message (tests shorten it).
    void setMessageDeadline(int ms) { mDeadlineMs = ms; }

signals:
    // Paths from another start (empty: it asked for a start window).
    void pathsReceived(const QStringList &paths);

private:
    void takeConnection(QLocalSocket *socket);

    QPointer<QLocalServer> mServer;
    int mConnections = 0;
    qint64 mTaken = 0;
    int mDeadlineMs = handover::kMessageDeadlineMs;
};
