#include "textcompare/OpenTextCompareWindow.h"

#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "services/AppSetting.h"
#include "textcompare/MergeEditWndCtr.h"

#include <QPointer>

MergeEditWndCtr *OpenTextCompareWindowController(const QString &left, const QString &right)
{
    GUARD_BEGIN
    auto *controller = new MergeEditWndCtr(QStringLiteral("MergeEditWndCtr"));
    if (!controller->window()) {
        delete controller;
        return nullptr;
    }
    controller->setMFile1(left);
    controller->setMFile2(right);
    controller->setPreferEncoding1(platform::StringEncoding(gAppSetting.open_preferEncode));
    controller->setPreferEncoding2(platform::StringEncoding(gAppSetting.open_preferEncode));
    controller->setShouldCascadeWindows(true);
    controller->setShouldCloseDocument(true);
    controller->showWindow();
    QPointer<MergeEditWndCtr> guard(controller);
    platform::performAfterDelay(controller, 0.1, [guard] {
        if (guard)
            guard->windowWillBeKey();
    });
    return controller;
    GUARD_END(nullptr)
}

bool OpenTextCompareWindow(const QString &left, const QString &right)
{
    return OpenTextCompareWindowController(left, right) != nullptr;
}
