#pragma once
#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

class QImage;

// Shared helpers of the tests: the run's temporary home and small file utilities.
namespace pelkotest {

void setTestHome(const QString &path);
// The temporary home of this test run (deleted when the run ends).
QString testHome();
// A fresh, empty folder inside the test home, unique to each call.
QString freshDir(const QString &hint = QStringLiteral("dir"));
// Writes bytes to a file, creating folders; answers false on failure.
bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);
// Source folder of the project (for test data shipped in the repository).
QString sourceDir();
// Build folder (for the bundle folder "Resources" and built tools).
QString binaryDir();
// The built application, and an environment that runs it offscreen with its own home, data
// folder (home/data), config folder (home/config) and runtime folder (home/run); its help
// alerts are turned off there.
QString applicationPath();
// Where a screenshot test writes a picture: "screenshots" in the build folder (made when
// missing), then the name.
QString screenshotPath(const QString &name);
// How many colours a picture shows, counted on every step-th pixel of every step-th row.
int distinctColours(const QImage &image, int step = 2);
QProcessEnvironment applicationEnvironment(const QString &home);
// Delivers every event posted so far and every one those post in their turn (layouts, resizes,
// repaints, queued signals, deferred deletes), until none is left; timers are not waited for.
// False when events kept coming for 20 s.
bool deliverPostedEvents();

} // namespace pelkotest
