#pragma once
// Incremental syntax colouring of one editor view: only the ranges asked for (the visible part)
// are scanned, what was coloured is remembered as done ranges, and an edit forgets only the
// neighbourhood of the change. Painting goes through the delegate by colour index.
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
    void forgetAround(Range oldRange, qint64 delta);

    std::shared_ptr<CoverInfor> mDoneRanges;
    std::shared_ptr<MyLanguageInfo> mLanguage;
    LanguageColorInfoDelegate *mDelegate = nullptr;
};
