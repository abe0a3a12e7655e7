#include "support/TestEnvironment.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QTest>
#include <climits>

namespace pelkotest {

namespace {
QString gHome;
QAtomicInt gCounter;
} // namespace

void setTestHome(const QString &path)
{
    gHome = path;
}

QString testHome()
{
    return gHome;
}

QString freshDir(const QString &hint)
{
    const QString path =
        QStringLiteral("%1/work/%2-%3").arg(gHome, hint).arg(gCounter.fetchAndAddOrdered(1));
    QDir().mkpath(path);
    return path;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QString sourceDir()
{
    return QStringLiteral(PELKO_SOURCE_DIR);
}
QString binaryDir()
{
    return QStringLiteral(PELKO_BINARY_DIR);
}

bool deliverPostedEvents()
{
    static const auto kMark = QEvent::Type(QEvent::registerEventType());
    // A mark posted behind everything waiting; delivered, it posts the next one behind whatever
    // came meanwhile. Two marks in a row with nothing delivered between them (timers aside) show
    // that nothing else was waiting.
    class Mark : public QObject
    {
    public:
        int others = 0;
        int quietRounds = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() != kMark && e->type() != QEvent::Timer)
                ++others;
            return false;
        }

    protected:
        bool event(QEvent *e) override
        {
            if (e->type() != kMark)
                return QObject::event(e);
            quietRounds = others == 0 ? quietRounds + 1 : 0;
            others = 0;
            if (quietRounds < 2)
                QCoreApplication::postEvent(this, new QEvent(kMark), INT_MIN);
            return true;
        }
    } mark;
    QCoreApplication::instance()->installEventFilter(&mark);
    QCoreApplication::postEvent(&mark, new QEvent(kMark), INT_MIN);
    const bool delivered = QTest::qWaitFor([&] { return mark.quietRounds >= 2; }, 20000);
    QCoreApplication::instance()->removeEventFilter(&mark);
    return delivered;
}

QString screenshotPath(const QString &name)
{
    const QString dir = binaryDir() + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name;
}

int distinctColours(const QImage &image, int step)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += step)
        for (int x = 0; x < image.width(); x += step)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

QString applicationPath()
{
    return binaryDir() + QStringLiteral("/pelkomerge");
}

QProcessEnvironment applicationEnvironment(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    // The runtime folder holds the socket that a second start hands its paths over; one per home,
    // private as the desktop makes it.
    const QString runtime = home + QStringLiteral("/run");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    // The started application shows no help alerts: they would wait for an answer.
    const QString helps = home + QStringLiteral("/data/pelkomerge/liveHelpSetting.plist");
    if (!QFileInfo::exists(helps)) {
        writeFile(helps, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<plist version=\"1.0\"><dict><key>hideall</key><true/></dict></plist>\n");
    }
    return env;
}

} // namespace pelkotest
