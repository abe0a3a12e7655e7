#include "textcompare/MergeWindow.h"

QList<QPointer<MergeWindow>> gOpenCompareWindowList(kOpenCompareWindowSlots);

MergeWindow::MergeWindow(const QString &windowNibName, QObject *parent)
    : platform::WindowController(windowNibName, parent)
{}

MergeWindow::~MergeWindow()
{
    OpenCompareWindowList_Remove(this);
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
