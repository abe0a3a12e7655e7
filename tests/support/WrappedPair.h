#pragma once
// Two texts whose every fourth line is long enough to wrap into several rows in a pane of a
// window 1000 pixels wide, with ten difference blocks of every kind well inside them: lines
// changed (into more, fewer or longer lines), inserted on one side, deleted on the other. What is
// inserted or deleted is often long, so the rows of one side differ from the other's.

#include <QByteArray>
#include <utility>

namespace pelkotest {

inline QByteArray wrappedPairLine(int i, const char *tag = "")
{
    QByteArray line = "line " + QByteArray::number(i) + tag;
    if (i % 4 == 0)
        for (int word = 0; word < 24; ++word)
            line += " wrapped" + QByteArray::number(word);
    return line + "\n";
}

inline std::pair<QByteArray, QByteArray> wrappedPairTexts()
{
    QByteArray left, right;
    for (int i = 0; i < 260; ++i) {
        const QByteArray line = wrappedPairLine(i);
        switch (i) {
        case 30:  // changed, one long line into another
        case 215: // changed
            left += line;
            right += wrappedPairLine(i, " changed");
            break;
        case 61: // three long lines inserted on the right after it
        case 200:
            left += line;
            right += line + wrappedPairLine(1000, " new") + wrappedPairLine(1004, " new") +
                     wrappedPairLine(1008, " new");
            break;
        case 80: // deleted on the left
        case 81:
        case 82:
        case 160:
            left += line;
            break;
        case 100: // one short line into two long ones
            left += line;
            right += wrappedPairLine(2000, " into") + wrappedPairLine(2004, " into");
            break;
        case 120: // one short line inserted on the right after it
            left += line;
            right += line + "inserted\n";
            break;
        case 140: // a long line into a short one
            left += line;
            right += "short now\n";
            break;
        case 180: // two lines into three long ones
        case 181:
            left += line;
            if (i == 181)
                right += wrappedPairLine(3000, " a") + wrappedPairLine(3004, " b") +
                         wrappedPairLine(3008, " c");
            break;
        default:
            left += line;
            right += line;
        }
    }
    return {left, right};
}

} // namespace pelkotest
