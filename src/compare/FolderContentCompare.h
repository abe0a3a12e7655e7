#pragma once
// Content judgement of one file pair of a folder compare: raw reads in large blocks, stopping at
// the first differing block, with a cancel flag looked at before every block.

#include <QByteArray>
#include <atomic>

enum class ContentVerdict {
    Same,
    Different,
    Cancelled,
    Unreadable, // a side could not be opened or read
    Vanished,   // a side is gone
    Special,    // a side is not a regular file (never read)
};

// Compares the files at the two paths (local file-system bytes; links are followed). With
// ignoreLineEnds, CR, LF and CRLF count as the same line end. cancel may be null.
ContentVerdict CompareFileContents(const QByteArray &path1, const QByteArray &path2,
                                   bool ignoreLineEnds, const std::atomic<bool> *cancel);
