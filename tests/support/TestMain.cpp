// The one main of every test executable: an offscreen QApplication, QStandardPaths in test mode,
// and a temporary home (so also a support folder and a user-defaults file) for each run.
#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <cstdlib>

#include "support/TestEnvironment.h"

int main(int argc, char **argv)
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pelkotest-XXXXXX"));
    if (!home.isValid())
        return 3;
    const QByteArray h = home.path().toLocal8Bit();
    qputenv("HOME", h);
    qputenv("XDG_CONFIG_HOME", h + "/.config");
    qputenv("XDG_DATA_HOME", h + "/.local/share");
    qputenv("XDG_CACHE_HOME", h + "/.cache");
    qputenv("XDG_RUNTIME_DIR", h + "/.runtime");
    QDir().mkpath(home.path() + QStringLiteral("/.runtime"));
    QFile::setPermissions(home.path() + QStringLiteral("/.runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pelkomerge"));
    QApplication::setOrganizationName(QString());

    pelkotest::setTestHome(home.path());
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
