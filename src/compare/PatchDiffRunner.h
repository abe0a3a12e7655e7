#pragma once
// Patches through GNU diff: the diff of one file pair as patch text, and a patch of many pairs
// written as one file. Shared by the two-file patch and the folder patch.

#include "compare/LineCompare.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

struct PatchDiffOptions
{
    LineCompareOptions ignore;
    bool sideBySide = false; // "-y": two columns (for reading; patch cannot apply it)
};

// diff's arguments for a patch (the ignore options, then "-y" when chosen).
QStringList PatchDiff_Arguments(const PatchDiffOptions &options);

// A relative path as the "Index:" line of a folder patch names it, so that GNU patch reads back
// the very bytes of the name (UTF-8 or not): as they are, or in double quotes with C escapes when
// the name holds white space, control characters, quotes or backslashes.
QByteArray PatchDiff_FileName(const QString &relativePath);

// Asked while diff runs; true stops it.
using PatchCancelCheck = std::function<bool()>;

// diff's output for the two files; empty when they are the same. Nullopt when diff cannot run,
// answers trouble (exit 2) or is stopped by cancelled; error then says why. Exit 1 (they differ)
// is success.
std::optional<QByteArray> RunDiffForPatch(const QString &file1, const QString &file2,
                                          const PatchDiffOptions &options, QString *error = nullptr,
                                          const PatchCancelCheck &cancelled = {});

// Writes diff's output for the two files to outputPath byte for byte, as diff wrote it (a patch of
// Latin-1 or Shift-JIS texts stays in their encoding). The file is written beside the target and
// renamed over it: when diff fails or the file cannot be written the old file stays and the
// answer is false, with the reason (diff's own message when it has one) in error.
// A cancelled write leaves the old file as well.
bool WriteTwoFilePatch(const QString &file1, const QString &file2, const PatchDiffOptions &options,
                       const QString &outputPath, QString *error = nullptr,
                       const PatchCancelCheck &cancelled = {});

// One pair of a folder patch: the path relative to both top folders, as written after "Index:".
struct PatchPair
{
    QString relativePath;
    QString file1, file2;
};

// Writes "Index: <relative path>" and diff's output for every pair that differs, so that
// "patch -p0" run inside the left folder turns it into the right one. A pair whose name or paths
// hold a line break is left out (its header lines would be read as others) and its relative path
// added to notInPatch (may be null). The file is written beside the target and renamed over it:
// on failure or cancel the old file stays and nothing is left behind. progress (may be empty)
// hears each pair done.
bool WriteFolderPatch(const std::vector<PatchPair> &pairs, const PatchDiffOptions &options,
                      const QString &outputPath, const std::atomic<bool> *cancel,
                      QString *error = nullptr, QStringList *notInPatch = nullptr,
                      const std::function<void(int done, int total)> &progress = {});
