#pragma once
// The file and folder chooser every window uses: the open panel with a red line naming what to
// choose, folder creation, and the chosen paths checked against what may be chosen.

#include <QList>
#include <QString>
#include <QStringList>

// Runs a modal open panel titled title (also shown as a red line above the file list), starting
// in defaultCurrentFolder when that folder exists, with openBtnString on its default button when
// non-empty, offering folders and/or files (one of the two must be allowed), one or several
// entries, and only allowFileTypes when non-empty. Answers the first accepted path, a null string
// on cancel or when nothing chosen is acceptable; the accepted paths go to outPathList (once each,
// sorted by name) when one is given. Linux has no packages, so treatsFilePackagesAsDirectories
// changes nothing: a folder is always a folder.
QString requestUserToSelectFileFolder(const QString &title, const QString &defaultCurrentFolder,
                                      const QString &openBtnString, bool bAllowFolder,
                                      bool bAllowFile, bool bAllowMulti,
                                      bool treatsFilePackagesAsDirectories,
                                      const QStringList &allowFileTypes,
                                      QStringList *outPathList = nullptr);

// What a chosen path names on disk.
struct ChosenPath
{
    enum Kind { Missing, File, Folder };
    QString path;
    Kind kind = Missing;
};
QList<ChosenPath> ClassifyChosenPaths(const QStringList &paths);

// The acceptance walk over the chosen paths, in order: a path is accepted when it is non-empty,
// is no folder unless folders are allowed and no file unless files are allowed. Answers the first
// accepted path (null when none); every accepted path joins outPathList once, which stays sorted
// by file and folder name; without multiple choice the walk ends at the first accepted path.
QString AcceptChosenPaths(const QList<ChosenPath> &chosen, bool allowFolder, bool allowFile,
                          bool allowMulti, QStringList *outPathList);

// Width of the chooser's red line: the title in the label font, widened by a fifth, kept within
// 400 and 1900 (600 before the label font exists).
int ChooserNoteWidth(const QString &title);
