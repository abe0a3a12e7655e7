#pragma once
// One entry of a folder compare: a name found in the left folder, the right folder or both, with
// what the compare learnt of each side and its verdict.

#include "compare/JudgedFile.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Verdict of an entry.
enum COMP_RESULT : qint8 {
    COMP_RESULT_SAME = 0,
    COMP_RESULT_DIFFERENT = 1,
    COMP_RESULT_NOT_JUDGED = 2, // on both sides, not judged (yet, or with a reason)
    COMP_RESULT_RIGHT_ONLY = 3,
    COMP_RESULT_LEFT_ONLY = 4,
    COMP_RESULT_GONE = 5, // gone from both sides
};

// Kind of an entry.
enum ITEM_TYPE : qint8 {
    ITEM_TYPE_FOLDER = 0,
    ITEM_TYPE_TEXT = 1,
    ITEM_TYPE_OTHER = 2,
    ITEM_TYPE_IMAGE = 3,
};

// Why an entry on both sides stays not judged (kept in customMultiPurposeInfo).
enum NotJudgedReason : qint32 {
    NotJudged_None = 0,
    NotJudged_Pending = 1,          // waiting for its content compare
    NotJudged_FolderUnreadable = 2, // a folder on one side only that may not be listed (its
                                    // verdict stays one-sided)
    NotJudged_FileUnreadable = 3,   // a file that may not be read
    NotJudged_SpecialFile = 4,      // pipe, device or socket: never opened
    NotJudged_Cancelled = 5,        // the compare was stopped first
    NotJudged_KindDiffers = 6,      // the sides are of different kinds (judged different)
    NotJudged_NameTooLong = 7,      // the path is longer than the system takes
    // Below a folder whose left (right) side could not be listed: nothing is known of that side,
    // so what the other side holds is not called one-sided.
    NotJudged_LeftFolderUnreadable = 8,
    NotJudged_RightFolderUnreadable = 9,
    NotJudged_BothFoldersUnreadable = 10, // a folder neither side may list
    NotJudged_ChangedWhileRead = 11,      // a name led to another file each time it was read
};

// What one side holds of an entry.
enum SideKind : qint8 {
    Side_None = 0,
    Side_File = 1,    // a regular file, or a link to one (judged by its target)
    Side_Folder = 2,  // a real folder (links are never entered)
    Side_Link = 3,    // a link to anything but a regular file: judged by its target text
    Side_Special = 4, // pipe, device, socket
};

// What a Side_Special side is.
enum SpecialKind : qint8 {
    Special_None = 0,
    Special_Pipe = 1,
    Special_Socket = 2,
    Special_Device = 3,
};

// True for the reasons of entries below a folder one side could not list.
inline bool CompItem_SideUnseen(qint32 reason)
{
    return reason == NotJudged_LeftFolderUnreadable || reason == NotJudged_RightFolderUnreadable;
}

struct COMP_ITEM
{
    int ID = -1;                     // index in the compare's list
    int parent = -1;                 // ID of the folder entry holding it; -1 at the top
    QByteArray itemName1, itemName2; // the name as stored on disk; empty when that side lacks it
    QString extension;               // lower case, without the dot
    qint64 date1 = 0, date2 = 0;     // modification times, nanoseconds since 1970
    qint64 size1 = -1, size2 = -1;   // -1 while not loaded or missing
    qint8 compareResult = COMP_RESULT_NOT_JUDGED;
    qint8 itemType = ITEM_TYPE_OTHER;
    qint8 kind1 = Side_None, kind2 = Side_None;
    qint8 special1 = Special_None, special2 = Special_None;
    qint32 customMultiPurposeInfo = NotJudged_None;
    // Which file each Side_File side, and which folder each Side_Folder side, was judged to be:
    // what reads or walks through it later reaches only that one (compare/ComparedTree).
    JudgedFile judged1, judged2;

    const QByteArray &name() const { return itemName1.isEmpty() ? itemName2 : itemName1; }
    bool onLeft() const { return kind1 != Side_None; }
    bool onRight() const { return kind2 != Side_None; }
    bool isFolder() const { return itemType == ITEM_TYPE_FOLDER; }
};

// The name as shown; names that are not valid UTF-8 show their bytes as escapes.
QString CompItem_DisplayName(const QByteArray &name);
// What a side holds, as a noun for the user ("folder", "pipe"); "" for a missing side.
QString CompItem_KindName(const COMP_ITEM &item, int side);
// True when the name converts to text and back without loss, so a path of text can reach it.
bool CompItem_NameIsText(const QByteArray &name);
// Why an entry below a folder one side could not list is not judged, naming that folder's path
// (local file-system bytes): "Left folder unreadable: /a/b". Empty for other reasons.
QString CompItem_UnseenReasonText(qint32 reason, const QByteArray &folderPath);
// Why a folder neither side could list is not judged, naming both paths.
QString CompItem_BothUnreadableText(const QByteArray &leftPath, const QByteArray &rightPath);
