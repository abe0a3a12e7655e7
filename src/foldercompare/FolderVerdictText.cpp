#include "foldercompare/FolderVerdictText.h"

#include "foldercompare/FolderCompareModel.h"
#include "services/Localization.h"

QString FolderVerdictText(int verdict)
{
    switch (verdict) {
    case COMP_RESULT_SAME:
        return L_(QStringLiteral("Same"));
    case COMP_RESULT_DIFFERENT:
        return L_(QStringLiteral("Different"));
    case COMP_RESULT_LEFT_ONLY:
        return L_(QStringLiteral("Left only"));
    case COMP_RESULT_RIGHT_ONLY:
        return L_(QStringLiteral("Right only"));
    case COMP_RESULT_GONE:
        return L_(QStringLiteral("Gone from both sides"));
    default:
        return L_(QStringLiteral("Not judged"));
    }
}

QString FolderCompareModeText(int mode, bool ignoreLineEnds)
{
    switch (mode) {
    case 0:
        return L_(QStringLiteral("Compared by size and date"));
    case 1:
        return L_(QStringLiteral("Compared by size"));
    case 2:
        return L_(QStringLiteral("Compared by date"));
    default:
        return ignoreLineEnds ? L_(QStringLiteral("Compared by content, ignoring line ends"))
                              : L_(QStringLiteral("Compared by content"));
    }
}

QString FolderCompareModeHelp(int mode)
{
    switch (mode) {
    case 0:
        return L_(QStringLiteral("Files of the same size and date are called Same without "
                                 "their contents being read."));
    case 1:
        return L_(QStringLiteral("Files of the same size are called Same without their "
                                 "contents being read."));
    case 2:
        return L_(QStringLiteral("Files of the same date are called Same without their "
                                 "contents being read."));
    default:
        return L_(QStringLiteral("Files are called Same only when their contents are the "
                                 "same."));
    }
}

bool FolderJudgedWithoutContent(const COMP_ITEM &item, int mode)
{
    return mode >= 0 && mode <= 2 && item.kind1 == Side_File && item.kind2 == Side_File &&
           (item.compareResult == COMP_RESULT_SAME || item.compareResult == COMP_RESULT_DIFFERENT);
}

QString FolderVerdictNote(const COMP_ITEM &item, int mode)
{
    // A pair judged by size or date was never read: its texts may differ where it says the
    // same, and agree where it says different.
    const QString verdict = FolderVerdictText(item.compareResult);
    if (!FolderJudgedWithoutContent(item, mode))
        return verdict;
    const QString by = mode == 1   ? L_(QStringLiteral("by size"))
                       : mode == 2 ? L_(QStringLiteral("by date"))
                                   : L_(QStringLiteral("by size and date"));
    return verdict + QStringLiteral(" ") + by + QStringLiteral(": ") +
           L_(QStringLiteral("the contents were not compared"));
}

QString FolderVerdictLegend(const QColor &background, const QColor &alternateBackground)
{
    struct Line
    {
        int verdict;
        const char *meaning;
    };
    static const Line lines[] = {
        {COMP_RESULT_DIFFERENT, "on both sides, not the same"},
        {COMP_RESULT_SAME, "on both sides, the same as the compare judges"},
        {COMP_RESULT_LEFT_ONLY, "only in the left folder"},
        {COMP_RESULT_RIGHT_ONLY, "only in the right folder"},
        {COMP_RESULT_NOT_JUDGED, "not compared: its tool tip says why"},
    };
    QString html = QStringLiteral("<table cellspacing=\"2\">");
    for (const Line &line : lines) {
        const QColor colour =
            FolderCompareModel::verdictColor(line.verdict, background, alternateBackground);
        // The colour on the background it was chosen for (a tool tip's own is another).
        html += QStringLiteral("<tr><td bgcolor=\"%2\" style=\"color:%1\"><b>%3</b></td>"
                               "<td>%4</td></tr>")
                    .arg(colour.name(), background.name(),
                         FolderVerdictText(line.verdict).toHtmlEscaped(),
                         L_(QString::fromLatin1(line.meaning)).toHtmlEscaped());
    }
    return html + QStringLiteral("</table>");
}
