// Paths handed from a second start to the running process: the frame, its bounds, and a server
// that survives garbage, cuts silent clients off and replaces a stale socket.
#include "shell/CommandLine.h"
#include "shell/HandOver.h"
#include "platform/PrivateFiles.h"
#include "platform/LocalPath.h"
#include "support/OtherUser.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTimer>
#include <QTest>
#include <QtEndian>
#include <cstring>
#include <optional>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QByteArray frame(const QByteArray &payload)
{
    QByteArray out("PKHO");
    char length[4];
    qToBigEndian(quint32(payload.size()), length);
    return out + QByteArray(length, 4) + payload;
}

QByteArray u32(quint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    return QByteArray(b, 4);
}

TEST(HandOverMessage, DecodesOnlyWellFormedMessagesWithinTheLimits)
{
    const QStringList two{QStringLiteral("/tmp/a b.txt"), QStringLiteral("/tmp/\u00e9t\u00e9/c")};
    QStringList many;
    for (int i = 0; i < handover::kMaxPaths; ++i)
        many << QStringLiteral("/p%1").arg(i);
    struct Row
    {
        const char *name;
        QByteArray bytes;
        handover::Decode expected;
    };
    const QByteArray good = handover::encodeMessage(two);
    const Row rows[] = {
        {"two paths", good, handover::Decode::Complete},
        {"no paths", handover::encodeMessage({}), handover::Decode::Complete},
        {"1,000 paths", handover::encodeMessage(many), handover::Decode::Complete},
        {"1,001 paths", handover::encodeMessage(many + QStringList{QStringLiteral("/x")}),
         handover::Decode::Invalid},
        {"half a message", good.left(good.size() - 3), handover::Decode::NeedMore},
        {"only the magic", QByteArray("PKH"), handover::Decode::NeedMore},
        {"garbage", QByteArray("GET / HTTP/1.0\r\n\r\n"), handover::Decode::Invalid},
        {"bytes after the message", good + "x", handover::Decode::Invalid},
        {"a payload over 1 MiB", frame(QByteArray(1024 * 1024 + 1, 'a')),
         handover::Decode::Invalid},
        {"a length past the payload", frame(u32(1) + u32(50) + "/short"),
         handover::Decode::Invalid},
        {"an empty path", frame(u32(1) + u32(0)), handover::Decode::Invalid},
        {"a relative path", handover::encodeMessage({QStringLiteral("a.txt")}),
         handover::Decode::Invalid},
        {"a relative path Qt takes for a resource", frame(u32(1) + u32(10) + ":left.txt"),
         handover::Decode::Invalid},
        {"bytes that are not UTF-8", frame(u32(1) + u32(3) + "/\xff\xfe"),
         handover::Decode::Complete},
        {"a byte-order mark before the slash", frame(u32(1) + u32(5) + "\xef\xbb\xbf/a"),
         handover::Decode::Invalid},
        {"a NUL inside a path", frame(u32(1) + u32(3) + QByteArray("/a\0", 3)),
         handover::Decode::Invalid},
        {"a count with no paths", frame(u32(2)), handover::Decode::Invalid},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QStringList paths;
        QString why;
        EXPECT_EQ(handover::decodeMessage(row.bytes, &paths, &why), row.expected);
        if (row.expected == handover::Decode::Invalid) {
            EXPECT_FALSE(why.isEmpty());
        }
    }
    QStringList back;
    ASSERT_EQ(handover::decodeMessage(good, &back, nullptr), handover::Decode::Complete);
    EXPECT_EQ(back, two);

    // Names of Latin-1 or Shift_JIS times arrive as the very bytes they were given as.
    const QList<QByteArray> names{"/tmp/top\xe9L", "/tmp/\x83\x65\x83\x4c/x", "/tmp/\xff/\xc3"};
    QStringList native;
    for (const QByteArray &name : names)
        native << LocalPath_FromBytes(name);
    ASSERT_EQ(handover::decodeMessage(handover::encodeMessage(native), &back, nullptr),
              handover::Decode::Complete);
    ASSERT_EQ(back.size(), names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        EXPECT_EQ(LocalPath_ToBytes(back[i]), names[i]);
}

TEST(HandOverMessage, SocketNamesDependOnTheSupportFolder)
{
    const QString a = handover::serverNameFor(QStringLiteral("/home/a/.local/share/pelkomerge"));
    const QString b = handover::serverNameFor(QStringLiteral("/home/b/.local/share/pelkomerge"));
    EXPECT_NE(a, b);
    EXPECT_EQ(a, handover::serverNameFor(QStringLiteral("/home/a/.local/share/pelkomerge")));
    // Unix socket paths are short.
    EXPECT_LT(a.toUtf8().size(), 100);
}

TEST(HandOverMessage, TheSocketLivesOnlyInAFolderPrivateToThisUser)
{
    const QString support = QStringLiteral("/home/a/.local/share/pelkomerge");
    const QString base = pelkotest::freshDir(QStringLiteral("runtime"));
    const QString shared = base + QStringLiteral("/shared");
    const QString owned = base + QStringLiteral("/owned");
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_TRUE(QDir().mkpath(owned));
    ::chmod(QFile::encodeName(shared).constData(), 01777);
    ::chmod(QFile::encodeName(owned).constData(), 0700);
    ASSERT_TRUE(QFile::link(owned, base + QStringLiteral("/link")));
    struct Row
    {
        const char *name;
        QString folder;
        bool socket;
    };
    const Row rows[] = {
        {"a shared temporary folder", shared, false},
        {"a private folder", owned, true},
        {"a link to a private folder", base + QStringLiteral("/link"), false},
        {"no folder", QString(), false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(!handover::serverNameIn(row.folder, support).isEmpty(), row.socket);
    }
    // Without a place, a start runs on its own: it neither sends nor listens.
    HandOverServer server;
    EXPECT_EQ(server.handOverOrListen(QString(), {QStringLiteral("/a")}),
              HandOverServer::Start::Alone);
    EXPECT_FALSE(server.isListening());
}

TEST(HandOverMessage, WithoutAPrivateRuntimeFolderTheSocketLivesInTheSupportFolder)
{
    // Without a runtime folder of its own, the socket goes to a private folder of the support
    // folder: a folder that another user made first in a shared place never switches the
    // hand-over off.
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const QString base = pelkotest::freshDir(QStringLiteral("noruntime"));
    const QString support = base + QStringLiteral("/data/pelkomerge");
    const QString shared = base + QStringLiteral("/shared");
    const QString others = base + QStringLiteral("/others");
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_TRUE(QDir().mkpath(others));
    ::chmod(QFile::encodeName(shared).constData(), 01777);
    ::chmod(QFile::encodeName(others).constData(), 0700);
    const bool othersIsAnotherUsers =
        ::chown(QFile::encodeName(others).constData(), pelkotest::kOrdinaryUid,
                pelkotest::kOrdinaryGid) == 0;
    struct Row
    {
        const char *name;
        std::optional<QString> runtime;
    };
    const Row rows[] = {
        {"no runtime folder", std::nullopt},       {"an empty setting", QString()},
        {"a relative one", QStringLiteral("run")}, {"a shared temporary folder", shared},
        {"another user's folder", others},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.runtime == others && !othersIsAnotherUsers)
            continue;
        if (row.runtime)
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(*row.runtime));
        else
            qunsetenv("XDG_RUNTIME_DIR");
        const QString name = handover::serverNameFor(support);
        EXPECT_EQ(QFileInfo(name).path(), support + QStringLiteral("/run"));
        EXPECT_TRUE(platform::IsPrivateFolder(support + QStringLiteral("/run")));
        EXPECT_LT(name.toUtf8().size(), 100);
    }
    qputenv("XDG_RUNTIME_DIR", saved);
    // A support folder whose "run" is taken by something else has no hand-over.
    const QString blocked = base + QStringLiteral("/blocked");
    ASSERT_TRUE(pelkotest::writeFile(blocked + QStringLiteral("/run"), "x"));
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_TRUE(handover::serverNameFor(blocked).isEmpty());
    qputenv("XDG_RUNTIME_DIR", saved);
}

class HandOverServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        name = handover::serverNameFor(pelkotest::freshDir(QStringLiteral("support")));
        QObject::connect(&server, &HandOverServer::pathsReceived,
                         [this](const QStringList &p) { received << p; });
    }
    // Sends from a worker-free client: the server answers from this thread's event loop.
    bool sendAsync(const QStringList &paths)
    {
        QLocalSocket client;
        client.connectToServer(name);
        if (!client.waitForConnected(3000))
            return false;
        client.write(handover::encodeMessage(paths));
        client.flush();
        return QTest::qWaitFor(
            [&] {
                return client.bytesAvailable() > 0 &&
                       client.peek(1) == QByteArray(1, handover::kAcknowledgement);
            },
            3000);
    }

    QString name;
    HandOverServer server;
    QList<QStringList> received;
};

TEST_F(HandOverServerTest, GarbageAndSilentClientsAreDroppedAndTheServerGoesOn)
{
    ASSERT_TRUE(server.listen(name));
    {
        QLocalSocket garbage;
        garbage.connectToServer(name);
        ASSERT_TRUE(garbage.waitForConnected(3000));
        garbage.write("this is not a message at all");
        garbage.flush();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return garbage.state() == QLocalSocket::UnconnectedState; }, 3000));
    }
    {
        // A sender that does not finish its message in 2 s is cut off.
        QLocalSocket silent;
        silent.connectToServer(name);
        ASSERT_TRUE(silent.waitForConnected(3000));
        silent.write("PKHO");
        silent.flush();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return silent.state() == QLocalSocket::UnconnectedState; }, 4000));
    }
    EXPECT_TRUE(received.isEmpty());
    EXPECT_TRUE(server.isListening());
    const QStringList paths{QStringLiteral("/x/c.txt"), QStringLiteral("/x/d.txt")};
    ASSERT_TRUE(sendAsync(paths));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 20000));
    EXPECT_EQ(received, QList<QStringList>{paths});
}

// A home deep enough that the socket's path does not fit a socket address (108 bytes): the
// hand-over still works, through the folder held open.
TEST_F(HandOverServerTest, ASupportFolderTooDeepForASocketAddressStillHandsOver)
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const QString support = pelkotest::freshDir(QStringLiteral("deep")) + u'/' + QString(60, u'h') +
                            QStringLiteral("/.local/share/pelkomerge");
    ASSERT_TRUE(QDir().mkpath(support));
    name = handover::serverNameFor(support);
    qputenv("XDG_RUNTIME_DIR", saved);
    ASSERT_FALSE(name.isEmpty());
    ASSERT_GT(
        LocalPath_ToBytes(support + QStringLiteral("/run/pelkomerge-0123456789abcdef")).size(),
        107);
    EXPECT_LT(LocalPath_ToBytes(name).size(), 108);
    EXPECT_EQ(server.handOverOrListen(name, {}), HandOverServer::Start::Listening);
    ASSERT_TRUE(server.isListening());
    // The socket is where the support folder's own path says.
    const QStringList sockets =
        QDir(support + QStringLiteral("/run"))
            .entryList({QStringLiteral("pelkomerge-*")}, QDir::System | QDir::Files);
    EXPECT_TRUE(sockets.contains(QFileInfo(name).fileName())) << sockets.join(u' ').toStdString();
    const QStringList paths{QStringLiteral("/x/deep.txt")};
    ASSERT_TRUE(sendAsync(paths));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 20000));
    EXPECT_EQ(received, QList<QStringList>{paths});
}

TEST_F(HandOverServerTest, ATrickledMessageIsCutOffAtItsDeadline)
{
    // Each byte comes well within any silence limit; the whole takes far longer than allowed.
    server.setMessageDeadline(300);
    ASSERT_TRUE(server.listen(name));
    const QByteArray message = handover::encodeMessage({QStringLiteral("/trickled/path.txt")});
    QLocalSocket client;
    client.connectToServer(name);
    ASSERT_TRUE(client.waitForConnected(3000));
    qsizetype sent = 0;
    QTimer trickle;
    QObject::connect(&trickle, &QTimer::timeout, [&] {
        if (sent < message.size() && client.state() == QLocalSocket::ConnectedState) {
            client.write(message.mid(sent++, 1));
            client.flush();
        }
    });
    trickle.start(100);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return client.state() == QLocalSocket::UnconnectedState || sent == message.size(); },
        60000));
    trickle.stop();
    EXPECT_LT(sent, message.size());
    EXPECT_EQ(client.state(), QLocalSocket::UnconnectedState);
    // The server has let the connection go: nothing of it can arrive any more.
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.connectionsServed() == 0; }, 20000));
    EXPECT_TRUE(received.isEmpty());
}

TEST_F(HandOverServerTest, ConnectionsBeyondTheCapAreClosedAndEndedOnesLetGo)
{
    server.setMessageDeadline(600000);
    ASSERT_TRUE(server.listen(name));
    std::vector<std::unique_ptr<QLocalSocket>> held;
    for (int i = 0; i < handover::kMaxConnections; ++i) {
        held.push_back(std::make_unique<QLocalSocket>());
        held.back()->connectToServer(name);
        ASSERT_TRUE(held.back()->waitForConnected(3000));
        // A frame announcing a long message, which never comes.
        held.back()->write(QByteArray("PKHO") + u32(1000));
        held.back()->flush();
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return server.connectionsServed() == handover::kMaxConnections; }, 10000));
    QLocalSocket extra;
    extra.connectToServer(name);
    ASSERT_TRUE(extra.waitForConnected(3000));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return extra.state() == QLocalSocket::UnconnectedState; }, 10000));
    EXPECT_EQ(server.connectionsServed(), handover::kMaxConnections);
    for (auto &socket : held)
        socket->abort();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.connectionsServed() == 0; }, 10000));
    // The server goes on serving.
    const QStringList paths{QStringLiteral("/after/the/flood.txt")};
    ASSERT_TRUE(sendAsync(paths));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 20000));
    EXPECT_EQ(received, QList<QStringList>{paths});
}

// A small program of the other user: a client that sends a message and prints whether it was
// acknowledged, or a server that acknowledges and prints how many bytes it was sent.
const char *const kPeerScript = R"(
import socket, sys
mode, path = sys.argv[1], sys.argv[2]
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.settimeout(20)
if mode == "client":
    s.connect(path)
    try:
        # A server that refuses at once may close before all is sent.
        s.sendall(bytes.fromhex(sys.argv[3]))
        answer = s.recv(1)
    except OSError:
        answer = b""
    print("ACK" if answer == b"" else "NONE", flush=True)
else:
    s.bind(path)
    s.listen(1)
    print("LISTENING", flush=True)
    c, _ = s.accept()
    c.settimeout(5)
    got = b""
    try:
        while True:
            chunk = c.recv(65536)
            if not chunk:
                break
            got += chunk
            if len(got) >= 8 and len(got) >= 8 + int.from_bytes(got[4:8], "big"):
                c.sendall(b"")
                break
    except OSError:
        pass
    print("GOT", len(got), flush=True)
)";

TEST_F(HandOverServerTest, APeerOfAnotherUserIsIgnoredOnBothEnds)
{
    // The system's own: one under root's home would not run for the other user.
    const QString python = QStandardPaths::findExecutable(
        QStringLiteral("python3"), {QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    if (!pelkotest::canSwitchToOrdinaryUser() || python.isEmpty())
        GTEST_SKIP() << "needs root, setpriv and python3 to run a process of another user";
    const QStringList paths{QStringLiteral("/home/victim/private.txt")};
    auto runPeer = [&](QProcess *process, const QStringList &args) {
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(
            pelkotest::setprivPath(),
            pelkotest::ordinaryUserArguments(
                python, QStringList{QStringLiteral("-c"), QString::fromUtf8(kPeerScript)} + args));
    };
    {
        // Another user's client reaching this user's server (a socket others may enter).
        const QString folder = pelkotest::folderForOrdinaryUser(false);
        const QString socketPath = folder + QStringLiteral("/server");
        ASSERT_TRUE(server.listen(socketPath));
        ::chmod(QFile::encodeName(socketPath).constData(), 0777);
        QProcess client;
        runPeer(&client, {QStringLiteral("client"), socketPath,
                          QString::fromLatin1(handover::encodeMessage(paths).toHex())});
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return client.state() == QProcess::NotRunning; }, 120000));
        const QByteArray output = client.readAll();
        EXPECT_TRUE(output.contains("NONE")) << output.constData();
        EXPECT_TRUE(received.isEmpty());
        platform::RemoveTreeNoFollow(folder);
    }
    {
        // Another user's server where this user's client looks for one.
        const QString folder = pelkotest::folderForOrdinaryUser(true);
        const QString socketPath = folder + QStringLiteral("/server");
        QProcess peer;
        runPeer(&peer, {QStringLiteral("server"), socketPath});
        // Listening, not only bound: a connection between the two would be refused by the
        // system, and the peer would wait for nobody.
        QByteArray output;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                output += peer.readAll();
                return output.contains("LISTENING") || peer.state() == QProcess::NotRunning;
            },
            120000));
        bool found = false;
        EXPECT_FALSE(HandOverServer::sendPaths(socketPath, paths, &found));
        ASSERT_TRUE(QTest::qWaitFor([&] { return peer.state() == QProcess::NotRunning; }, 120000));
        output += peer.readAll();
        EXPECT_TRUE(output.contains("GOT 0")) << output.constData();
        platform::RemoveTreeNoFollow(folder);
    }
}

TEST_F(HandOverServerTest, AStaleSocketIsReplacedAndNobodyListeningMeansRunningAlone)
{
    {
        // A socket file left behind by a process that ended: bound, never listened on or removed.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(name);
        ASSERT_LT(size_t(path.size()), sizeof address.sun_path);
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(fd);
        ASSERT_TRUE(QFileInfo::exists(name));
    }
    bool found = true;
    EXPECT_FALSE(HandOverServer::sendPaths(name, {QStringLiteral("/a")}, &found));
    EXPECT_FALSE(found);
    EXPECT_EQ(server.handOverOrListen(name, {}), HandOverServer::Start::Listening);
    EXPECT_TRUE(server.isListening());
}

TEST(CommandLineArguments, OptionsPathsAndUsageErrors)
{
    const QString home = QStringLiteral("/home/user/dir");
    struct Row
    {
        const char *name;
        QStringList args;
        LaunchRequest::Kind kind;
        QStringList paths;
        QString folder = QStringLiteral("/home/user/dir");
        const char *error = nullptr; // a word of the usage error
    };
    const Row rows[] = {
        {"nothing", {}, LaunchRequest::Run, {}},
        {"version", {QStringLiteral("--version")}, LaunchRequest::ShowVersion, {}},
        {"help", {QStringLiteral("-h")}, LaunchRequest::ShowHelp, {}},
        {"unknown option",
         {QStringLiteral("--frobnicate")},
         LaunchRequest::UsageError,
         {},
         home,
         "frobnicate"},
        {"relative and absolute paths",
         {QStringLiteral("a.txt"), QStringLiteral("/x/b.txt"), QStringLiteral("../c")},
         LaunchRequest::Run,
         {QStringLiteral("/home/user/dir/a.txt"), QStringLiteral("/x/b.txt"),
          QStringLiteral("/home/user/dir/../c")}},
        {"a path that looks like an option after --",
         {QStringLiteral("--"), QStringLiteral("-v")},
         LaunchRequest::Run,
         {QStringLiteral("/home/user/dir/-v")}},
        // Qt's path helpers take these for resources, which they call absolute.
        {"names that begin with a colon",
         {QStringLiteral(":left.txt"), QStringLiteral(":/right.txt")},
         LaunchRequest::Run,
         {QStringLiteral("/home/user/dir/:left.txt"),
          QStringLiteral("/home/user/dir/:/right.txt")}},
        {"the root as the working folder",
         {QStringLiteral("a")},
         LaunchRequest::Run,
         {QStringLiteral("/a")},
         QStringLiteral("/")},
        {"a working folder that is not UTF-8",
         {QStringLiteral("a.txt")},
         LaunchRequest::Run,
         {LocalPath_FromBytes("/home/caf\xe9/a.txt")},
         LocalPath_FromBytes("/home/caf\xe9")},
        {"an empty path (an unset variable)",
         {QStringLiteral("/x/a.txt"), QString()},
         LaunchRequest::UsageError,
         {},
         home,
         "empty"},
        {"a relative path without a working folder",
         {QStringLiteral("a.txt")},
         LaunchRequest::UsageError,
         {},
         QString(),
         "working folder"},
        {"an absolute path without a working folder",
         {QStringLiteral("/x/a.txt")},
         LaunchRequest::Run,
         {QStringLiteral("/x/a.txt")},
         QString()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const LaunchRequest r =
            ParseCommandLine(QStringList{QStringLiteral("pelkomerge")} + row.args, row.folder);
        EXPECT_EQ(r.kind, row.kind);
        EXPECT_EQ(r.paths, row.paths);
        if (r.kind == LaunchRequest::UsageError) {
            EXPECT_TRUE(r.errorText.contains(QLatin1String(row.error)))
                << r.errorText.toStdString();
        }
    }
}

// The working folder is taken by its bytes: a name that is not UTF-8 is the folder itself.
TEST(CommandLineArguments, TheWorkingFolderIsTakenByItsBytes)
{
    const QByteArray folder =
        QFile::encodeName(pelkotest::freshDir(QStringLiteral("cwd"))) + "/caf\xe9";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QString saved = CurrentFolderPath();
    ASSERT_FALSE(saved.isEmpty());
    ASSERT_EQ(::chdir(folder.constData()), 0);
    const QString here = CurrentFolderPath();
    ASSERT_EQ(::chdir(LocalPath_ToBytes(saved).constData()), 0);
    // The kernel names it without the links the test's own folder may be reached through.
    EXPECT_EQ(here, LocalPath_Canonical(LocalPath_FromBytes(folder)));
    EXPECT_TRUE(LocalPath_ToBytes(here).endsWith("/caf\xe9"));
}

} // namespace
