#pragma once
// Patches through GNU diff: the diff of one file pair as patch text, and a patch of many pairs
// written as one file. Shared by the two-file patch and the folder patch.

#include "compare/CompItem.h"
#include "compare/ComparedTree.h"
#include "compare/JudgedFile.h"
#include "compare/LineCompare.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>
#include <utility>
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

// The same for two files already opened and judged (taken over): diff reads the descriptors,
// named by the labels where it prints a name.
std::optional<QByteArray> RunDiffForOpenFiles(platform::UniqueFd file1, const QString &label1,
                                              platform::UniqueFd file2, const QString &label2,
                                              const PatchDiffOptions &options,
                                              QString *error = nullptr,
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
    PatchPair() = default;
    // A pair read as named, with no judgement: never through a link.
    PatchPair(QString relative, QString path1, QString path2)
        : relativePath(std::move(relative)), file1(std::move(path1)), file2(std::move(path2))
    {}

    QString relativePath;
    QString file1, file2;
    // What the compare judged each side to be. Each side is read only as that regular file,
    // opened without following a link; a side the compare found to be a link is not read at
    // all. With the top folders given, each side is walked from its top folder by its route, each
    // folder on the way checked as the route records it (else file1 and file2 are opened as
    // named).
    JudgedFile judged1, judged2;
    ComparedTreePtr tree1, tree2;
    TreeRoute route1, route2;
};

// The pair of a compared entry, reached by each side's route below the top folders held, to be
// read as the compare judged each folder and file on the way.
PatchPair PatchPair_FromEntry(const COMP_ITEM &item, const ComparedTreePtr &tree1,
                              const TreeRoute &route1, const ComparedTreePtr &tree2,
                              const TreeRoute &route2);
// The same for an entry named by its path relative to the top folders given, which are opened
// now; nothing on the way is judged beyond following no link.
PatchPair PatchPair_FromEntry(const COMP_ITEM &item, const QByteArray &relativePath,
                              const QString &top1, const QString &top2);

// A pair left out of a folder patch, and why.
struct PatchLeftOut
{
    enum Reason {
        LineBreak,   // its name or a path holds a line break
        Link,        // a side was a link when compared
        NotAsJudged, // a side is no longer the file compared (a link now, or another file)
    };
    QString relativePath;
    Reason reason = LineBreak;
};

// Writes "Index: <relative path>" and diff's output for every pair that differs, so that
// "patch -p0" run inside the left folder turns it into the right one. diff reads each side from
// a descriptor opened here as the pair's judgement says (/dev/fd/N). A pair whose name or paths
// hold a line break (its header lines would be read as others), a side that was a link or is no
// longer the file judged is left out and added to leftOut (may be null). A side that is gone or
// cannot be read fails the patch. The file is written beside the target and renamed over it: on
// failure or cancel the old file stays and nothing is left behind. progress (may be empty) hears
// each pair done.
bool WriteFolderPatch(const std::vector<PatchPair> &pairs, const PatchDiffOptions &options,
                      const QString &outputPath, const std::atomic<bool> *cancel,
                      QString *error = nullptr, std::vector<PatchLeftOut> *leftOut = nullptr,
                      const std::function<void(int done, int total)> &progress = {});
