#pragma once
// Where a pane's marks of invisible characters belong, found through the pane's own cursor
// geometry, and where pixels changed between two shots of its viewport: a mark is drawn where
// the changed pixels fall inside the boxes of its characters, and nowhere else.

#include "textcompare/MyEditTextView.h"

#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <string>
#include <vector>

namespace pelkotest {

struct MarkBoxes
{
    QList<QRect> spaces, tabs, lineEnds; // every box that shows, if only in part
    QRect view;                          // a box wholly inside must hold a mark
};

// The boxes of the spaces, tabs and line ends in view (viewport coordinates). A line end is the
// cell after the last character of a line; the rows of a folded line end in none.
inline MarkBoxes markBoxesInView(MyEditTextView &pane)
{
    MarkBoxes boxes;
    const QRect view = pane.viewport()->rect();
    boxes.view = view;
    const qreal space = QFontMetricsF(pane.font()).horizontalAdvance(u' ');
    QTextCursor c(pane.document());
    auto rectAt = [&](int position) {
        c.setPosition(position);
        return pane.cursorRect(c);
    };
    for (QTextBlock b = pane.document()->begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        for (int i = 0; i < text.size(); ++i) {
            if (text[i] != u' ' && text[i] != u'\t')
                continue;
            const QRect a = rectAt(b.position() + i), e = rectAt(b.position() + i + 1);
            // A character wrapped to the next row ends at the end of its own row.
            const int right = e.top() == a.top() ? e.left() : a.left() + int(space * 8);
            const QRect box(a.left(), a.top(), std::max(1, right - a.left()), a.height());
            if (box.intersects(view))
                (text[i] == u' ' ? boxes.spaces : boxes.tabs) << box;
        }
        const QTextBlock next = b.next();
        if (next.isValid() && !IsFoldRow(next)) {
            const QRect a = rectAt(b.position() + b.length() - 1);
            const QRect box(a.left(), a.top(), int(space + 1), a.height());
            if (box.intersects(view))
                boxes.lineEnds << box;
        }
    }
    return boxes;
}

inline std::vector<QPoint> changedPixels(const QImage &before, const QImage &after)
{
    std::vector<QPoint> changed;
    const QImage a = before.convertToFormat(QImage::Format_RGB32);
    const QImage b = after.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                changed.emplace_back(x, y);
    return changed;
}

// Empty when the changed pixels are marks of exactly the kinds asked for: every box of those
// kinds wholly in view has some, and none lies outside them (a pixel of tolerance for smoothing).
// Otherwise what is wrong.
inline std::string checkMarks(const std::vector<QPoint> &changed, const MarkBoxes &boxes,
                              bool spaces, bool tabs, bool lineEnds)
{
    std::string problems;
    QList<QRect> allowed;
    auto expect = [&](const QList<QRect> &list, bool on, const char *kind) {
        for (const QRect &box : list) {
            if (!on)
                continue;
            allowed << box.adjusted(-2, -2, 2, 2);
            if (boxes.view.contains(box) &&
                std::none_of(changed.begin(), changed.end(),
                             [&](const QPoint &p) { return box.contains(p); }))
                problems += std::string("no mark in the ") + kind + " box at " +
                            std::to_string(box.x()) + "," + std::to_string(box.y()) + "; ";
        }
    };
    expect(boxes.spaces, spaces, "space");
    expect(boxes.tabs, tabs, "tab");
    expect(boxes.lineEnds, lineEnds, "line end");
    for (const QPoint &p : changed) {
        if (std::none_of(allowed.begin(), allowed.end(),
                         [&](const QRect &r) { return r.contains(p); })) {
            problems += "pixels changed outside the boxes, first at " + std::to_string(p.x()) +
                        "," + std::to_string(p.y()) + "; ";
            break;
        }
    }
    return problems;
}

} // namespace pelkotest
