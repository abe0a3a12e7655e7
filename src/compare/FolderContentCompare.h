#pragma once
// Content judgement of one file pair of a folder compare: raw reads in large blocks, stopping at
// the first differing block, with a cancel flag looked at before every block.

#include "compare/JudgedFile.h"

#include <QByteArray>
#include <QtGlobal>
#include <atomic>

enum class ContentVerdict {
    Same,
    Different,
    Cancelled,
    Unreadable,  // a side could not be opened or read
    NameTooLong, // a side's path is longer than the system takes
    Vanished,    // a side is gone
    Special,     // a side is not a regular file (never read)
    NotAsJudged, // a side is no longer the file the compare judged (never read)
};

// What a side was once it had been read (looked up on the open file, not by its path again).
struct ContentSideState
{
    qint64 size = -1;
    qint64 mtimeNs = 0;
    bool unlinked = false; // removed from its folder meanwhile
};

// Compares the files at the two paths (local file-system bytes; links are followed). With
// ignoreLineEnds, CR, LF and CRLF count as the same line end. cancel may be null. When both sides
// were opened and after1/after2 are given, they receive each side's state after the reading.
ContentVerdict CompareFileContents(const QByteArray &path1, const QByteArray &path2,
                                   bool ignoreLineEnds, const std::atomic<bool> *cancel,
                                   ContentSideState *after1 = nullptr,
                                   ContentSideState *after2 = nullptr);
// The same with each path relative to an open folder (AT_FDCWD: as given), so the many files of
// one folder are found without walking their whole paths each time. With judged1/judged2, a side
// is opened once as TreeFile_OpenAt opens it (no link followed but one the compare followed) and
// read only when it is still the file judged: else NotAsJudged, and nothing of it is read.
ContentVerdict
CompareFileContentsAt(int folder1, const QByteArray &path1, int folder2, const QByteArray &path2,
                      bool ignoreLineEnds, const std::atomic<bool> *cancel,
                      ContentSideState *after1 = nullptr, ContentSideState *after2 = nullptr,
                      const JudgedFile *judged1 = nullptr, const JudgedFile *judged2 = nullptr);
