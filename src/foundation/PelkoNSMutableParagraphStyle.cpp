#include "foundation/PelkoNSMutableParagraphStyle.h"

void MutableParagraphStyle::setLineBreakMode(LineBreakMode mode)
{
    mMode = mode;
    switch (mode) {
    case LineBreakMode::ByWordWrapping:
        mOption.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        break;
    case LineBreakMode::ByCharWrapping:
        mOption.setWrapMode(QTextOption::WrapAnywhere);
        break;
    default:
        mOption.setWrapMode(QTextOption::NoWrap);
        break;
    }
}

Qt::TextElideMode MutableParagraphStyle::elideMode() const
{
    switch (mMode) {
    case LineBreakMode::ByTruncatingHead:
        return Qt::ElideLeft;
    case LineBreakMode::ByTruncatingTail:
        return Qt::ElideRight;
    case LineBreakMode::ByTruncatingMiddle:
        return Qt::ElideMiddle;
    default:
        return Qt::ElideNone;
    }
}
