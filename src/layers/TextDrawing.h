#pragma once
// Text drawing attributes and the one layout that measures a text and then draws it, so that the
// drawing breaks lines exactly where the measuring did. Drawing goes into the current graphics
// context and keeps text upright whichever way its y axis points: in a y-up context a rectangle's
// top is its maximum y.

#include "foundation/PelkoNSMutableParagraphStyle.h"
#include "platform/Color.h"

#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTextLayout>
#include <memory>

class QTextDocument;

struct TextDrawAttributes
{
    QFont font;
    platform::Color color = platform::Color::black();
    bool underline = false;
    bool strikeThrough = false;
    MutableParagraphStyle paragraphStyle;
};

class TextBlockLayout
{
public:
    // Lays the text out in lines no wider than the box's width (a width of 0 or less: no limit).
    // The box's height limits nothing: every line is kept.
    TextBlockLayout(const QString &text, const TextDrawAttributes &attributes, QSizeF box);

    // The width of the widest line and the height of all lines.
    QSizeF size() const { return mSize; }
    // Each line placed in the rectangle by the paragraph alignment (justified lines start at its
    // left side); the rectangle does not clip.
    void drawInRect(const QRectF &rect) const;
    // The text's box with its top-left corner (in a y-up context its bottom-left) at the point.
    void drawAtPoint(QPointF point) const;

private:
    std::unique_ptr<QTextLayout> mLayout;
    platform::Color mColor;
    Qt::Alignment mAlignment;
    QSizeF mSize;
};

// The ideal size of a rich text at no width limit.
QSizeF richTextSize(const QTextDocument *text);
// The rich text with its top-left corner (in a y-up context its bottom-left) at the point.
void drawRichTextAtPoint(const QTextDocument *text, QPointF point);
