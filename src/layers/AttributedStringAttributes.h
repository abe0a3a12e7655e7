#pragma once
// Run-aware queries and edits of the font and colour of rich text, and the typing attributes of
// text views. A text is a QTextDocument; its positions are those of its plain text, where a
// paragraph separator counts as one unit and reads with the attributes of the character before
// it (the first one, at position 0, with its paragraph's character format). A query at or past
// the end answers the default value with an empty range at the end; edits are clamped to the
// text.

#include "platform/Color.h"
#include "platform/Range.h"

#include <QFont>
#include <QString>
#include <QTextCharFormat>
#include <optional>

class QPlainTextEdit;
class QTextDocument;
class QTextEdit;

// "Helvetica" at 12 points, the font of runs that set none.
QFont defaultFont();

// The colour word (0xRRGGBBAA) of the run's foreground colour, 255 without one; the longest range
// of that colour over the whole text.
quint64 colorAtIndex(const QTextDocument *text, qint64 index, Range *effectiveRange);

// The font at the index with its longest range inside `inRange`.
QFont fontAtIndex(const QTextDocument *text, qint64 index, Range *longestEffectiveRange,
                  Range inRange);
// The name, point size, bold or italic trait of the font at the index; the range also takes in
// the following runs of the same value.
QString fontNameAtIndex(const QTextDocument *text, qint64 index, Range *longestEffectiveRange,
                        Range inRange);
double fontSizeAtIndex(const QTextDocument *text, qint64 index, Range *longestEffectiveRange,
                       Range inRange);
bool boldAtIndex(const QTextDocument *text, qint64 index, Range *longestEffectiveRange,
                 Range inRange);
bool italicAtIndex(const QTextDocument *text, qint64 index, Range *longestEffectiveRange,
                   Range inRange);
// The same over the whole text.
QFont fontAtIndex(const QTextDocument *text, qint64 index, Range *effectiveRange);
QString fontNameAtIndex(const QTextDocument *text, qint64 index, Range *effectiveRange);
double fontSizeAtIndex(const QTextDocument *text, qint64 index, Range *effectiveRange);
bool boldAtIndex(const QTextDocument *text, qint64 index, Range *effectiveRange);
bool italicAtIndex(const QTextDocument *text, qint64 index, Range *effectiveRange);

void addFont(QTextDocument *text, const QFont &font, Range range);
// Change one trait run by run, keeping the others of each run. A name that names no installed
// font, a size that is not above 0, and a run whose family has no face with the trait change
// nothing.
void addFontName(QTextDocument *text, const QString &name, Range range);
void addFontSize(QTextDocument *text, double size, Range range);
void addBold(QTextDocument *text, bool bold, Range range);
void addItalic(QTextDocument *text, bool italic, Range range);

// A character format holding only the font (the colour); none for no font (colour).
std::optional<QTextCharFormat> FontAttributesWithFont(const QFont *font);
std::optional<QTextCharFormat> ColorAttributesWithColor(const platform::Color &color);

// Replace the view's typing attributes with the named font (the font at another size, the colour
// of a word 0xRRGGBBAA), taken from the font at the caret or the start of the selection.
void ChangeTextViewTypeSetting_Fontname(QTextEdit *view, const QString &name);
void ChangeTextViewTypeSetting_Fontname(QPlainTextEdit *view, const QString &name);
void ChangeTextViewTypeSetting_Fontsize(QTextEdit *view, float size);
void ChangeTextViewTypeSetting_Fontsize(QPlainTextEdit *view, float size);
void ChangeTextViewTypeSetting_Fontcolor(QTextEdit *view, quint64 color);
void ChangeTextViewTypeSetting_Fontcolor(QPlainTextEdit *view, quint64 color);
