#pragma once
// The base of the text and image compare windows: what the application delegate and the folder
// window ask of any compare window, and the process-wide table of the open ones.

#include "platform/WindowController.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

class MergeWindow : public platform::WindowController
{
    Q_OBJECT
public:
    explicit MergeWindow(const QString &windowNibName, QObject *parent = nullptr);
    ~MergeWindow() override;

    virtual QString GetFile1() const { return {}; }
    virtual QString GetFile2() const { return {}; }
    virtual QString GetTextInView1() const { return {}; }
    virtual QString GetTextInView2() const { return {}; }
    virtual void RefreshCompare() {}
    virtual bool WasEdit() const { return false; }
    // The files a close would lose unsaved edits of: their paths, "" for an untitled side.
    virtual QStringList EditedFiles() const { return {}; }
    virtual bool IsPreviewMode() const { return false; }

    // Run (from the event loop) each time the window becomes the active one.
    virtual void windowWillBeKey() {}
    // Asked when the window is about to close by any way; false keeps it open.
    virtual bool windowShouldClose() { return true; }

protected:
    // The close question and the window becoming active, the same for every compare window.
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// The open compare windows, slot by slot. A window takes the first free slot when it is created
// and clears its slot when it closes. There are 50 slots; when all are taken the table grows,
// so no open window is ever left out of the walk at quit.
inline constexpr int kOpenCompareWindowSlots = 50;
extern QList<QPointer<MergeWindow>> gOpenCompareWindowList;

// Puts the window into the first free slot (growing the table when none is free); answers the
// slot.
int OpenCompareWindowList_Add(MergeWindow *window);
// Clears the first slot holding the window; false when it is not listed.
bool OpenCompareWindowList_Remove(MergeWindow *window);
// Empties every slot and gives the table its 50 slots back.
void OpenCompareWindowList_Reset();

// Name of the notification a closing compare window posts when both sides have the same file
// name: object is the window, userInfo "paths" a QStringList holding its left path.
inline constexpr const char *kNeedUpdateFileCompareResult = "NeedUpdateFileCompareResult";
