#pragma once
// Line counts of a source text under the comment and quote rules of a syntax language, and the
// text with comments, string contents and blanks taken out.

#include <QString>
#include <QVariantList>

class MyLanguageInfo;

// Counts all, comment, code and blank lines of `text` (a null text counts as empty). At least one
// of the three removals must be asked for. Every out-value may be nullptr; `outCommentRanges`
// receives each comment's range (only when comments are removed). False (with a report) when the
// language is missing or nothing is to be removed.
bool SrcCount_RemoveComment_AndString(const MyLanguageInfo *language, const QString &text,
                                      bool removeComments, bool removeStrings, bool removeBlanks,
                                      qint64 *outTotalLines, qint64 *outCommentLines,
                                      qint64 *outCodeLines, qint64 *outBlankLines, QString *outText,
                                      QVariantList *outCommentRanges);
