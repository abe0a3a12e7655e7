#pragma once
// Incremental syntax colouring of one editor view. The text is coloured from its start up to the
// end of what was asked for (the visible part), in passes of bounded length and time; what is
// coloured is remembered as one done range from the start. An edit forgets the colours from the
// line before it on, back to a line start where the scan was in plain text, so what follows
// is always coloured as a scan of the whole text colours it. Painting goes through the delegate
// by colour index.
//
// A view calls parseInRangeIfNeed() with its visible range after it is shown, scrolled or edited,
// and reports every edit with shouldChangeTextInRange() (before the change, old coordinates) or
// documentContentsChanged() (after it, from QTextDocument::contentsChange).

#include "platform/Range.h"
#include "themes/LanguageColorInfoDelegate.h"
#include "themes/MyLanguageInfo.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class CoverInfor;

class LanguageColorInfo
{
public:
    LanguageColorInfo();
    ~LanguageColorInfo();
    static std::unique_ptr<LanguageColorInfo> create();

    // Makes sure the range is coloured; true when the pass recorded newly coloured text.
    bool parseInRangeIfNeed(Range range);
    void shouldChangeTextInRange(Range range, const QString &replacement);
    void shouldChangeTextInRanges(const QList<Range> &ranges, const QStringList &replacements);
    // The same after the fact: position, removed and added lengths of a finished edit.
    void documentContentsChanged(qint64 position, qint64 removed, qint64 added);
    void resetAll();

    Range rangeExtendToContainAllLinesFromRange(Range range, bool bAlsoExpandToLeft);
    Range expandRangeUntilFindNormalText(Range range, qint64 limitLen);
    // Scans from a line start in normal text; true when it recorded a done range.
    bool tmp_ParseFromRange_StartMustBeginOfLine_AndInNormal_2(Range range);

    CoverInfor &doneRanges() { return *mDoneRanges; }
    const std::shared_ptr<MyLanguageInfo> &language() const { return mLanguage; }
    void setLanguage(const std::shared_ptr<MyLanguageInfo> &language) { mLanguage = language; }
    LanguageColorInfoDelegate *delegate() const { return mDelegate; }
    void setDelegate(LanguageColorInfoDelegate *delegate) { mDelegate = delegate; }

    // The longest a pass may run before it records what it scanned and stops (seconds).
    static double passTimeLimit();
    static void setPassTimeLimit(double seconds);

private:
    // What one pass scans at most beyond the coloured part.
    static constexpr qint64 kPassLength = 1 << 16;
    // The fewest characters between two remembered restart points.
    static constexpr qint64 kRestartSpacing = 64;
    // How far ahead of a position a marker may be read.
    static constexpr qint64 kMarkerReach = 16;

    void recordColouredUpTo(qint64 end);
    void noteRestartPoint(qint64 position);
    // An edit at position: the colours from the line start before it on are no longer known.
    void forgetFrom(qint64 position);

    std::shared_ptr<CoverInfor> mDoneRanges; // one range: [0, mValidEnd)
    // The text before mValidEnd is coloured as a scan from the start colours it.
    qint64 mValidEnd = 0;
    // Line starts below mValidEnd where the scan was in plain text, ascending.
    std::vector<qint64> mRestartPoints;
    std::shared_ptr<MyLanguageInfo> mLanguage;
    LanguageColorInfoDelegate *mDelegate = nullptr;
};
