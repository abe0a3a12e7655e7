#include "shell/DesktopWindowFactory.h"

#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "shell/MergeImageWindCtr.h"
#include "shell/OpenImageCompareWindow.h"
#include "textcompare/MergeEditWndCtr.h"
#include "textcompare/OpenTextCompareWindow.h"

#include <QPointer>

platform::WindowController *DesktopWindowFactory::openTextWindow(const QString &left,
                                                                 const QString &right)
{
    return OpenTextCompareWindowController(left, right);
}

platform::WindowController *DesktopWindowFactory::openImageWindow(const QString &left,
                                                                  const QString &right)
{
    MergeImageWindCtr *controller = OpenImageCompareWindowController(left, right);
    if (!controller)
        return nullptr;
    // Its own becoming-key check runs once, as for a window the user brought forward.
    QPointer<MergeImageWindCtr> guard(controller);
    platform::performAfterDelay(controller, 0.1, [guard] {
        if (guard)
            guard->windowWillBeKey();
    });
    return controller;
}

platform::WindowController *DesktopWindowFactory::openBlankTextWindow()
{
    GUARD_BEGIN
    auto *controller = new MergeEditWndCtr(QStringLiteral("MergeEditWndCtr"));
    if (!controller->window()) {
        delete controller;
        return nullptr;
    }
    controller->setShouldCascadeWindows(true);
    controller->setShouldCloseDocument(true);
    controller->showWindow();
    return controller;
    GUARD_END(nullptr)
}
