#include "textcompare/MergeWindow.h"

#include "platform/Guard.h"
#include "platform/Dispatch.h"

#include <QEvent>

QList<QPointer<MergeWindow>> gOpenCompareWindowList(kOpenCompareWindowSlots);

MergeWindow::MergeWindow(const QString &windowNibName, QObject *parent)
    : platform::WindowController(windowNibName, parent)
{}

MergeWindow::~MergeWindow()
{
    OpenCompareWindowList_Remove(this);
}

bool MergeWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (isWindowLoaded() && watched == window()) {
        if (event->type() == QEvent::Close && !mIsClosing) {
            bool allowed = true;
            GUARD_BEGIN
            allowed = windowShouldClose();
            GUARD_END_VOID
            if (!allowed) {
                event->ignore();
                return true;
            }
        } else if (event->type() == QEvent::WindowActivate) {
            platform::performAfterDelay(
                this, 0, [this] { windowWillBeKey(); }, QStringLiteral("windowWillBeKey"));
        }
    }
    return platform::WindowController::eventFilter(watched, event);
}

int OpenCompareWindowList_Add(MergeWindow *window)
{
    if (!window)
        return -1;
    if (gOpenCompareWindowList.size() < kOpenCompareWindowSlots)
        gOpenCompareWindowList.resize(kOpenCompareWindowSlots);
    for (int i = 0; i < gOpenCompareWindowList.size(); ++i) {
        if (gOpenCompareWindowList[i].isNull()) {
            gOpenCompareWindowList[i] = window;
            return i;
        }
    }
    gOpenCompareWindowList.append(window);
    return int(gOpenCompareWindowList.size() - 1);
}

bool OpenCompareWindowList_Remove(MergeWindow *window)
{
    if (!window)
        return false;
    for (auto &slot : gOpenCompareWindowList) {
        if (slot.data() == window) {
            slot.clear();
            return true;
        }
    }
    return false;
}

void OpenCompareWindowList_Reset()
{
    gOpenCompareWindowList.clear();
    gOpenCompareWindowList.resize(kOpenCompareWindowSlots);
}
