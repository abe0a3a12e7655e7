#pragma once
// One folder-compare request, and the name filters it carries.
//
// A filter list holds tokens. FixFilterArray_AddNSPredicate_IfNeed compiles the tokens that hold
// pattern characters once; plain tokens stay names. How a token matches an entry's name:
//   - plain, starting with ".":  the end of the name, ignoring case (".txt" matches "A.TXT");
//   - plain, otherwise:          the whole name, ignoring case ("bin" matches "Bin", not "bin2");
//   - wildcard (* ? [):          the whole name, ignoring case ("*.c" matches "x.C");
//   - regular expression:        anywhere in the name, or the whole name when the request says
//                                bIsRegex_bMatchWholeString; ignoring case; kept as typed.
// The include list (when not empty) keeps only files that match one of its tokens; the exclude
// list drops the files that match one; exclude_SubDir drops the sub-folders that match one.

#include "platform/TextEncoding.h"

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <memory>

struct FilterToken
{
    QString text; // as typed
    // Set by FixFilterArray_AddNSPredicate_IfNeed for a pattern token: matches anywhere, and
    // anchored to the whole name. An invalid expression is kept but matches nothing.
    std::shared_ptr<const QRegularExpression> predicate, wholePredicate;
    bool invalid = false;

    FilterToken() = default;
    FilterToken(QString token) : text(std::move(token)) {}
    bool isPredicate() const { return bool(predicate) || invalid; }
};
using FilterList = QList<FilterToken>;

// Makes filter tokens from strings (no compiling yet).
FilterList FilterListFromStrings(const QStringList &tokens);

// Compiles in place every token that holds a pattern character: with regex a regular
// expression, else a wildcard. Plain names stay strings. Answers the tokens that are not valid
// expressions (they match nothing); empty when all compiled.
QStringList FixFilterArray_AddNSPredicate_IfNeed(FilterList &tokens, bool regex);
// The same, and an "Error" alert naming each invalid expression (main thread).
bool FixFilterArray_AddNSPredicate_IfNeed_WithAlert(FilterList &tokens, bool regex);

// True when the name matches one of the tokens (see above). Tokens not yet compiled are
// compiled on the fly. name is the entry's name as text.
bool FilterList_Matches(const FilterList &tokens, const QString &name, bool wholeString);

class FileListCompareInfo
{
public:
    static std::shared_ptr<FileListCompareInfo> create();

    QString mFolder1, mFolder2; // ending in "/"
    bool folder_compare_ignore_EndLineDiff = false;
    int folder_compare_Mode = 0; // 0 size and date, 1 size, 2 date, 3 full content
    bool compareSubFolder = true;
    bool bIsRegex = false;
    bool bIsRegex_bMatchWholeString = false;
    FilterList filterIncludeExt, filterExcludeExt, exclude_SubDir;
    platform::StringEncoding preferEncoding = 0;

    // Whether a file or a sub-folder of that name is compared.
    bool acceptsFile(const QString &name) const;
    bool acceptsSubFolder(const QString &name) const;
};

// The request a compare of two folders takes from the settings record: its mode and options, no
// name filters.
std::shared_ptr<FileListCompareInfo> FileListCompareInfo_FromSettings(const QString &folder1,
                                                                      const QString &folder2);
