// The server side of the hand-over reading a stream of arbitrary bytes from a client of this
// user that then goes away. Besides not crashing: at most one message is taken from a
// connection, it holds at most 1,000 absolute paths, and the connection is gone once its client
// is, with the server still listening.
#include "FuzzQuiet.h"
#include "shell/HandOver.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

// Larger streams would fill the socket while the server, on this thread, is not reading.
constexpr size_t kMaxStream = 64 * 1024;

struct Fixture
{
    QTemporaryDir folder; // 0700: private to this user
    HandOverServer server;
    QString name;
    int messages = 0;
    Fixture()
    {
        name = handover::serverNameIn(folder.path(), QStringLiteral("/fuzz/support"));
        if (name.isEmpty() || !server.listen(name))
            std::abort();
        QObject::connect(&server, &HandOverServer::pathsReceived, [this](const QStringList &p) {
            ++messages;
            if (p.size() > handover::kMaxPaths)
                std::abort();
            for (const QString &path : p)
                if (!QDir::isAbsolutePath(path))
                    std::abort();
        });
    }
};

void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "handoverserver_fuzz";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    ensureApplication();
    static Fixture fixture;
    if (size > kMaxStream)
        return 0;
    const qint64 takenBefore = fixture.server.connectionsTaken();
    const int messagesBefore = fixture.messages;
    {
        QLocalSocket client;
        client.connectToServer(fixture.name);
        if (!client.waitForConnected(5000))
            std::abort();
        // In up to three pieces, cut where the first byte says, as a client writes them.
        const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
        const qsizetype cut = size > 0 ? qsizetype(data[0]) % (bytes.size() + 1) : 0;
        for (const QByteArray &piece : {bytes.left(cut), bytes.mid(cut)}) {
            client.write(piece);
            client.flush();
            QCoreApplication::processEvents();
        }
        client.disconnectFromServer();
    }
    // The server must let the connection go once its client has gone.
    for (int turns = 0;
         fixture.server.connectionsTaken() == takenBefore || fixture.server.connectionsServed() > 0;
         ++turns) {
        if (turns > 100000)
            std::abort();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    if (fixture.messages - messagesBefore > 1 || !fixture.server.isListening())
        std::abort();
    return 0;
}
