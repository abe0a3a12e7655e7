#include "shell/ShellLog.h"

#include "platform/Document.h"
#include "platform/WindowController.h"

#include <QElapsedTimer>
#include <QWidget>

void shellLog(const QString &line)
{
    qCInfo(lcShell).noquote() << line;
}

QString windowKindName(const QWidget *window)
{
    if (!window)
        return {};
    for (platform::Document *d :
         platform::DocumentController::sharedDocumentController().documents())
        if (d->windowForSheet() == window)
            return QString::fromLatin1(d->metaObject()->className());
    if (auto *controller = platform::WindowController::controllerForWindow(window))
        return QString::fromLatin1(controller->metaObject()->className());
    return QString::fromLatin1(window->metaObject()->className());
}

qint64 millisecondsSinceLaunch()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

void logWindowShown(const QWidget *window)
{
    shellLog(QStringLiteral("Window shown: %1 at %2 ms")
                 .arg(windowKindName(window))
                 .arg(millisecondsSinceLaunch()));
}
