#include "shell/OpenImageCompareWindow.h"

#include "platform/Guard.h"
#include "shell/MergeImageWindCtr.h"

MergeImageWindCtr *OpenImageCompareWindowController(const QString &left, const QString &right)
{
    GUARD_BEGIN
    auto *controller = new MergeImageWindCtr();
    if (!controller->window()) {
        REPORT_FATAL();
        delete controller;
        return nullptr;
    }
    controller->setShouldCascadeWindows(true);
    controller->setShouldCloseDocument(true);
    controller->setMFile1(left);
    controller->setMFile2(right);
    controller->showWindow();
    return controller;
    GUARD_END(nullptr)
}
