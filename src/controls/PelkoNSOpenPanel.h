#pragma once
// The open panel as the windows ask for one file or folder.

#include <QString>
#include <QStringList>

// Runs a modal open panel titled title, starting in defaultCurrentFolder when it exists, with
// openBtnString on its default button when non-empty, offering folders and/or files (one of the
// two must be allowed), one or several entries, and only allowFileTypes when non-empty. Answers
// the first chosen path that exists, a null string on cancel; every chosen path goes to
// outPathList when one is given. Packages are plain folders on Linux, so
// treatsFilePackagesAsDirectories changes nothing.
QString requestUserToSelectFileFolder(const QString &title, const QString &defaultCurrentFolder,
                                      const QString &openBtnString, bool bAllowFolder,
                                      bool bAllowFile, bool bAllowMulti,
                                      bool treatsFilePackagesAsDirectories,
                                      const QStringList &allowFileTypes,
                                      QStringList *outPathList = nullptr);
