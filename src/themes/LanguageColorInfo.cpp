#include "themes/LanguageColorInfo.h"

#include "foundation/CoverInfor.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "services/Utility.h"
#include "themes/ThemeColor.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <limits>
#include <new>
#include <string>

namespace {

double gPassTimeLimit = 0.5;

// One process-wide scan buffer, reused by every colourer (passes run one at a time on the main
// thread); it only ever grows.
char16_t *gScanBuffer = nullptr;
qint64 gScanCapacity = 0;

bool ensureScanBuffer(qint64 windowLength, qint64 keepUnits)
{
    if (gScanBuffer && gScanCapacity >= windowLength + 10)
        return true;
    const qint64 capacity = std::max<qint64>(windowLength + 1000000, 10485760);
    auto *buffer = new (std::nothrow) char16_t[size_t(capacity)];
    if (!buffer) {
        platform::LogWarning(lcThemes, QStringLiteral("can not allocate memory: %1").arg(capacity));
        REPORT_FATAL();
        return false;
    }
    if (gScanBuffer && keepUnits > 0)
        std::copy(gScanBuffer, gScanBuffer + keepUnits, buffer);
    delete[] gScanBuffer;
    gScanBuffer = buffer;
    gScanCapacity = capacity;
    return true;
}

bool isAsciiLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}
bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}
char16_t foldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

// The marker begins at buf[pos] (the buffer ends with a 0 unit, which no marker holds).
bool markerAt(const char16_t *buf, qint64 pos, qint64 limit, const char16_t *marker, bool noCase)
{
    for (qint64 i = 0; marker[i]; ++i) {
        if (pos + i >= limit)
            return false;
        char16_t a = buf[pos + i], b = marker[i];
        if (noCase) {
            a = foldAscii(a);
            b = foldAscii(b);
        }
        if (a != b)
            return false;
    }
    return true;
}

qint64 unitLength(const char16_t *s)
{
    qint64 n = 0;
    while (s && s[n])
        ++n;
    return n;
}

// Line lookups on the text the delegate answers.
struct Lines
{
    LanguageColorInfoDelegate *delegate;
    qint64 length;

    qint64 lineStart(qint64 pos) const { return delegate->colourLineStart(std::min(pos, length)); }
    // Index of the line's terminator (the text length for the last line).
    qint64 contentEnd(qint64 pos) const
    {
        const qint64 end = delegate->colourLineContentEnd(std::min(pos, length));
        return end < 0 ? -1 : std::min(end, length);
    }
    // Just after the line's terminator.
    qint64 lineEnd(qint64 pos) const
    {
        const qint64 end = contentEnd(pos);
        return end < 0 ? -1 : std::min(end + 1, length);
    }
};

// A language with tag markers ("<" and ">") is markup: its text is prose, where an apostrophe is
// no quote. Quotes count inside tags and inside scripts (ScriptBegin ... ScriptEnd).
struct Markup
{
    std::u16string beginTag, endTag, scriptBegin, scriptEnd;

    static Markup of(const MyLanguageInfo &language)
    {
        return {language.BeginTag().toStdU16String(), language.EndTag().toStdU16String(),
                language.ScriptBegin().toStdU16String(), language.ScriptEnd().toStdU16String()};
    }
    bool active() const { return !beginTag.empty() && !endTag.empty(); }

    // A tag begins here: the marker, then a letter, "/", "!" or "?" ("a < b" is no tag).
    bool tagAt(const char16_t *buf, qint64 pos, qint64 limit) const
    {
        if (!markerAt(buf, pos, limit, beginTag.c_str(), false))
            return false;
        const qint64 next = pos + qint64(beginTag.size());
        if (next >= limit)
            return false;
        const char16_t c = buf[next];
        return isAsciiLetter(c) || c == u'/' || c == u'!' || c == u'?';
    }
    bool opensScript(const char16_t *buf, qint64 pos, qint64 limit) const
    {
        return !scriptBegin.empty() && !scriptEnd.empty() &&
               markerAt(buf, pos, limit, scriptBegin.c_str(), true);
    }
    // Just after the tag's end marker, skipping quoted values the way the scan reads strings;
    // -1 when the window holds no end.
    qint64 tagEnd(const char16_t *buf, qint64 pos, qint64 limit, char16_t escape,
                  bool continueQuote) const
    {
        for (qint64 i = pos + qint64(beginTag.size()); i < limit;) {
            const char16_t c = buf[i];
            if (c == u'\'' || c == u'"') {
                qint64 j = i + 1;
                bool closed = false;
                while (j < limit) {
                    if (escape && buf[j] == escape) {
                        j += 2;
                        continue;
                    }
                    if ((!continueQuote && IsLineBreakChar(buf[j])) || buf[j] == c) {
                        closed = true;
                        break;
                    }
                    ++j;
                }
                if (!closed)
                    return -1;
                i = j + 1;
                continue;
            }
            if (markerAt(buf, i, limit, endTag.c_str(), false))
                return i + qint64(endTag.size());
            ++i;
        }
        return -1;
    }
    // Where the script's end marker begins; -1 when the window holds none.
    qint64 findScriptEnd(const char16_t *buf, qint64 from, qint64 limit) const
    {
        for (qint64 i = from; i < limit; ++i)
            if (markerAt(buf, i, limit, scriptEnd.c_str(), true))
                return i;
        return -1;
    }
};

} // namespace

LanguageColorInfo::LanguageColorInfo() : mDoneRanges(CoverInfor::create())
{}

LanguageColorInfo::~LanguageColorInfo() = default;

std::unique_ptr<LanguageColorInfo> LanguageColorInfo::create()
{
    return std::make_unique<LanguageColorInfo>();
}

double LanguageColorInfo::passTimeLimit()
{
    return gPassTimeLimit;
}

void LanguageColorInfo::setPassTimeLimit(double seconds)
{
    gPassTimeLimit = seconds;
}

void LanguageColorInfo::resetAll()
{
    mDoneRanges->reset();
    mValidEnd = 0;
    mRestartPoints.clear();
}

Range LanguageColorInfo::rangeExtendToContainAllLinesFromRange(Range range, bool bAlsoExpandToLeft)
{
    GUARD_BEGIN
    if (range.location == NotFound || !mDelegate || !mDelegate->getMyTextStorage()) {
        REPORT_FATAL();
        return range;
    }
    const Lines lines{mDelegate, mDelegate->colourTextLength()};
    if (lines.length == 0)
        return Range{0, 0};
    if (range.location < 0 || range.location > lines.length || range.length < 0) {
        REPORT_FATAL();
        return range;
    }
    const qint64 cutEnd = std::min(MaxRange(range), lines.length);
    qint64 start = range.location;
    qint64 newEnd = -1;
    if (bAlsoExpandToLeft) {
        start = lines.lineStart(range.location);
        if (range.length <= 1)
            newEnd = lines.contentEnd(range.location);
    }
    if (newEnd < 0 && cutEnd - 1 >= 0)
        newEnd = lines.contentEnd(cutEnd - 1);
    if (start < 0 || newEnd < 0 || newEnd < start) {
        REPORT_FATAL();
        return Range{range.location, cutEnd - range.location};
    }
    const qint64 end = std::max(newEnd, cutEnd);
    return Range{start, end - start};
    GUARD_END(range)
}

Range LanguageColorInfo::expandRangeUntilFindNormalText(Range range, qint64 limitLen)
{
    GUARD_BEGIN
    if (!mDelegate || !mDelegate->getMyTextStorage())
        return range;
    if (range.location == NotFound)
        return Range{NotFound, range.length};
    const Lines lines{mDelegate, mDelegate->colourTextLength()};
    if (lines.length == 0)
        return Range{0, 0};
    // Normal text is text the scanner left in the default kind: a scan may start there.
    auto isNormal = [this](qint64 pos) { return mDelegate->paintedColorIndexAt(pos) == -1; };

    qint64 start = std::min(std::max<qint64>(range.location, 0), lines.length - 1);
    while (start > 0 && !isNormal(start)) {
        const qint64 previous = lines.lineStart(start - 1);
        if (previous < 0 || previous >= start) {
            REPORT_FATAL();
            break;
        }
        start = previous;
    }

    qint64 end = std::max<qint64>(MaxRange(range), 0);
    while (end < lines.length - 1 && !isNormal(end)) {
        const qint64 next = lines.lineEnd(end + 1);
        if (next < 0 || next <= end) {
            REPORT_FATAL();
            break;
        }
        end = next;
        if (limitLen > 0 && end - start > limitLen)
            break;
    }
    if (end >= lines.length - 1)
        end = lines.length;
    start = std::min(start, lines.length);
    end = std::min(end, lines.length);
    return Range{start, std::max<qint64>(0, end - start)};
    GUARD_END(range)
}

bool LanguageColorInfo::parseInRangeIfNeed(Range range)
{
    GUARD_BEGIN
    if (!mLanguage)
        return false;
    if (!mDelegate || range.location == NotFound) {
        REPORT_FATAL();
        return false;
    }
    if (range.length <= 0)
        return false;
    QTextDocument *doc = mDelegate->getMyTextStorage();
    if (!doc) {
        REPORT_FATAL();
        return false;
    }
    const qint64 length = mDelegate->colourTextLength();
    if (length == 0) {
        resetAll();
        return false;
    }
    if (range.location >= length || range.location < 0)
        return false;
    range.length = std::min(MaxRange(range), length) - range.location;
    if (MaxRange(range) <= mValidEnd)
        return false;
    // The colours of a text depend on everything before it (a comment opened far above), so
    // the scan always goes on from the end of what is coloured, never from the middle. A pass
    // takes a bounded part; the view asks again for the rest.
    qint64 end = std::min(MaxRange(range), mValidEnd + kPassLength);
    const Range lines =
        rangeExtendToContainAllLinesFromRange(Range{mValidEnd, end - mValidEnd}, false);
    end = std::min(std::max(MaxRange(lines), end), length);
    const Range part{mValidEnd, end - mValidEnd};
    if (part.length <= 0)
        return false;
    return tmp_ParseFromRange_StartMustBeginOfLine_AndInNormal_2(part);
    GUARD_END(false)
}

void LanguageColorInfo::recordColouredUpTo(qint64 end)
{
    if (end <= mValidEnd)
        return;
    mValidEnd = end;
    mDoneRanges->reset();
    mDoneRanges->addRange(Range{0, mValidEnd});
}

void LanguageColorInfo::noteRestartPoint(qint64 position)
{
    if (!mRestartPoints.empty() && position - mRestartPoints.back() < kRestartSpacing)
        return;
    mRestartPoints.push_back(position);
}

void LanguageColorInfo::forgetFrom(qint64 position)
{
    // Markers are matched ahead of the scan: an edit just after the coloured end can still
    // complete one that began before it.
    if (position > mValidEnd + kMarkerReach)
        return;
    // Back to a line start before the edit where the scan was in plain text: its state depends
    // only on the text before it, which the edit left alone.
    auto it = std::upper_bound(mRestartPoints.begin(), mRestartPoints.end(), position);
    mRestartPoints.erase(it, mRestartPoints.end());
    const qint64 restart = mRestartPoints.empty() ? 0 : mRestartPoints.back();
    if (restart >= mValidEnd)
        return;
    mValidEnd = restart;
    mDoneRanges->reset();
    if (mValidEnd > 0)
        mDoneRanges->addRange(Range{0, mValidEnd});
}

bool LanguageColorInfo::tmp_ParseFromRange_StartMustBeginOfLine_AndInNormal_2(Range range)
{
    GUARD_BEGIN
    if (!mLanguage || !mDelegate || !mDelegate->getMyTextStorage() || range.location == NotFound) {
        REPORT_FATAL();
        return false;
    }
    const qint64 textLength = mDelegate->colourTextLength();
    if (textLength == 0) {
        mDoneRanges->reset();
        REPORT_FATAL();
        return false;
    }

    const char16_t *blockBegin = mLanguage->CommentBegin_c();
    const char16_t *blockEnd = mLanguage->CommentEnd_c();
    if (!blockBegin || !blockEnd || !blockBegin[0] || !blockEnd[0])
        blockBegin = blockEnd = nullptr;
    const qint64 blockEndLength = unitLength(blockEnd);
    const char16_t *line1 = mLanguage->LineComment1_c();
    const char16_t *line2 = mLanguage->LineComment2_c();
    if (line1 && !line1[0])
        line1 = nullptr;
    if (line2 && !line2[0])
        line2 = nullptr;
    // A marker that starts with a letter ("rem") matches in any case, and then both do.
    const bool lineNoCase =
        (line1 && isAsciiLetter(line1[0])) || (line2 && isAsciiLetter(line2[0]));

    QElapsedTimer clock;
    clock.start();
    const qint64 windowStart = range.location;
    qint64 growth = 0;
    qint64 position = 0;
    qint64 windowLength = 0; // units of the window already in the buffer

    auto absolute = [&](qint64 from, qint64 to) { return Range{windowStart + from, to - from}; };
    // (Re)builds the window for the current growth; only the part not yet in the buffer is read.
    // All the window takes in is cleared, not only the range asked for: a short window reads on
    // to the end of the next line, and a comment or string that runs off the window grows it;
    // the pass records all of it as coloured, so no colour of an earlier scan may stay there.
    auto buildWindow = [&]() -> bool {
        Range window{windowStart, growth + range.length};
        if (growth != 0 || window.length < 3) {
            window.length = std::max<qint64>(window.length, 3);
            window = rangeExtendToContainAllLinesFromRange(window, false);
        }
        if (window.location != windowStart || window.length < 0) {
            platform::Log(lcThemes, QStringLiteral("invalid FixRangeToInside"));
            REPORT_FATAL();
            return false;
        }
        window.length = std::min(MaxRange(window), textLength) - windowStart;
        if (window.length <= 0) {
            REPORT_FATAL();
            return false;
        }
        const qint64 keep = std::min(windowLength, window.length);
        if (!ensureScanBuffer(window.length, keep))
            return false;
        mDelegate->copyColourText(windowStart + keep, windowStart + window.length,
                                  gScanBuffer + keep);
        windowLength = window.length;
        gScanBuffer[windowLength] = 0;
        if (windowLength > keep)
            mDelegate->setTextInRange(absolute(keep, windowLength), SYNTAX_COLOR_DEFAULT);
        return true;
    };
    // A comment or string ran off the window.
    auto grow = [&]() -> bool {
        growth = growth == 0 ? 5000 : qint64(double(growth) * 1.4 + 1000);
        return buildWindow();
    };

    if (!buildWindow())
        return false;

    const char16_t escape = mLanguage->Escape_c();
    const Markup markup = Markup::of(*mLanguage);
    // Where quotes stop counting: in markup only tags and scripts hold strings, in code all
    // the text does.
    qint64 quotesUntil = markup.active() ? 0 : std::numeric_limits<qint64>::max();
    qint64 tokens = 0;
    bool ended = false;
    while (!ended && position < windowLength) {
        const char16_t *buf = gScanBuffer;
        const bool inPlainText = !markup.active() || position >= quotesUntil;
        // Out of time: what was scanned is recorded. A pass always gets past its first token,
        // so that every pass makes progress and none repeats the last one. A pass starts in
        // plain text, so it never stops inside a tag or a script.
        if (tokens % 10 == 0 && position > 0 && inPlainText &&
            double(clock.nsecsElapsed()) / 1e9 > gPassTimeLimit) {
            recordColouredUpTo(std::min(windowStart + position, textLength));
            return position > 0;
        }
        const char16_t c = buf[position];
        if (inPlainText && windowStart + position > 0 &&
            (position > 0
                 ? IsLineBreakChar(buf[position - 1])
                 : mDelegate->colourLineStart(windowStart + position) == windowStart + position))
            noteRestartPoint(windowStart + position);

        // Line comment.
        if ((line1 && markerAt(buf, position, windowLength, line1, lineNoCase)) ||
            (line2 && markerAt(buf, position, windowLength, line2, lineNoCase))) {
            qint64 e = position;
            while (e < windowLength && !IsLineBreakChar(buf[e]))
                ++e;
            mDelegate->setCommentColorForTextInRange(absolute(position, e));
            position = e + 1;
            ++tokens;
            continue;
        }

        // Block comment.
        if (blockBegin && markerAt(buf, position, windowLength, blockBegin, false)) {
            qint64 o = position + unitLength(blockBegin);
            bool found = false;
            for (; o + blockEndLength <= windowLength; ++o) {
                if (buf[o] == blockEnd[0] && markerAt(buf, o, windowLength, blockEnd, false)) {
                    found = true;
                    break;
                }
            }
            if (found) {
                mDelegate->setCommentColorForTextInRange(absolute(position, o + blockEndLength));
                position = o + blockEndLength;
                ++tokens;
                continue;
            }
            if (textLength - (windowStart + windowLength) >= 2) {
                if (!grow())
                    return false;
                tokens = 0;
                continue; // the comment again, in the larger window
            }
            const qint64 end =
                std::min(windowStart + windowLength - 1 + blockEndLength, textLength) - windowStart;
            mDelegate->setCommentColorForTextInRange(absolute(position, end));
            ++tokens;
            ended = true;
            break;
        }

        // A tag of markup: quotes count inside it, and in the script that a script tag opens.
        if (markup.active() && position >= quotesUntil &&
            markup.tagAt(buf, position, windowLength)) {
            const bool moreText = textLength - (windowStart + windowLength) >= 2;
            qint64 until =
                markup.tagEnd(buf, position, windowLength, escape, mLanguage->ContinueQuote());
            if (until >= 0 && markup.opensScript(buf, position, windowLength)) {
                until = markup.findScriptEnd(buf, until, windowLength);
            }
            if (until < 0 && moreText) {
                if (!grow())
                    return false;
                tokens = 0;
                continue; // the tag again, in the larger window
            }
            quotesUntil = until < 0 ? windowLength : until;
            ++position; // the tag's own characters are coloured as the tokens they are
            ++tokens;
            continue;
        }

        // Quoted text. A 0 unit is an ordinary character here; an escape that is the window's
        // last unit escapes nothing inside the window.
        if ((c == u'\'' || c == u'"') && position < quotesUntil) {
            qint64 i = position + 1;
            bool closed = false;
            while (i < windowLength) {
                const char16_t ch = buf[i];
                if (escape && ch == escape) {
                    if (i + 1 >= windowLength) {
                        i = windowLength;
                        break;
                    }
                    i += 2;
                    continue;
                }
                if ((!mLanguage->ContinueQuote() && IsLineBreakChar(ch)) || ch == c) {
                    closed = true;
                    break;
                }
                ++i;
            }
            const int index = c == u'\'' ? SYNTAX_COLOR_SINGLE_QUOTE : SYNTAX_COLOR_DOUBLE_QUOTE;
            if (closed) {
                mDelegate->setTextInRange(absolute(position, i + 1), index);
                position = i + 1;
                ++tokens;
                continue;
            }
            if (textLength - (windowStart + windowLength) >= 2) {
                if (!grow())
                    return false;
                tokens = 0;
                continue;
            }
            mDelegate->setTextInRange(absolute(position, textLength - windowStart), index);
            position = windowLength;
            ++tokens;
            continue;
        }

        // Number: digits, "-" and "." together.
        if (isDigit(c) || c == u'-' || c == u'.') {
            qint64 e = position + 1;
            while (e < windowLength && (isDigit(buf[e]) || buf[e] == u'-' || buf[e] == u'.'))
                ++e;
            mDelegate->setTextInRange(absolute(position, e), SYNTAX_COLOR_NUMBER);
            position = e;
            ++tokens;
            continue;
        }

        // Word: looked up in place behind a temporary 0 terminator.
        if (isAsciiLetter(c) || c == u'_') {
            qint64 e = position + 1;
            while (e < windowLength && (isAsciiLetter(buf[e]) || isDigit(buf[e]) || buf[e] == u'_'))
                ++e;
            const char16_t saved = gScanBuffer[e];
            gScanBuffer[e] = 0;
            const MyLanguageKeyWord *group = mLanguage->typeForWord(gScanBuffer + position);
            gScanBuffer[e] = saved;
            if (group)
                mDelegate->setTextInRange(absolute(position, e), group->colorIndex());
            position = e;
            ++tokens;
            continue;
        }
        ++position;
    }
    recordColouredUpTo(std::min(windowStart + std::max(windowLength, position), textLength));
    return true;
    GUARD_END(false)
}

void LanguageColorInfo::shouldChangeTextInRange(Range range, const QString &replacement)
{
    GUARD_BEGIN
    Q_UNUSED(replacement);
    if (!mLanguage)
        return;
    if (!mDelegate || range.location == NotFound) {
        REPORT_FATAL();
        return;
    }
    forgetFrom(range.location);
    GUARD_END_VOID
}

void LanguageColorInfo::shouldChangeTextInRanges(const QList<Range> &ranges,
                                                 const QStringList &replacements)
{
    GUARD_BEGIN
    if (!mLanguage)
        return;
    if (!mDelegate) {
        REPORT_FATAL();
        return;
    }
    // Last to first, so that moving later ranges never disturbs an edit still to come.
    for (qsizetype i = ranges.size() - 1; i >= 0; --i)
        shouldChangeTextInRange(ranges[i], i < replacements.size() ? replacements[i] : QString());
    GUARD_END_VOID
}

void LanguageColorInfo::documentContentsChanged(qint64 position, qint64 removed, qint64 added)
{
    GUARD_BEGIN
    if (!mLanguage)
        return;
    if (!mDelegate || !mDelegate->getMyTextStorage() || position < 0 || removed < 0 || added < 0) {
        REPORT_FATAL();
        return;
    }
    if (mDelegate->colourTextLength() == 0) {
        resetAll();
        return;
    }
    forgetFrom(position);
    GUARD_END_VOID
}
