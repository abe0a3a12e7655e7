#pragma once
// A paragraph style as text drawing takes it: how lines break, over Qt's text options.

#include <QTextOption>

enum class LineBreakMode {
    ByWordWrapping,
    ByCharWrapping,
    ByClipping,
    ByTruncatingHead,
    ByTruncatingTail,
    ByTruncatingMiddle
};

class MutableParagraphStyle
{
public:
    MutableParagraphStyle() = default;
    explicit MutableParagraphStyle(const QTextOption &option) : mOption(option) {}

    // An independent copy with every setting of this one.
    MutableParagraphStyle copy2() const { return *this; }

    LineBreakMode lineBreakMode() const { return mMode; }
    void setLineBreakMode(LineBreakMode mode);
    // Every system this runs on knows all the modes, so the mode is always applied.
    void setLineBreakMode2(LineBreakMode mode) { setLineBreakMode(mode); }

    const QTextOption &textOption() const { return mOption; }
    QTextOption &textOption() { return mOption; }
    // The truncating modes do not wrap; where the text is cut is the drawing code's business.
    Qt::TextElideMode elideMode() const;

private:
    QTextOption mOption{};
    LineBreakMode mMode = LineBreakMode::ByWordWrapping;
};
