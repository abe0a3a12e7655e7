#pragma once
// Text accessors of the text views that accept a null string and never answer one.

#include <QString>
#include <QVariantList>

#include "platform/Range.h"

class QPlainTextEdit;
class QTextEdit;
class QTextCharFormat;

QString string(const QPlainTextEdit *self);
QString string(const QTextEdit *self);
void setString(QPlainTextEdit *self, const QString &text);
void setString(QTextEdit *self, const QString &text);

void setString2(QPlainTextEdit *self, const QString &text);
void setString2(QTextEdit *self, const QString &text);
void setStringValue(QPlainTextEdit *self, const QString &text);
void setStringValue(QTextEdit *self, const QString &text);
QString stringValue(const QPlainTextEdit *self);
QString stringValue(const QTextEdit *self);

// Line handling of the editor panes. Positions are those of the document (a block break counts
// as one character).

// Wraps lines at the view's width, or not at all.
void setWrapSetting(QPlainTextEdit *self, bool wrap);
// Turns the line separators U+2028 and form feeds inside the range into line breaks, as one undo
// step, keeping the selection. Nothing in a read-only view.
void fixSpecialEndLineCharIfNeedInRange(QPlainTextEdit *self, Range range);
// The whole lines under the selection (or the whole text): start of the first and end (after
// its line break) of the last. Each line's range (break included) is appended to `lines` when
// given. A selection that ends exactly at a line start does not take in that line.
bool getCurrentSelectedLines_old_startPos(const QPlainTextEdit *self, int *outStart, int *outEnd,
                                          bool forSelectionOnly, QVariantList *lines);
// The selection widened to whole lines; {NotFound, 0} when there is no text.
Range getSelectRangeExtendToLines(const QPlainTextEdit *self);
// Inserts text at index (clamped to the text) as one undo step, with the character format when
// given. Then selects the inserted text, or puts the caret after it, or restores the old
// selection: the first flag set wins. A refused edit (read-only view) leaves the selection.
void insertStringContent(QPlainTextEdit *self, const QString &text, const QTextCharFormat *format,
                         qint64 index, bool selectInsertStr, bool selectEndOfInsertStr,
                         bool keepCurrentSelectTion);
