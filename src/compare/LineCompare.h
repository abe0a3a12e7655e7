#pragma once
// The line compare of two texts: GNU diff runs as a child process on the two files (or on UTF-8
// copies of two texts), its output goes to "setting.log" in this process's own temporary folder,
// and the header line of every difference becomes one MERGE_BLOCK.

#include "compare/MergeBlock.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

struct LineCompareOptions
{
    bool ignoreCase = false;         // -i
    bool ignoreTabExpansion = false; // -E
    bool ignoreSpaceChange = false;  // -b
    bool ignoreAllSpace = false;     // -w
    bool ignoreBlankLines = false;   // -B

    bool operator==(const LineCompareOptions &) const = default;
};

// The diff program: /usr/bin/diff, else the first "diff" on the PATH; null when there is none.
QString GetDiffToolPath();

// The options as diff arguments, "-a" first so that no input is refused as binary.
QStringList LineCompare_Arguments(const LineCompareOptions &options);

// The files of one compare, all in this process's temporary folder (null when there is none).
QString LineCompare_SettingLogPath();
QString LineCompare_TextCopyPath(int side); // "1.txt" or "2.txt"

// Parses diff's normal output: one block per header line ("3a4,5", "5,7c5,8", "6,8d5"); the
// quoted lines and the "---" separators are skipped. Nullopt for a malformed header.
std::optional<MergeBlockList> ParseDiffNormalOutput(const QByteArray &output);
std::optional<MergeBlockList> ParseDiffNormalOutputFile(const QString &path);
// One line of that output, without its line end: a header adds its block, other lines are
// passed over. False for a malformed header.
bool ParseDiffNormalOutputLine(const QByteArray &line, MergeBlockList &blocks);

// Compares two files line by line. Nullopt when diff cannot run, answers 2 (trouble), or its
// output cannot be read; error (when given) then says why.
std::optional<MergeBlockList> LineCompare_Files(const QString &path1, const QString &path2,
                                                const LineCompareOptions &options,
                                                QString *error = nullptr);

// Writes both texts as UTF-8 to "1.txt" and "2.txt" and compares those.
std::optional<MergeBlockList> LineCompare_Texts(const QString &text1, const QString &text2,
                                                const LineCompareOptions &options,
                                                QString *error = nullptr);

// Removes "setting.log", trying up to 100 times while it still exists.
void DeleteTempSettingLog();
